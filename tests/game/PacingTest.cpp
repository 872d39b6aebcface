#include "game/Pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "../TestGame.h"

namespace pelaryn {
namespace {

// A platform whose pacing clock counts microseconds while its millisecond counter truncates, as
// a real one does; it counts the waits that sleep and ends each exactly at its deadline.
class FineClockPlatform : public HeadlessPlatform {
 public:
  explicit FineClockPlatform(uint32_t micros)
      : HeadlessPlatform(PELARYN_RUNTIME_DIR), now_(micros) {}
  uint32_t TimeGetTime() override { return now_ / 1000; }
  void Sleep(uint32_t ms) override { now_ += ms * 1000; }
  uint32_t MicroTime() override { return now_; }
  void WaitUntil(uint32_t start, uint32_t micros) override {
    if (now_ - start < micros) {
      ++waits;
      waited += start + micros - now_;
      now_ = start + micros;
    }
  }
  uint32_t now_;
  int waits = 0;
  uint64_t waited = 0;
};

}  // namespace

TEST(Pacing, WaitFrameWaitsAtLeastTheTimeAskedAlsoAcrossTheCounterWrap) {
  HeadlessPlatform clock("", 1000);
  WaitFrame(clock, 0);
  WaitFrame(clock, -5);
  EXPECT_EQ(clock.TimeGetTime(), 1000u);
  WaitFrame(clock, 1);
  EXPECT_EQ(clock.TimeGetTime(), 1001u);
  WaitFrame(clock, 35);
  EXPECT_EQ(clock.TimeGetTime(), 1036u);

  HeadlessPlatform nearWrap("", 0xFFFFFFF0u);
  WaitFrame(nearWrap, 35);
  EXPECT_EQ(nearWrap.TimeGetTime(), 0xFFFFFFF0u + 35u);  // wrapped to 19
  EXPECT_EQ(ElapsedMs(3, 0xFFFFFFFEu), 5u);
}

TEST(Pacing, AFrameLastsAtLeastOnePeriodAndASlowFrameIsNotMadeUp) {
  testing::TestGame t;
  uint32_t drawing = 10;
  t.platform.OnPresent = [&](const Surface&) { t.platform.Advance(drawing); };
  uint32_t before = t.platform.TimeGetTime();
  t.Frames(1);
  EXPECT_EQ(t.platform.TimeGetTime() - before, 45u);  // 10 drawing + 35 waiting
  drawing = 60;
  before = t.platform.TimeGetTime();
  t.Frames(1);
  EXPECT_EQ(t.platform.TimeGetTime() - before, 60u);
  drawing = 0;
  before = t.platform.TimeGetTime();
  t.Frames(1);
  EXPECT_EQ(t.platform.TimeGetTime() - before, 45u);
}

TEST(Pacing, AFrameIsMeasuredOnTheFineClockAndWaitedOutInOneWait) {
  // Half a millisecond into a millisecond, and close to the wrap of the microsecond counter.
  for (const uint32_t begin : {1'000'500u, 0xFFFF'FFFFu - 30'000u}) {
    SCOPED_TRACE(begin);
    Pictures pictures;
    FineClockPlatform platform(begin);
    Game game(platform, testing::LoadedPictures(pictures));
    uint32_t drawing = 10'400;
    platform.OnPresent = [&](const Surface&) { platform.now_ += drawing; };
    // The title keeps the same pace: three of its frames, 45 ms from yield to yield.
    std::vector<uint32_t> titleYields;
    platform.OnYield = [&] {
      if (!game.InTitle()) return;
      titleYields.push_back(platform.now_);
      if (game.TitleFrame() == 3) game.MenuCommand(MenuId::Start);
    };
    game.FormLoad();
    ASSERT_EQ(titleYields.size(), 3u);
    EXPECT_EQ(titleYields[1] - titleYields[0], 45'000u);
    EXPECT_EQ(titleYields[2] - titleYields[1], 45'000u);
    game.EnterMainLoop();
    for (const uint32_t draw : {10'400u, 44'999u, 45'000u, 60'000u, 0u}) {
      SCOPED_TRACE(draw);
      drawing = draw;
      const uint32_t before = platform.now_;
      const int waits = platform.waits;
      ASSERT_TRUE(game.RunFrame());
      EXPECT_EQ(platform.now_ - before, std::max(draw, 45'000u));
      EXPECT_EQ(platform.waits - waits, draw < 45'000u ? 1 : 0);
    }
  }
}

namespace {

// A fine clock on which every sleep ends late, as a real thread wakes after its deadline, by a
// lateness that varies from wait to wait.
class LateWakingPlatform : public FineClockPlatform {
 public:
  using FineClockPlatform::FineClockPlatform;
  void WaitUntil(uint32_t start, uint32_t micros) override {
    const bool sleeps = now_ - start < micros;
    FineClockPlatform::WaitUntil(start, micros);
    if (sleeps) now_ += wakeLatency + (spread == 0 ? 0 : random_.Next() % spread);
  }
  uint32_t wakeLatency = 0;
  uint32_t spread = 0;

 private:
  struct Lcg {
    uint32_t Next() { return (state = state * 1664525u + 1013904223u) >> 8; }
    uint32_t state = 1;
  } random_;
};

// The pacer between two frames of the game, with `work` microseconds of events and drawing
// before each frame is shown; returns the times frames were shown.
std::vector<uint32_t> PaceFrames(FramePacer& pacer, FineClockPlatform& platform, int frames,
                                 uint32_t work, uint32_t workSpread = 0) {
  std::vector<uint32_t> shown;
  uint32_t spread = 12345;
  for (int i = 0; i < frames; ++i) {
    spread = spread * 1103515245u + 12345u;
    platform.now_ += work + (workSpread == 0 ? 0 : (spread >> 8) % workSpread);
    pacer.WaitToShow(platform, 45);
    shown.push_back(platform.now_);
    pacer.Shown(platform.now_);
    pacer.Rest(platform, 45);
  }
  return shown;
}

}  // namespace

TEST(Pacing, FramesComeAPeriodApartAndNoMoreThanAFewTensOfMicrosecondsLaterWhereverTheyWake) {
  LateWakingPlatform platform(0xFFFF'FFFFu - 3'000'000u);  // the clock wraps during the run
  platform.wakeLatency = 60;
  platform.spread = 140;  // wakes 60-200 µs late
  FramePacer pacer;
  const std::vector<uint32_t> shown = PaceFrames(pacer, platform, 600, 150, 100);
  std::vector<uint32_t> periods;
  for (std::size_t i = 1; i < shown.size(); ++i) periods.push_back(shown[i] - shown[i - 1]);
  EXPECT_GE(*std::min_element(periods.begin(), periods.end()), 45'000u);
  // Without a lead each period would be 45.21-45.45 ms; once learnt, most are close to 45.
  std::vector<uint32_t> settled(periods.begin() + 100, periods.end());
  std::sort(settled.begin(), settled.end());
  EXPECT_LE(settled[settled.size() / 2], 45'000u + 120);
  EXPECT_LE(settled[settled.size() * 9 / 10], 45'000u + 220);
  EXPECT_GT(pacer.Lead(), 100u);
  EXPECT_LT(pacer.Lead(), 450u);
  // The lead is short enough that a frame is seldom ready too soon and put to sleep again.
  const int waits = platform.waits;
  PaceFrames(pacer, platform, 500, 150, 100);
  EXPECT_LE(platform.waits - waits, 500 + 60);

  // A slow frame is shown late and not made up: the next comes a period after it. It is no
  // lesson in waking up.
  const uint32_t lead = pacer.Lead();
  const std::vector<uint32_t> before = PaceFrames(pacer, platform, 1, 150);
  platform.now_ += 20'000;
  const std::vector<uint32_t> after = PaceFrames(pacer, platform, 2, 150);
  EXPECT_GE(after[0] - before[0], 65'000u - lead);
  EXPECT_GE(after[1] - after[0], 45'000u);
  EXPECT_LE(after[1] - after[0], 45'000u + 220);
  EXPECT_LE(pacer.Lead(), lead + 30);
}

TEST(Pacing, OnAnExactClockTheLeadStaysZeroAndTheWaitIsThePeriod) {
  // A clock that wakes on time, and the game's millisecond clock on which a frame that takes
  // longer is always at least a millisecond late.
  FineClockPlatform exact(1'000'500);
  FramePacer pacer;
  std::vector<uint32_t> shown = PaceFrames(pacer, exact, 50, 0);
  EXPECT_EQ(pacer.Lead(), 0u);
  EXPECT_EQ(shown.back() - shown.front(), 49u * 45'000u);
  EXPECT_EQ(exact.waits, 50);

  HeadlessPlatform headless("", 5000);
  FramePacer msPacer;
  for (int i = 0; i < 50; ++i) {
    headless.Advance(1);  // drawing the frame
    const uint32_t before = headless.TimeGetTime();
    msPacer.WaitToShow(headless, 45);
    EXPECT_EQ(headless.TimeGetTime(), before);
    msPacer.Shown(headless.MicroTime());
    msPacer.Rest(headless, 45);
  }
  EXPECT_EQ(msPacer.Lead(), 0u);
  EXPECT_EQ(headless.TimeGetTime(), 5000u + 50u * 46u);

  // A timer that cannot wake sooner than 0.9 ms after the period, however little is asked for,
  // does not drive the lead past its bound.
  class CoarseTimer : public FineClockPlatform {
   public:
    using FineClockPlatform::FineClockPlatform;
    void WaitUntil(uint32_t start, uint32_t) override { now_ = start + 45'900; }
  };
  CoarseTimer coarse(0);
  FramePacer coarsePacer;
  PaceFrames(coarsePacer, coarse, 100, 0);
  EXPECT_EQ(coarsePacer.Lead(), FramePacer::kMaxLead);

  // No period, no wait.
  FramePacer idle;
  idle.WaitToShow(exact, 0);
  idle.Shown(exact.now_);
  idle.Rest(exact, 0);
  idle.WaitToShow(exact, -45);
  idle.Shown(exact.now_);
  idle.Rest(exact, -45);
  EXPECT_EQ(exact.waits, 50);
}

TEST(Pacing, OnAClockReadToTheWholeMicrosecondNoFrameIsHandedOverEvenANanosecondTooSoon) {
  // Time runs in nanoseconds; it is read truncated to the microsecond, and a wait ends as the
  // desktop's does, a microsecond after its deadline as read, to allow for the truncation.
  class TruncatingPlatform : public HeadlessPlatform {
   public:
    TruncatingPlatform() : HeadlessPlatform(PELARYN_RUNTIME_DIR) {}
    uint32_t MicroTime() override { return static_cast<uint32_t>(nanos / 1000); }
    void WaitUntil(uint32_t start, uint32_t micros) override {
      const uint64_t deadline = (nanos / 1000 - (MicroTime() - start) + micros + 1) * 1000;
      nanos = std::max(nanos, deadline + wake);
    }
    uint64_t nanos = 7'000'000'000;
    uint64_t wake = 0;
  };
  TruncatingPlatform platform;
  FramePacer pacer;
  uint64_t last = 0;
  uint64_t shortest = UINT64_MAX;
  uint32_t spread = 99;
  for (int i = 0; i < 2000; ++i) {
    spread = spread * 1103515245u + 12345u;
    platform.wake = (spread >> 8) % 1500;                 // wakes up to 1.5 µs late
    platform.nanos += 100'000 + (spread >> 4) % 200'000;  // and takes 100-300 µs to draw
    pacer.WaitToShow(platform, 45);
    // Now and then the thread is held up before it hands the frame over.
    if (i % 3 == 1) platform.nanos += 30'000;
    pacer.Shown(platform.MicroTime());
    if (i > 0) shortest = std::min(shortest, platform.nanos - last);
    last = platform.nanos;
    pacer.Rest(platform, 45);
  }
  EXPECT_GE(shortest, 45'000'000u);
  EXPECT_LT(shortest, 45'001'000u);  // the lead was learnt: some frames came just in time
}

// Work before a frame is shown (here, time passing while the keys are read) varies from frame to
// frame; the frames shown must still come at least a period apart.
TEST(Pacing, ShownFramesComeAtLeastOnePeriodApartHoweverTheirWorkVaries) {
  class WorkingPlatform : public LateWakingPlatform {
   public:
    using LateWakingPlatform::LateWakingPlatform;
    bool KeyDown(int virtualKey) override {
      now_ += workPerKey;
      return LateWakingPlatform::KeyDown(virtualKey);
    }
    uint32_t workPerKey = 0;
  };
  Pictures pictures;
  WorkingPlatform platform(2'000'000);
  platform.wakeLatency = 100;
  Game game(platform, testing::LoadedPictures(pictures));
  std::vector<uint32_t> shown;
  platform.OnPresent = [&](const Surface&) { shown.push_back(platform.now_); };
  game.OnTitleStart = [&] { game.MenuCommand(MenuId::Start); };
  game.FormLoad();
  game.EnterMainLoop();
  const std::size_t first = shown.size();
  for (int i = 0; i < 200; ++i) {
    platform.workPerKey = (i * 37) % 11 * 2;
    ASSERT_TRUE(game.RunFrame());
  }
  ASSERT_EQ(shown.size(), first + 200);
  uint32_t shortest = UINT32_MAX;
  for (std::size_t i = first + 1; i < shown.size(); ++i) {
    shortest = std::min(shortest, shown[i] - shown[i - 1]);
  }
  EXPECT_GE(shortest, 45'000u);
  EXPECT_LE(shown.back() - shown[shown.size() - 101], 100u * (45'000u + 250u));
}

TEST(Pacing, WaitFrameWaitsFromItsCallInOneWait) {
  FineClockPlatform platform(7'300);
  WaitFrame(platform, 35);
  EXPECT_EQ(platform.now_, 42'300u);
  EXPECT_EQ(platform.waits, 1);
  WaitFrame(platform, 0);
  WaitFrame(platform, -1);
  EXPECT_EQ(platform.waits, 1);
  EXPECT_EQ(platform.now_, 42'300u);
  // Longer than the microsecond counter can hold: waited in parts that add up.
  WaitFrame(platform, 7'300'000);
  EXPECT_EQ(platform.waited, 35'000u + 7'300'000'000u);
}

}  // namespace pelaryn
