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

// Keeps the frames shown at least a period apart, and as little more as the machine allows.
//
// A thread that sleeps to the deadline wakes a little after it, and then still has to take in
// the window's events and draw the frame before showing it: every frame would come a few tenths
// of a millisecond late. So the pacer sleeps a little less than the period (its lead), learnt
// from how late the frames came, and holds back a frame that is ready too soon. On an exact
// clock nothing comes late and the lead stays zero: the wait is the period, in one sleep.
class FramePacer {
 public:
  // Call just before a frame is shown: waits out what is left of the period since the last one
  // was shown (normally nothing).
  void WaitToShow(Platform& platform, int32_t periodMs);
  // The MicroTime() reading at which the frame was handed to the window. Counting from there
  // rather than from the pacer's own reading before it keeps the period even when the thread is
  // held up between the two.
  void Shown(uint32_t at) {
    shown_ = at;
    anyShown_ = true;
  }
  // Call after showing: sleeps until shortly before the next frame is due.
  void Rest(Platform& platform, int32_t periodMs);

  // How much sooner than the period the pacer now wakes, in microseconds.
  uint32_t Lead() const { return lead_; }

  // The lateness, in microseconds, the pacer aims at. A frame later than that lengthens the lead
  // by an eighth of the excess; a frame ready too soon shortens it by what it was early plus
  // this. Aiming a little late keeps the frames that must be held back, and so wake twice, few.
  static constexpr uint32_t kMargin = 50;
  // A frame that late was slow to draw or held up by a menu or a dialog, not by waking up; and
  // on a clock that counts whole milliseconds lateness is never shorter, so the lead stays zero.
  static constexpr uint32_t kMaxLead = 1000;

 private:
  uint32_t shown_ = 0;
  bool anyShown_ = false;
  uint32_t lead_ = 0;
};

}  // namespace pelaryn
