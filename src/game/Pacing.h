#pragma once

#include <cstdint>

#include "base/Platform.h"

namespace pelaryn {

// Milliseconds from `start` to `now` on the wrapping 32-bit counter; correct across the wrap.
constexpr uint32_t ElapsedMs(uint32_t now, uint32_t start) {
  return now - start;
}

// Waits at least `ms` milliseconds in 1 ms sleeps; returns at once when ms <= 0.
void WaitFrame(Platform& platform, int32_t ms);

}  // namespace pelaryn
