#include "persist/Ranking.h"

#include <algorithm>

namespace pelaryn {

RankEntry DefaultRankEntry(int i) {
  return {.Name = "KEVA", .Score = 100 - 10 * i, .ShotRatio = 0, .MaxCombo = 0};
}

void ResetRanking(GameState& s) {
  s.HiScore = 100;
  for (int i = 0; i < RankingCount; ++i) s.Ranking[i] = DefaultRankEntry(i);
}

uint8_t ComputeShotRatio(int32_t shotDown, int32_t appeared) {
  if (appeared <= 0) return 0;
  const int64_t ratio = int64_t{shotDown} * 100 / appeared;
  return static_cast<uint8_t>(std::clamp<int64_t>(ratio, 0, 100));
}

std::optional<int> RankingPlace(const GameState& s, int32_t score) {
  for (int i = 0; i < RankingCount; ++i) {
    if (score > s.Ranking[i].Score) return i;
  }
  return std::nullopt;
}

void InsertRankEntry(GameState& s, int place, int32_t score, uint8_t ratio, int16_t combo) {
  for (int j = RankingCount - 1; j > place; --j) s.Ranking[j] = s.Ranking[j - 1];
  s.Ranking[place] = {.Name = {}, .Score = score, .ShotRatio = ratio, .MaxCombo = combo};
}

std::string RankingName(std::string typed) {
  std::string name;
  name.reserve(typed.size());
  for (char c : typed) {
    if (c == '"') {
      name += "”";
    } else {
      name += c;
    }
  }
  return name;
}

}  // namespace pelaryn
