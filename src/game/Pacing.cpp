#include "game/Pacing.h"

namespace pelaryn {

void WaitFrame(Platform& platform, int32_t ms) {
  if (ms <= 0) return;
  const uint32_t start = platform.TimeGetTime();
  while (ElapsedMs(platform.TimeGetTime(), start) < static_cast<uint32_t>(ms)) platform.Sleep(1);
}

}  // namespace pelaryn
