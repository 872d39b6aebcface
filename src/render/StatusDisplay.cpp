#include "render/StatusDisplay.h"

#include <algorithm>

#include "core/Arith.h"

namespace pelaryn {
namespace {

constexpr int StripColours = 10;

void GaugeColumn(GameContext& g, int x, int y, int colour) {
  g.Sprite(x, y, 4, 12, 80 + 4 * colour, 0);
}

}  // namespace

void DrawDigit(GameContext& g, int digit, int x, int y) {
  g.Sprite(x, y, 13, 20, 65 + 13 * (digit % 4), 65 + 20 * (digit / 4));
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
  g.Sprite(0, 0, 58, 20, 64, 176);
  g.Sprite(0, 20, 64, 20, 64, 196);
  DrawNumber(g, s.Score, NumberPlaces(s.Score), 137, 13, 0);
  DrawNumber(g, s.HiScore, NumberPlaces(s.HiScore), 137, 13, 20);
  g.Sprite(0, 50, 38, 16, 64, 216);
  DrawNumber(g, s.Combo, NumberPlaces(s.Combo), 65, 13, 46);
  g.Sprite(0, 70, 36, 15, 80, 13);
  DrawNumber(g, s.MaxCombo, NumberPlaces(s.MaxCombo), 65, 13, 66);
}

void DrawLife(GameContext& g) {
  const int w = g.PicMain.Width();
  for (int i = 2; i <= g.s.Life; ++i) {
    g.Sprite(w - 144 + 16 * ((i - 2) % 9), 2 + 16 * ((i - 2) / 9), 16, 16, 32, 16);
  }
}

void DrawComboGauge(GameContext& g) {
  // Hits that do not kill can push the timer past a full gauge; it then keeps the last colour.
  const int timer = g.s.ComboTimer;
  const int colour = std::min(timer / 4, StripColours - 1);
  for (int i = 0; i <= timer; ++i) GaugeColumn(g, 4 * i, 40, colour);
}

void DrawBossLifeGauge(GameContext& g) {
  const GameState& s = g.s;
  const int full = s.Level * 10 + 50;
  if (full <= 0) return;
  const double step = 150.0 / full;
  const int colour =
      std::clamp(static_cast<int>(Round(150.0 * s.Boss.Life() / full) / 16), 0, StripColours - 1);
  for (int i = 0; i <= s.Boss.Life(); ++i) {
    GaugeColumn(g, static_cast<int>(Round(300 - step * i)), 388, colour);
  }
}

void DrawComboPopup(GameContext& g) {
  GameState& s = g.s;
  const int c = 155 - (150 - s.Player.X) / 2;
  g.Sprite(c - 3 - 7 * s.ComboPopupDigits, 155, 35, 13, 93, 108);
  DrawNumber(g, s.ComboPopupValue, s.ComboPopupDigits, c, 14, 150);
  --s.ComboPopupTimer;
}

}  // namespace pelaryn
