#include "game/Pacing.h"

#include <algorithm>

namespace pelaryn {
namespace {

// The longest wait the wrapping microsecond clock can express in one piece, with room to spare.
constexpr uint32_t kLongestWaitMs = 3'600'000;

}  // namespace

void WaitFrame(Platform& platform, int32_t ms) {
  auto left = static_cast<int64_t>(ms);
  while (left > 0) {
    const auto part = static_cast<uint32_t>(std::min<int64_t>(left, kLongestWaitMs));
    platform.WaitUntil(platform.MicroTime(), part * 1000u);
    left -= part;
  }
}

void WaitFrameEnd(Platform& platform, uint32_t frameStart, int32_t periodMs) {
  if (periodMs <= 0) return;
  const auto period = static_cast<uint32_t>(std::min<int32_t>(periodMs, kLongestWaitMs)) * 1000u;
  platform.WaitUntil(frameStart, period);
}

}  // namespace pelaryn
