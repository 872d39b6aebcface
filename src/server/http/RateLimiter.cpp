#include "server/http/RateLimiter.h"

#include <algorithm>
#include <iterator>

namespace pelaryn {
namespace {

constexpr auto Window = std::chrono::minutes(1);

void Forget(std::deque<RateLimiter::Clock::time_point>& times, RateLimiter::Clock::time_point now) {
  while (!times.empty() && now - times.front() >= Window) times.pop_front();
}

}  // namespace

int RateLimiter::Take(const std::string& address, Clock::time_point now) {
  if (limit_ <= 0) return 0;
  std::lock_guard lock(mutex_);
  // Addresses seen once and never again would otherwise be kept for ever.
  if (now - lastSweep_ >= Window) {
    for (auto entry = recent_.begin(); entry != recent_.end();) {
      Forget(entry->second, now);
      entry = entry->second.empty() ? recent_.erase(entry) : std::next(entry);
    }
    lastSweep_ = now;
  }
  auto& times = recent_[address];
  Forget(times, now);
  if (times.size() >= static_cast<std::size_t>(limit_)) {
    const auto wait = std::chrono::ceil<std::chrono::seconds>(times.front() + Window - now);
    return std::max<int>(1, static_cast<int>(wait.count()));
  }
  times.push_back(now);
  return 0;
}

}  // namespace pelaryn
