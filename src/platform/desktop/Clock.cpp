#include "platform/desktop/Clock.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>

namespace pelaryn {

int64_t MonotonicNanos() {
#ifdef _WIN32
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
#else
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
#endif
}

uint32_t MonotonicMicros() {
  return static_cast<uint32_t>(MonotonicNanos() / 1000);
}

void WaitUntilMicros(uint32_t start, uint32_t micros) {
  const int64_t now = MonotonicNanos();
  const uint32_t elapsed = static_cast<uint32_t>(now / 1000) - start;
  // A deadline already passed makes the sleep return at once.
  const int64_t deadline = (now / 1000 - elapsed + micros + 1) * 1000;
#ifdef __linux__
  const timespec at{static_cast<time_t>(deadline / 1'000'000'000),
                    static_cast<long>(deadline % 1'000'000'000)};
  // An absolute deadline survives an interrupting signal unchanged: just sleep again.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
  }
#else
  if (deadline > now) std::this_thread::sleep_for(std::chrono::nanoseconds(deadline - now));
#endif
}

FrameLog::FrameLog(const char* path) {
  if (path == nullptr || *path == '\0') return;
  file_ = std::fopen(path, "w");
  if (file_ == nullptr) {
    std::fprintf(stderr, "pelaryn: cannot write the frame log %s: %s\n", path,
                 std::strerror(errno));
    return;
  }
  // Some forty minutes of frames fit; past that the C library writes the full buffer and goes on.
  buffer_.resize(1 << 20);
  std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
}

FrameLog::~FrameLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void FrameLog::Record(int64_t handed, int64_t shown) {
  if (file_ != nullptr) {
    std::fprintf(file_, "%lld %lld\n", static_cast<long long>(handed),
                 static_cast<long long>(shown));
  }
}

}  // namespace pelaryn
