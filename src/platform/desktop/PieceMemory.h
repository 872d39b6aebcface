#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pelaryn {

// The pieces of music as the synthesiser rendered them, so that a piece heard once loops from
// memory while the synthesiser rests. Samples are 16-bit, interleaved, at the mixer's rate and
// channels, kept in blocks that the game's thread allocates ahead of the mixer's thread, which
// only writes into them and never allocates. All pieces together stay within a budget; a piece
// that would not fit is marked so and keeps playing live.
//
// Not thread-safe by itself: its owner holds one lock around every call, and allocates blocks
// (Prepare) outside that lock.
class PieceMemory {
 public:
  static constexpr std::size_t BlockSamples = 65'536;  // 128 KiB, some 0.7 s of stereo
  // Blocks kept ready ahead of a recording: enough for the seconds a pause or a slow frame may
  // keep the game's thread away.
  static constexpr std::size_t LeadBlocks = 16;
  static constexpr std::size_t DefaultBudgetBytes = std::size_t{96} << 20;

  explicit PieceMemory(std::size_t budgetBytes = DefaultBudgetBytes) : budget_(budgetBytes) {}

  using Block = std::unique_ptr<int16_t[]>;
  struct Piece {
    std::vector<uint8_t> File;  // the piece's bytes: the same name may come to hold another
    std::vector<Block> Blocks;
    std::size_t Samples = 0;    // written so far
    std::size_t EndSample = 0;  // where the piece was reported ended
    bool Ended = false;         // EndSample is known
    bool Complete = false;      // recorded from start to restart, fit to play
    bool TooLarge = false;      // does not fit in the budget: always live
  };

  // The complete recording of `file` under `path`; null when there is none. A recording of
  // other bytes under that name is dropped.
  const Piece* Find(const std::string& path, const std::vector<uint8_t>& file);
  // Whether `path` with these bytes is known not to fit.
  bool TooLarge(const std::string& path, const std::vector<uint8_t>& file) const;

  // Starts recording `file` (dropping an earlier unfinished recording of any piece).
  void BeginRecording(const std::string& path, std::vector<uint8_t> file);
  bool Recording() const { return recording_ != nullptr; }
  // Samples of the recording past its end (0 before it).
  std::size_t SamplesPastEnd() const {
    return recording_ && recording_->Ended ? recording_->Samples - recording_->EndSample : 0;
  }
  // Nothing to allocate or free.
  bool Idle() const { return BlocksWanted() == 0 && stale_.empty(); }
  // Blocks that Exchange should receive to keep the lead ready; allocate them outside the lock.
  std::size_t BlocksWanted() const;
  // Takes `fresh` blocks and hands over in `stale` those no longer needed, to be freed outside
  // the lock as well.
  void Exchange(std::vector<Block>& fresh, std::vector<Block>& stale);
  // The mixer's thread: the samples just rendered. False, and the recording dropped, when no
  // block was ready or the budget is spent (then the piece is marked too large).
  bool Append(const int16_t* samples, std::size_t count);
  // The piece was reported ended after the samples appended so far.
  void MarkEnd();
  // The piece starts again (or stops being played): a recording that saw its end is complete;
  // any other is dropped.
  void FinishRecording();
  void AbandonRecording();

  // Lets go of every piece whose name is not among `paths`.
  void KeepOnly(const std::vector<std::string>& paths);
  std::size_t BytesHeld() const;

 private:
  std::size_t budget_;
  std::map<std::string, Piece> pieces_;
  std::unique_ptr<Piece> recording_;
  std::string recordingPath_;
  std::vector<Block> spare_;
  std::vector<Block> stale_;
};

}  // namespace pelaryn
