#pragma once

#include <array>
#include <cstdint>

namespace pelaryn {

// How many runs of a board lie above a score, without counting them one by one: each board keeps
// the number of its runs in bands of scores at four widths, 1, 256, 65 536 and 16 777 216 scores
// wide (levels 0 to 3), each band within one band of the next level. The runs above a score are
// those in the bands beside its own, above it, at every level: at most 255 bands a level, however
// many runs the board holds. The same bands, walked from the top, find the score at a given rank.

inline constexpr int BandLevels = 4;
inline constexpr int BandBits = 8;
inline constexpr int64_t BandsPerParent = int64_t{1} << BandBits;

// A score as an unsigned key in the same order, so that bands never straddle zero.
constexpr int64_t ScoreKey(int32_t score) {
  return int64_t{score} + (int64_t{1} << 31);
}
constexpr int32_t KeyScore(int64_t key) {
  return static_cast<int32_t>(key - (int64_t{1} << 31));
}

// The band that holds `key` at `level`.
constexpr int64_t BandOf(int64_t key, int level) {
  return key >> (BandBits * level);
}

// The bands First … Last of one level.
struct BandSpan {
  int Level = 0;
  int64_t First = 0;
  int64_t Last = -1;  // empty when below First
};

// The bands holding exactly the runs whose score is above `score` (`andEqual`: or equal to it).
std::array<BandSpan, BandLevels> BandsAbove(int32_t score, bool andEqual);

// The bands one level down that make up `band` of `level` (level > 0).
BandSpan BandsWithin(int level, int64_t band);

}  // namespace pelaryn
