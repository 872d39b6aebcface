#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <string>

namespace pelaryn {

// At most `limit` events per address in any minute. Safe to share between threads.
class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;
  explicit RateLimiter(int limit) : limit_(limit) {}

  // Counts an event of `address` at `now` and answers 0 when it is within the limit; otherwise
  // counts nothing and answers the seconds until one more would be (at least 1).
  int Take(const std::string& address, Clock::time_point now = Clock::now());

 private:
  int limit_;
  std::mutex mutex_;
  std::map<std::string, std::deque<Clock::time_point>, std::less<>> recent_;
  Clock::time_point lastSweep_{};
};

}  // namespace pelaryn
