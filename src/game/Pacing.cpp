#include "game/Pacing.h"

#include <algorithm>

namespace pelaryn {
namespace {

// The longest wait the wrapping microsecond clock can express in one piece, with room to spare.
constexpr uint32_t kLongestWaitMs = 3'600'000;

uint32_t PeriodMicros(int32_t periodMs) {
  return static_cast<uint32_t>(std::clamp<int32_t>(periodMs, 0, kLongestWaitMs)) * 1000u;
}

}  // namespace

void WaitFrame(Platform& platform, int32_t ms) {
  auto left = static_cast<int64_t>(ms);
  while (left > 0) {
    const auto part = static_cast<uint32_t>(std::min<int64_t>(left, kLongestWaitMs));
    platform.WaitUntil(platform.MicroTime(), part * 1000u);
    left -= part;
  }
}

void FramePacer::WaitToShow(Platform& platform, int32_t periodMs) {
  const uint32_t period = PeriodMicros(periodMs);
  const uint32_t now = platform.MicroTime();
  if (anyShown_ && period > 0) {
    // Both readings are truncated to the microsecond, so only more than the period on the
    // clock is surely the whole period.
    const uint32_t elapsed = now - shown_;
    if (elapsed <= period) {
      lead_ -= std::min(lead_, period - elapsed + kMargin);
      platform.WaitUntil(shown_, period);
    } else if (const uint32_t late = elapsed - period; late > kMargin && late < kMaxLead) {
      lead_ = std::min(lead_ + (late - kMargin + 7) / 8, kMaxLead);
    }
  }
}

void FramePacer::Rest(Platform& platform, int32_t periodMs) {
  const uint32_t period = PeriodMicros(periodMs);
  if (period > lead_) platform.WaitUntil(shown_, period - lead_);
}

}  // namespace pelaryn
