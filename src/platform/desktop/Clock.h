#pragma once

// The desktop's frame clock: CLOCK_MONOTONIC read in microseconds, and a wait that sleeps to its
// deadline in a single call, so that a frame costs the game thread one wake-up and ends within
// the scheduler's latency of its deadline instead of on the next whole millisecond.

#include <cstdint>
#include <cstdio>
#include <string>

namespace pelaryn {

// CLOCK_MONOTONIC in nanoseconds.
int64_t MonotonicNanos();

// CLOCK_MONOTONIC in whole microseconds, wrapping at 2^32 as Platform::MicroTime does.
uint32_t MonotonicMicros();

// Returns once `micros` microseconds have passed since the MonotonicMicros() reading `start`
// (at once when they have), in one absolute sleep. The reading was truncated, so the true start
// may lie up to a microsecond later: the deadline allows for that and never ends a wait early.
void WaitUntilMicros(uint32_t start, uint32_t micros);

// The time every frame was shown, for measuring the pacing from outside: one line per frame with
// two CLOCK_MONOTONIC readings in nanoseconds, when the game handed the frame to the window (what
// its pacing decides) and when the window had sent it to the display (which adds the window
// system's own delays). Written through a buffer large enough that a frame never waits for the
// disk; the file is complete once the log is destroyed.
class FrameLog {
 public:
  // No log when `path` is null or empty; one that cannot be created says so once on stderr.
  explicit FrameLog(const char* path);
  ~FrameLog();
  FrameLog(const FrameLog&) = delete;
  FrameLog& operator=(const FrameLog&) = delete;

  bool Active() const { return file_ != nullptr; }
  void Record(int64_t handed, int64_t shown);

 private:
  std::FILE* file_ = nullptr;
  std::string buffer_;
};

}  // namespace pelaryn
