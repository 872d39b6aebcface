#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pelaryn {

// The pieces of music as the synthesiser renders them, so that a piece plays from memory while
// the synthesiser rests. Samples are 16-bit, interleaved, at the mixer's rate and channels. All
// pieces together stay within a budget; a piece that would not fit is marked so and plays live.
//
// Not thread-safe by itself: its owner holds one lock around every call. Pieces are built
// elsewhere and moved in whole, and those let go are moved out, so nothing here allocates or
// frees sample memory under that lock.
class PieceMemory {
 public:
  static constexpr std::size_t DefaultBudgetBytes = std::size_t{96} << 20;

  // In blocks rather than one array, so that a piece grows while it is rendered without being
  // copied, and without holding twice its size for a moment.
  static constexpr std::size_t BlockSamples = 65'536;  // 128 KiB, some 0.7 s of stereo
  using Block = std::unique_ptr<int16_t[]>;

  struct Piece {
    std::vector<uint8_t> File;  // the piece's bytes: the same name may come to hold another
    std::vector<Block> Blocks;
    std::size_t Samples = 0;    // of the blocks, those rendered
    std::size_t EndSample = 0;  // where the piece is reported ended; a ringing tail follows

    // Copies up to `count` samples from `at` on into `out`; how many there were.
    std::size_t Read(std::size_t at, int16_t* out, std::size_t count) const;
    // The renderer's next samples, at the end.
    void Append(const int16_t* samples, std::size_t count);
  };

  explicit PieceMemory(std::size_t budgetBytes = DefaultBudgetBytes) : budget_(budgetBytes) {}

  // The rendering of `file` under `path`; null when there is none.
  const Piece* Find(const std::string& path, const std::vector<uint8_t>& file) const;
  // Whether `path` with these bytes needs no rendering: it is kept, or known not to fit.
  bool Settled(const std::string& path, const std::vector<uint8_t>& file) const;
  // Bytes a new piece may take.
  std::size_t Room() const;

  // Keeps `piece` under `path`, in place of whatever was there (handed over in `letGo`); it was
  // rendered within the room left.
  void Keep(const std::string& path, Piece piece, std::vector<Piece>& letGo);
  void MarkTooLarge(const std::string& path, std::vector<uint8_t> file, std::vector<Piece>& letGo);
  // Hands over in `letGo` every piece whose name is not among `paths`.
  void KeepOnly(const std::vector<std::string>& paths, std::vector<Piece>& letGo);
  std::size_t BytesHeld() const;

 private:
  struct Entry {
    Piece Rendered;
    bool TooLarge = false;
  };
  std::size_t budget_;
  std::map<std::string, Entry> pieces_;
};

}  // namespace pelaryn
