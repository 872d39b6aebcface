// The status display, by its pixels: labels in either language, digits, hearts, gauges and the
// combo popup.

#include "render/StatusDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>

#include "../TestGame.h"
#include "base/Arith.h"
#include "render/Cells.h"
#include "render/Title.h"

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

bool SamePixels(const Surface& a, const Surface& b) {
  for (int y = 0; y < a.Height(); ++y) {
    if (!std::equal(a.Row(y), a.Row(y) + a.Width(), b.Row(y))) return false;
  }
  return true;
}

// Every column drawn, one after another: how the gauges are meant to look.
void EveryGaugeColumn(Surface& field, const SpriteSheet& sheet, const GameState& s) {
  const int full = s.Level * 10 + 50;
  const double step = 150.0 / full;
  const int colour = std::clamp(static_cast<int>(Round(150.0 * s.Boss.Life() / full) / 16), 0, 9);
  for (int i = 0; i <= s.Boss.Life(); ++i) {
    DrawSprite(field, sheet, static_cast<int>(Round(300 - step * i)), 388, 4, 12, 80 + 4 * colour,
               0);
  }
  const int comboColour = std::min(s.ComboTimer / 4, 9);
  for (int i = 0; i <= s.ComboTimer; ++i) {
    DrawSprite(field, sheet, 4 * i, 40, 4, 12, 80 + 4 * comboColour, 0);
  }
}

TEST(StatusDisplay, GaugesDrawEachPlaceOnceYetLookAsIfEveryColumnWereDrawn) {
  Scene scene;
  // Our gauge cells hide what is under them; a mask with see-through bits makes a column drawn
  // on itself toggle them, so how often each place is drawn shows.
  SpriteSheet seeThrough = scene.pictures.Sheet;
  for (int y = 0; y < 12; ++y) {
    for (int x = 80; x < 120; ++x)
      seeThrough.Mask.SetPixel(x, y, Rgb((x * 5) & 0xFF, 0x0F, y * 20));
  }
  for (const SpriteSheet* sheet : {&scene.pictures.Sheet, &seeThrough}) {
    for (const auto& [level, life, timer] : {std::tuple{0, 50, 39},
                                             {0, 3, 2},
                                             {0, 101, 3},  // past a full gauge, to the edge
                                             {0, 240, 70},
                                             {7, 119, 75},
                                             {300, 3049, 100},
                                             {300, 1000, 1000},
                                             {3276, 32767, 32767},
                                             {32767, 32767, 0}}) {
      GameState s;
      s.Level = static_cast<int16_t>(level);
      s.Boss.Life() = static_cast<int16_t>(life);
      s.ComboTimer = static_cast<int16_t>(timer);
      Surface expected(300, 400);
      for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 300; ++x)
          expected.SetPixel(x, y, Rgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
      }
      Surface drawn = expected;
      EveryGaugeColumn(expected, *sheet, s);
      GameContext g{{s, scene.random, scene.platform}, drawn, *sheet};
      DrawBossLifeGauge(g);
      DrawComboGauge(g);
      EXPECT_TRUE(SamePixels(drawn, expected)) << level << " " << life << " " << timer;
    }
  }
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

namespace pelaryn {
namespace {

// Where each label stands and the cell it shows in either language; MAX has one for both.
struct LabelPlace {
  int x, y;
  CellRect japanese;
  std::optional<CellRect> english;
};
const LabelPlace LabelPlaces[] = {{0, 0, Cell::ScoreLabel, Cell::English::ScoreLabel},
                                  {0, 20, Cell::HighScoreLabel, Cell::English::HighScoreLabel},
                                  {0, 50, Cell::ComboLabel, Cell::English::ComboLabel},
                                  {0, 70, Cell::MaxLabel, std::nullopt}};

// The sheet and cell a place shows in a language.
struct Shown {
  const SpriteSheet* sheet;
  CellRect cell;
};
Shown Expected(const Pictures& pictures, const LabelPlace& place, bool english) {
  if (english && place.english) return {&pictures.EnglishLabels, *place.english};
  return {&pictures.Sheet, place.japanese};
}
bool Shows(const Surface& field, const Surface& before, const LabelPlace& place, Shown e) {
  return ShowsCell(field, before, *e.sheet, place.x, place.y, e.cell.W, e.cell.H, e.cell.X,
                   e.cell.Y);
}

}  // namespace

TEST(StatusDisplay, TheLabelsShowInTheChosenLanguageAndLeaveTheDigitsAlone) {
  for (const bool english : {false, true}) {
    for (void (*draw)(GameContext&) : {DrawStatus, DrawTitleStatus}) {
      Display t;
      if (english) t.g.EnglishLabels = &t.pictures.EnglishLabels;
      // Numbers as long as the labels leave room for: seven places put the first digit at x 59,
      // three at x 39. The Japanese high-score label is wider and meets a seventh place.
      t.s.Score = 123456;
      t.s.HiScore = english ? 987654 : 98765;
      t.s.Combo = 12;
      t.s.MaxCombo = 34;
      draw(t.g);
      // The labels and the numbers where they always were, and nothing else.
      Surface expected = t.blank;
      GameContext g{{t.s, t.random, t.platform}, expected, t.pictures.Sheet};
      for (const LabelPlace& place : LabelPlaces) {
        const Shown e = Expected(t.pictures, place, english);
        EXPECT_TRUE(Shows(t.field, t.blank, place, e)) << place.y << (english ? " English" : "");
        DrawSprite(expected, *e.sheet, place.x, place.y, e.cell.W, e.cell.H, e.cell.X, e.cell.Y);
      }
      DrawNumber(g, t.s.Score, 7, 137, 13, 0);
      DrawNumber(g, t.s.HiScore, english ? 7 : 6, 137, 13, 20);
      if (draw == DrawStatus) {
        DrawNumber(g, 12, 3, 65, 13, 46);
        DrawNumber(g, 34, 3, 65, 13, 66);
      }
      EXPECT_TRUE(SamePixels(t.field, expected)) << english << (draw == DrawStatus);
    }
  }
}

TEST(StatusDisplay, TheGameDrawsItsLabelsInTheLanguageItIsGiven) {
  for (const bool english : {false, true}) {
    testing::TestGame t;
    t.game.SetEnglishLabels(english);
    t.Frames(2);
    // Drawing a cell over the field again changes nothing exactly where it shows already.
    const Surface& field = t.Field();
    for (const LabelPlace& place : LabelPlaces) {
      EXPECT_TRUE(Shows(field, field, place, Expected(t.pictures, place, english))) << place.y;
      if (place.english) {
        EXPECT_FALSE(Shows(field, field, place, Expected(t.pictures, place, !english)));
      }
    }
  }
}

}  // namespace pelaryn
