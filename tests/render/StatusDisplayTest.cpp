// The status display, by its pixels: digits, hearts, gauges and the combo popup.

#include "render/StatusDisplay.h"

#include <gtest/gtest.h>

#include "../TestGame.h"

namespace pelaryn {

using testing::Scene;
using testing::ShowsCell;

namespace {

constexpr uint32_t Black = Rgb(0, 0, 0);

struct Display : Scene {
  Surface blank{300, 400, Black};
  Display() { field = blank; }
  bool Digit(int d, int x, int y) {
    return ShowsCell(field, blank, pictures.Sheet, x, y, 13, 20, 65 + 13 * (d % 4),
                     65 + 20 * (d / 4));
  }
  bool Untouched(int x, int y, int w, int h) {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i)
        if (field.Pixel(i, j) != Black) return false;
    return true;
  }
  bool Column(int x, int y, int colour) {
    return ShowsCell(field, blank, pictures.Sheet, x, y, 4, 12, 80 + 4 * colour, 0);
  }
};

}  // namespace

TEST(StatusDisplay, NumbersAreRightAlignedWithOneLeadingZero) {
  EXPECT_EQ(NumberPlaces(0), 2);
  EXPECT_EQ(NumberPlaces(1234), 5);
  EXPECT_EQ(NumberPlaces(2147483647), 11);

  Display t;
  t.s.Score = 1234;
  t.s.HiScore = 0;
  DrawStatus(t.g);
  const int expected[] = {4, 3, 2, 1, 0};
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(t.Digit(expected[i], 137 - 13 * i, 0)) << i;
  EXPECT_TRUE(t.Untouched(58, 0, 85 - 58, 20));  // nothing between the label and the number
  EXPECT_TRUE(t.Digit(0, 137, 20));
  EXPECT_TRUE(t.Digit(0, 124, 20));
  EXPECT_TRUE(t.Untouched(64, 20, 124 - 64, 20));

  // Scores of nine and ten digits are shown whole.
  Display big;
  DrawNumber(big.g, 2000000001, NumberPlaces(2000000001), 137, 13, 0);
  EXPECT_TRUE(big.Digit(1, 137, 0));
  EXPECT_TRUE(big.Digit(2, 137 - 13 * 9, 0));
  EXPECT_TRUE(big.Digit(0, 7, 0));
}

TEST(StatusDisplay, HeartsShowTheLivesBeyondTheLastNineToARow) {
  Display t;
  t.s.Life = 10;
  DrawLife(t.g);
  for (int k = 0; k < 9; ++k) {
    EXPECT_TRUE(ShowsCell(t.field, t.blank, t.pictures.Sheet, 156 + 16 * k, 2, 16, 16, 32, 16));
  }
  EXPECT_TRUE(t.Untouched(0, 0, 156, 40));
  EXPECT_TRUE(t.Untouched(156, 18, 144, 16));

  Display two;
  two.s.Life = 11;
  DrawLife(two.g);
  EXPECT_TRUE(ShowsCell(two.field, two.blank, two.pictures.Sheet, 156, 18, 16, 16, 32, 16));
  EXPECT_TRUE(two.Untouched(172, 18, 128, 16));

  Display one;
  one.s.Life = 1;
  DrawLife(one.g);
  EXPECT_TRUE(one.Untouched(0, 0, 300, 400));
}

TEST(StatusDisplay, GaugesHaveOneColumnPerStep) {
  Display combo;
  combo.s.ComboTimer = 39;
  DrawComboGauge(combo.g);
  EXPECT_TRUE(combo.Column(0, 40, 9));
  EXPECT_TRUE(combo.Column(156, 40, 9));
  EXPECT_TRUE(combo.Untouched(160, 40, 140, 12));

  Display shortOne;
  shortOne.s.ComboTimer = 3;
  DrawComboGauge(shortOne.g);
  EXPECT_TRUE(shortOne.Column(12, 40, 0));
  EXPECT_TRUE(shortOne.Untouched(16, 40, 284, 12));

  Display overfull;  // past a full gauge it keeps the last colour
  overfull.s.ComboTimer = 57;
  DrawComboGauge(overfull.g);
  EXPECT_TRUE(overfull.Column(228, 40, 9));

  Display boss;
  boss.s.Level = 0;
  boss.s.Boss.Life() = 50;
  DrawBossLifeGauge(boss.g);
  EXPECT_TRUE(boss.Column(150, 388, 9));
  EXPECT_TRUE(boss.Column(297, 388, 9));
  EXPECT_TRUE(boss.Untouched(0, 388, 150, 12));

  Display dying;
  dying.s.Level = 0;
  dying.s.Boss.Life() = 0;
  DrawBossLifeGauge(dying.g);
  EXPECT_TRUE(dying.Untouched(0, 0, 300, 400));
}

TEST(StatusDisplay, TheComboPopupFollowsTheShip) {
  Display t;
  t.s.Player.X = 150;
  t.s.ComboPopupTimer = 50;
  t.s.ComboPopupDigits = static_cast<int16_t>(NumberPlaces(10));
  t.s.ComboPopupValue = 10;
  DrawComboPopup(t.g);
  EXPECT_EQ(t.s.ComboPopupTimer, 50);  // drawing changes nothing; the popup counts itself
  Surface withBar = t.blank;
  DrawSprite(withBar, t.pictures.Sheet, 131, 155, 35, 13, 93, 108);
  EXPECT_TRUE(ShowsCell(t.field, withBar, t.pictures.Sheet, 155, 150, 13, 20, 65, 65));
  EXPECT_TRUE(ShowsCell(t.field, withBar, t.pictures.Sheet, 141, 150, 13, 20, 78, 65));
  EXPECT_TRUE(ShowsCell(t.field, withBar, t.pictures.Sheet, 127, 150, 13, 20, 65, 65));
  EXPECT_TRUE(t.Untouched(0, 150, 127, 20));
}

TEST(StatusDisplay, ALongComboPopsUpWhenItsTimerRunsOut) {
  Scene t;
  t.s.Combo = 12;
  t.s.ComboTimer = 2;
  t.Frames(1);
  EXPECT_EQ(t.s.ComboPopupTimer, 0);
  t.Frames(1);
  EXPECT_EQ(t.s.ComboPopupValue, 12);
  EXPECT_EQ(t.s.ComboPopupDigits, 3);
  EXPECT_EQ(t.s.ComboPopupTimer, 49);  // counted down by its first drawing
  EXPECT_EQ(t.s.Combo, 12);
}

}  // namespace pelaryn
