// The small per-frame rules of the picture: the animation clock, the hit effect, and the hearts.

#include <gtest/gtest.h>

#include "../TestGame.h"
#include "render/Animation.h"
#include "render/Cells.h"
#include "render/HitEffect.h"
#include "render/StatusDisplay.h"

namespace pelaryn {

using testing::Scene;
using testing::ShowsCell;

TEST(Effects, TheAnimationClockSwingsOverTwentyTwoFrames) {
  GameState s;
  std::vector<int> phases, frames;
  for (int n = 0; n < 24; ++n) {
    AdvanceAnimationClock(s);
    phases.push_back(s.BlinkPhase);
    frames.push_back(s.BlinkFrame);
  }
  // From a fresh state the step is 0 for one frame, then 1.
  const std::vector<int> expected = {0,  1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
                                     10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0,  1};
  EXPECT_EQ(phases, expected);
  for (std::size_t n = 0; n < phases.size(); ++n) EXPECT_EQ(frames[n], phases[n] > 5 ? 1 : 0);
}

TEST(Effects, AHitShowsRingFlashFlareFlareAndTwoQuietFrames) {
  Scene t;
  const Surface flash(300, 400, Rgb(255, 0, 0));
  t.s.Player.X = 100;
  t.s.Player.Y = 200;
  t.s.HitFlash = -6;
  std::vector<Surface> shown;
  for (int n = 0; n < 7; ++n) {
    t.field.Fill(Rgb(0, 0, 0));
    DrawHitEffect(t.g, flash);
    shown.push_back(t.field);
  }
  const Surface black(300, 400, Rgb(0, 0, 0));
  const CellRect ring = Cell::Blast(0), flare = Cell::Blast(1);
  EXPECT_TRUE(ShowsCell(shown[0], black, t.Sheet(), 92, 200, 32, 32, ring.X, ring.Y));
  for (int y : {0, 199, 399}) EXPECT_EQ(shown[1].Pixel(y % 300, y), Rgb(255, 0, 0));
  EXPECT_TRUE(ShowsCell(shown[2], black, t.Sheet(), 92, 200, 32, 32, flare.X, flare.Y));
  EXPECT_TRUE(ShowsCell(shown[3], black, t.Sheet(), 92, 200, 32, 32, flare.X, flare.Y));
  for (int n : {4, 5, 6}) {
    EXPECT_EQ(std::count(shown[n].Data(), shown[n].Data() + 300 * 400, Rgb(0, 0, 0)), 300 * 400)
        << n;
  }
  EXPECT_EQ(t.s.HitFlash, 0);
}

TEST(Effects, AGentleFlashLaysTheRedOverTheFieldAtAQuarter) {
  Scene t;
  t.g.GentleFlash = true;
  const Surface flash(300, 400, Rgb(255, 0, 0));
  // Every channel value the field can hold, rounding included.
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 300; ++x) {
      t.field.SetPixel(x, y,
                       Rgb(static_cast<uint32_t>(x % 256), static_cast<uint32_t>(y % 256),
                           static_cast<uint32_t>((x + y) % 256)));
    }
  }
  const Surface before = t.field;
  t.s.HitFlash = -5;
  DrawHitEffect(t.g, flash);
  EXPECT_EQ(t.s.HitFlash, -4);
  auto channel = [](uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); };
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 300; ++x) {
      const uint32_t was = before.Pixel(x, y);
      const auto r = static_cast<uint32_t>((3 * channel(was, 16) + 255 + 2) / 4);
      const auto g = static_cast<uint32_t>((3 * channel(was, 8) + 2) / 4);
      const auto b = static_cast<uint32_t>((3 * channel(was, 0) + 2) / 4);
      ASSERT_EQ(t.field.Pixel(x, y), Rgb(r, g, b)) << x << "," << y;
    }
  }
}

TEST(Effects, HeartsFillTheFieldDownToItsLastRowAndNoFurther) {
  auto hearts = [](int life) {
    Scene t;
    t.field.Fill(Rgb(0, 0, 0));
    t.s.Life = static_cast<int16_t>(life);
    DrawLife(t.g);
    return t.field;
  };
  const Surface black(300, 400, Rgb(0, 0, 0));
  Scene sheet;
  const Surface huge = hearts(30000);
  // Row 24 (y 386) is the last one the field shows: all nine hearts are there.
  for (int column = 0; column < 9; ++column) {
    EXPECT_TRUE(ShowsCell(huge, black, sheet.Sheet(), 156 + 16 * column, 386, 16, 16, Cell::Heart.X,
                          Cell::Heart.Y))
        << column;
  }
  const Surface full = hearts(1 + 9 * 25);
  EXPECT_TRUE(std::equal(huge.Data(), huge.Data() + 300 * 400, full.Data()));
  const Surface oneShort = hearts(9 * 25);
  EXPECT_FALSE(std::equal(oneShort.Data(), oneShort.Data() + 300 * 400, full.Data()));
  const Surface none = hearts(1);
  EXPECT_TRUE(std::equal(none.Data(), none.Data() + 300 * 400, black.Data()));
}

}  // namespace pelaryn
