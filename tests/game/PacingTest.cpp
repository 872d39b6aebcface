#include "game/Pacing.h"

#include <gtest/gtest.h>

#include "../TestGame.h"

namespace pelaryn {
namespace {

// A platform whose pacing clock counts microseconds while its millisecond counter truncates, as
// a real one does; it counts the waits and ends each exactly at its deadline.
class FineClockPlatform : public HeadlessPlatform {
 public:
  explicit FineClockPlatform(uint32_t micros)
      : HeadlessPlatform(PELARYN_RUNTIME_DIR), now_(micros) {}
  uint32_t TimeGetTime() override { return now_ / 1000; }
  void Sleep(uint32_t ms) override { now_ += ms * 1000; }
  uint32_t MicroTime() override { return now_; }
  void WaitUntil(uint32_t start, uint32_t micros) override {
    ++waits;
    if (now_ - start < micros) {
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
      EXPECT_EQ(platform.waits - waits, 1);
    }
  }
}

// Work before a frame is shown (here, time passing while the keys are read) varies from frame to
// frame; the frames shown must still come at least a period apart, and each one period after
// the last was shown plus its own work.
TEST(Pacing, ShownFramesComeAtLeastOnePeriodApartHoweverTheirWorkVaries) {
  class WorkingPlatform : public FineClockPlatform {
   public:
    using FineClockPlatform::FineClockPlatform;
    bool KeyDown(int virtualKey) override {
      now_ += workPerKey;
      return FineClockPlatform::KeyDown(virtualKey);
    }
    uint32_t workPerKey = 0;
  };
  Pictures pictures;
  WorkingPlatform platform(2'000'000);
  Game game(platform, testing::LoadedPictures(pictures));
  std::vector<uint32_t> shown;
  platform.OnPresent = [&](const Surface&) { shown.push_back(platform.now_); };
  game.OnTitleStart = [&] { game.MenuCommand(MenuId::Start); };
  game.FormLoad();
  game.EnterMainLoop();
  std::vector<uint32_t> work;
  for (const uint32_t perKey : {300u, 0u, 500u, 20u, 0u}) {
    platform.workPerKey = perKey;
    const uint32_t before = platform.now_;
    const std::size_t presents = shown.size();
    ASSERT_TRUE(game.RunFrame());
    ASSERT_EQ(shown.size(), presents + 1);
    work.push_back(shown.back() - before);
    EXPECT_GE(platform.now_ - before, 45'000u);
  }
  ASSERT_GT(work[0], work[1]);  // the keys are read, so the work did vary
  for (std::size_t i = shown.size() - 4; i < shown.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(shown[i] - shown[i - 1], 45'000u + work[i - (shown.size() - 5)]);
  }
}

TEST(Pacing, WaitFrameWaitsFromItsCallInOneWait) {
  FineClockPlatform platform(7'300);
  WaitFrame(platform, 35);
  EXPECT_EQ(platform.now_, 42'300u);
  EXPECT_EQ(platform.waits, 1);
  WaitFrame(platform, 0);
  WaitFrame(platform, -1);
  WaitFrameEnd(platform, 0, 0);
  WaitFrameEnd(platform, 0, -45);
  EXPECT_EQ(platform.waits, 1);
  EXPECT_EQ(platform.now_, 42'300u);
  // Longer than the microsecond counter can hold: waited in parts that add up.
  WaitFrame(platform, 7'300'000);
  EXPECT_EQ(platform.waited, 35'000u + 7'300'000'000u);
}

}  // namespace pelaryn
