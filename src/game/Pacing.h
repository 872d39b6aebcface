#pragma once

#include <cstdint>

#include "base/Platform.h"

namespace pelaryn {

// Milliseconds from `start` to `now` on the wrapping 32-bit counter; correct across the wrap.
constexpr uint32_t ElapsedMs(uint32_t now, uint32_t start) {
  return now - start;
}

// Waits at least `ms` milliseconds, measured from the call; returns at once when ms <= 0.
void WaitFrame(Platform& platform, int32_t ms);

// Waits out a frame that was shown at the MicroTime() reading `frameStart`, so that the next one
// comes at least `periodMs` milliseconds later; a frame already that long is not made up.
// Measuring on the fine clock keeps every frame at the full period: a millisecond counter read
// at the start loses up to a millisecond to truncation.
void WaitFrameEnd(Platform& platform, uint32_t frameStart, int32_t periodMs);

}  // namespace pelaryn
