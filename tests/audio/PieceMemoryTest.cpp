// The memory of rendered pieces on its own: samples across its blocks, the budget's room, and
// which pieces a change of names or of a file lets go.

#include "platform/desktop/PieceMemory.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace pelaryn {
namespace {

using Piece = PieceMemory::Piece;

Piece Counting(std::size_t samples, std::size_t step, std::vector<uint8_t> file = {1, 2, 3}) {
  Piece piece;
  piece.File = std::move(file);
  std::vector<int16_t> chunk(step);
  for (std::size_t at = 0; at < samples; at += step) {
    const std::size_t now = std::min(step, samples - at);
    std::iota(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(now),
              static_cast<int16_t>(at));
    piece.Append(chunk.data(), now);
  }
  return piece;
}

// Appended in steps that do not divide a block (an odd mixer buffer, one channel), read back in
// others, across every block boundary and past the end.
TEST(PieceMemory, SamplesReadBackAcrossBlocksWhateverTheSteps) {
  const std::size_t total = 2 * PieceMemory::BlockSamples + 777;
  for (const std::size_t step :
       {std::size_t{1000}, std::size_t{2048}, PieceMemory::BlockSamples + 3}) {
    const Piece piece = Counting(total, step);
    ASSERT_EQ(piece.Samples, total) << step;
    EXPECT_EQ(piece.Blocks.size(), 3u) << step;
    for (const std::size_t read : {std::size_t{1}, std::size_t{999}, std::size_t{4096}}) {
      std::vector<int16_t> out(read);
      for (std::size_t at = 0; at < total; at += read) {
        const std::size_t got = piece.Read(at, out.data(), read);
        ASSERT_EQ(got, std::min(read, total - at)) << step << ' ' << read << ' ' << at;
        for (std::size_t i = 0; i < got; ++i) {
          ASSERT_EQ(out[i], static_cast<int16_t>(at + i)) << step << ' ' << read << ' ' << at;
        }
      }
    }
    int16_t beyond = 7;
    EXPECT_EQ(piece.Read(total, &beyond, 1), 0u);
    EXPECT_EQ(beyond, 7);
  }
}

TEST(PieceMemory, KeepsWithinRoomLetsGoOfUnnamedAndKnowsChangedFiles) {
  PieceMemory memory(1000 * sizeof(int16_t));
  std::vector<Piece> letGo;
  EXPECT_EQ(memory.Room(), 2000u);
  memory.Keep("a", Counting(600, 100), letGo);
  EXPECT_EQ(memory.BytesHeld(), 1200u);
  EXPECT_EQ(memory.Room(), 800u);
  EXPECT_NE(memory.Find("a", {1, 2, 3}), nullptr);
  EXPECT_EQ(memory.Find("a", {1, 2, 4}), nullptr);  // another file under the same name
  EXPECT_FALSE(memory.Settled("a", {1, 2, 4}));
  EXPECT_TRUE(memory.Settled("a", {1, 2, 3}));

  memory.MarkTooLarge("b", {9}, letGo);
  EXPECT_TRUE(memory.Settled("b", {9}));      // nothing to render
  EXPECT_EQ(memory.Find("b", {9}), nullptr);  // and nothing to play from memory

  // Kept again under its name, the old rendering is handed back rather than held twice.
  memory.Keep("a", Counting(300, 100), letGo);
  EXPECT_EQ(letGo.size(), 2u);  // what "b" held before it was marked, and the first "a"
  EXPECT_EQ(memory.BytesHeld(), 600u);

  letGo.clear();
  memory.KeepOnly({"b"}, letGo);
  ASSERT_EQ(letGo.size(), 1u);
  EXPECT_EQ(letGo[0].Samples, 300u);
  EXPECT_EQ(memory.BytesHeld(), 0u);
  EXPECT_TRUE(memory.Settled("b", {9}));

  // Over the budget (a piece rendered while another was let go late): no room, not a wrap.
  memory.Keep("c", Counting(1500, 500), letGo);
  EXPECT_EQ(memory.Room(), 0u);
}

}  // namespace
}  // namespace pelaryn
