#pragma once

#include <cstdint>

#include "render/GameContext.h"

namespace pelaryn {

// One 13 x 20 digit glyph from the sheet.
void DrawDigit(GameContext& g, int digit, int x, int y);

// A number right-aligned at its units digit x0, `places` glyphs leftwards by `step`.
void DrawNumber(GameContext& g, int64_t value, int places, int x0, int step, int y);

// Decimal digits of a value, plus one: the number is always shown with one leading zero.
int NumberPlaces(int64_t value);

// The labels of the status display, in the order of its lines.
enum class StatusLabel { Score, HighScore, Combo, Max };

// One label at (x, y): in English when the context carries the English labels.
void DrawStatusLabel(GameContext& g, StatusLabel label, int x, int y);

// Score, high score, combo and best combo with their labels, in the top-left corner.
void DrawStatus(GameContext& g);

// The hearts of the lives left beyond the last one, nine to a row, top right.
void DrawLife(GameContext& g);

// The combo timer as a row of one-colour columns along the top.
void DrawComboGauge(GameContext& g);

// The boss's life as rainbow columns shrinking towards the bottom-right corner.
void DrawBossLifeGauge(GameContext& g);

// The counter of a finished long combo, following the ship sideways.
void DrawComboPopup(GameContext& g);

}  // namespace pelaryn
