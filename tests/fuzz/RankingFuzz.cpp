// The ranking file beside the program, as any editor or disk may leave it. Every name read is
// valid UTF-8, and the ten rows read, written and read back into a ranking that differs in
// every value give the same file again.

#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "persist/GameFiles.h"
#include "persist/Ranking.h"

using pelaryn::fuzz::Check;
using pelaryn::fuzz::ValidUtf8;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace pelaryn;
  GameState s;
  ResetRanking(s);
  ReadRankingText(DecodeFileText({reinterpret_cast<const char*>(data), size}), s);
  for (const RankEntry& entry : s.Ranking) {
    Check(ValidUtf8(entry.Name), "a name read is valid UTF-8");
  }
  const std::string written = RankingFileText(s);

  GameState back = s;
  for (RankEntry& entry : back.Ranking) {
    entry.Name += "~";
    entry.Score ^= 1;
    entry.ShotRatio ^= 1;
    entry.MaxCombo ^= 1;
  }
  ReadRankingText(DecodeFileText(EncodeFileText(written)), back);
  Check(RankingFileText(back) == written, "the ranking reads back as it was written");
  return 0;
}
