#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/GameState.h"

namespace pelaryn {

// Row i of the ranking a new installation starts with: "KEVA", 100 − 10 × i, no ratio, no combo.
RankEntry DefaultRankEntry(int i);

// The ranking window's 初期化: the default ten rows, and a high score of 100 to match.
void ResetRanking(GameState& s);

// Shoot-down ratio in percent: 0 when no enemy appeared, never outside 0..100 whatever the
// counters hold.
uint8_t ComputeShotRatio(int32_t shotDown, int32_t appeared);

// Where a score enters the ranking: the first row it strictly beats, or none. An equal score
// goes below the row it ties with.
std::optional<int> RankingPlace(const GameState& s, int32_t score);

// Makes room at `place` (the last row falls off) and stores the score, ratio and combo there;
// the name is left empty for the caller to fill.
void InsertRankEntry(GameState& s, int place, int32_t score, uint8_t ratio, int16_t combo);

// A name as the ranking keeps it: a double quote would end the name's field in the file and
// split it, so it becomes the full-width ” that reads the same.
std::string RankingName(std::string typed);

}  // namespace pelaryn
