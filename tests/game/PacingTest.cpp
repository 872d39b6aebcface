#include "game/Pacing.h"

#include <gtest/gtest.h>

#include "../TestGame.h"

namespace pelaryn {

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

}  // namespace pelaryn
