#include "render/StatusDisplay.h"

#include <algorithm>
#include <optional>

#include "base/Arith.h"
#include "render/Cells.h"

namespace pelaryn {
namespace {

void GaugeColumn(GameContext& g, int x, int y, int colour) {
  const CellRect cell = Cell::GaugeColumn(colour);
  g.Sprite(x, y, cell.W, cell.H, cell.X, cell.Y);
}

void Label(GameContext& g, int x, int y, const CellRect& cell) {
  g.Sprite(x, y, cell.W, cell.H, cell.X, cell.Y);
}

struct LabelCells {
  CellRect Japanese;                // on the sprite sheet
  std::optional<CellRect> English;  // on the English label sheet
};

// By StatusLabel. MAX reads the same in English and keeps its one cell.
constexpr LabelCells StatusLabels[] = {
    {Cell::ScoreLabel, Cell::English::ScoreLabel},
    {Cell::HighScoreLabel, Cell::English::HighScoreLabel},
    {Cell::ComboLabel, Cell::English::ComboLabel},
    {Cell::MaxLabel, std::nullopt},
};

}  // namespace

void DrawStatusLabel(GameContext& g, StatusLabel label, int x, int y) {
  const LabelCells& cells = StatusLabels[static_cast<int>(label)];
  if (g.EnglishLabels && cells.English) {
    const CellRect& cell = *cells.English;
    DrawSprite(g.PicMain, *g.EnglishLabels, x, y, cell.W, cell.H, cell.X, cell.Y);
  } else {
    Label(g, x, y, cells.Japanese);
  }
}

void DrawDigit(GameContext& g, int digit, int x, int y) {
  Label(g, x, y, Cell::Digit(digit));
}

int NumberPlaces(int64_t value) {
  int digits = 1;
  for (int64_t v = value; v >= 10; v /= 10) ++digits;
  return digits + 1;
}

void DrawNumber(GameContext& g, int64_t value, int places, int x0, int step, int y) {
  // Powers of ten are taken in 64 bits, so every 32-bit score shows all its digits.
  value = std::max<int64_t>(value, 0);
  int64_t power = 1;
  for (int i = 1; i <= places && i <= 18; ++i, power *= 10) {
    DrawDigit(g, static_cast<int>(value / power % 10), x0 - step * (i - 1), y);
  }
}

void DrawStatus(GameContext& g) {
  const GameState& s = g.s;
  DrawStatusLabel(g, StatusLabel::Score, 0, 0);
  DrawStatusLabel(g, StatusLabel::HighScore, 0, 20);
  DrawNumber(g, s.Score, NumberPlaces(s.Score), 137, 13, 0);
  DrawNumber(g, s.HiScore, NumberPlaces(s.HiScore), 137, 13, 20);
  DrawStatusLabel(g, StatusLabel::Combo, 0, 50);
  DrawNumber(g, s.Combo, NumberPlaces(s.Combo), 65, 13, 46);
  DrawStatusLabel(g, StatusLabel::Max, 0, 70);
  DrawNumber(g, s.MaxCombo, NumberPlaces(s.MaxCombo), 65, 13, 66);
}

void DrawLife(GameContext& g) {
  const int w = g.PicMain.Width();
  // Rows below the field would draw nothing; a huge Life must not cost a sprite per heart.
  const int visibleRows = (g.PicMain.Height() - 2 + 15) / 16;
  const int last = std::min<int>(g.s.Life, 1 + 9 * visibleRows);
  for (int i = 2; i <= last; ++i) {
    Label(g, w - 144 + 16 * ((i - 2) % 9), 2 + 16 * ((i - 2) / 9), Cell::Heart);
  }
}

void DrawComboGauge(GameContext& g) {
  // Hits that do not kill can push the timer past a full gauge; it then keeps the last colour.
  const int timer = g.s.ComboTimer;
  const int colour = std::min(timer / 4, Cell::GaugeColours - 1);
  // Columns past the field's edge would draw nothing.
  const int last = std::min(timer, (g.PicMain.Width() - 1) / 4);
  for (int i = 0; i <= last; ++i) GaugeColumn(g, 4 * i, 40, colour);
}

void DrawBossLifeGauge(GameContext& g) {
  const GameState& s = g.s;
  const int full = s.Level * 10 + 50;
  if (full <= 0) return;
  const double step = 150.0 / full;
  const int colour = std::clamp(static_cast<int>(Round(150.0 * s.Boss.Life() / full) / 16), 0,
                                Cell::GaugeColours - 1);
  auto columnX = [step](int i) { return static_cast<int>(Round(300 - step * i)); };
  // At a high level thousands of columns land on each place. A column drawn on itself toggles
  // the see-through bits of its mask again, so a run of k alike draws as one draw when k is odd
  // and as two when it is even: the same picture for a few hundred draws a frame.
  const int last = s.Boss.Life();
  const int columnWidth = Cell::GaugeColumn(colour).W;
  for (int i = 0; i <= last;) {
    const int x = columnX(i);
    if (x + columnWidth <= 0) break;  // the places only move left
    // The first column at another place; columnX never grows with i.
    int low = i + 1;
    int high = last + 1;
    while (low < high) {
      const int middle = low + (high - low) / 2;
      if (columnX(middle) == x) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    const int run = low - i;
    if (x < g.PicMain.Width()) {
      GaugeColumn(g, x, 388, colour);
      if (run % 2 == 0) GaugeColumn(g, x, 388, colour);
    }
    i = low;
  }
}

void DrawComboPopup(GameContext& g) {
  const GameState& s = g.s;
  const int c = 155 - (150 - s.Player.X) / 2;
  Label(g, c - 3 - 7 * s.ComboPopupDigits, 155, Cell::ComboBar);
  DrawNumber(g, s.ComboPopupValue, s.ComboPopupDigits, c, 14, 150);
}

}  // namespace pelaryn
