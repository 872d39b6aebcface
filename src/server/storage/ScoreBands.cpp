#include "server/storage/ScoreBands.h"

namespace pelaryn {

std::array<BandSpan, BandLevels> BandsAbove(int32_t score, bool andEqual) {
  const int64_t key = ScoreKey(score);
  std::array<BandSpan, BandLevels> spans;
  for (int level = 0; level < BandLevels; ++level) {
    const int64_t own = BandOf(key, level);
    // Bands of this level that share the next level's band with our own, above our own; the
    // score's own band itself only at the finest level, where it holds this score alone.
    const bool withOwn = andEqual && level == 0;
    spans[level] = {
        .Level = level, .First = withOwn ? own : own + 1, .Last = own | (BandsPerParent - 1)};
  }
  return spans;
}

BandSpan BandsWithin(int level, int64_t band) {
  return {.Level = level - 1,
          .First = band << BandBits,
          .Last = (band << BandBits) | (BandsPerParent - 1)};
}

}  // namespace pelaryn
