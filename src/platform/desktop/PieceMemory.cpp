#include "platform/desktop/PieceMemory.h"

#include <algorithm>
#include <cstring>

namespace pelaryn {
namespace {

constexpr std::size_t kBlockBytes = PieceMemory::BlockSamples * sizeof(int16_t);

}  // namespace

const PieceMemory::Piece* PieceMemory::Find(const std::string& path,
                                            const std::vector<uint8_t>& file) {
  const auto found = pieces_.find(path);
  if (found == pieces_.end()) return nullptr;
  if (found->second.File != file) {
    for (Block& block : found->second.Blocks) stale_.push_back(std::move(block));
    pieces_.erase(found);
    return nullptr;
  }
  return found->second.Complete ? &found->second : nullptr;
}

bool PieceMemory::TooLarge(const std::string& path, const std::vector<uint8_t>& file) const {
  const auto found = pieces_.find(path);
  return found != pieces_.end() && found->second.TooLarge && found->second.File == file;
}

void PieceMemory::BeginRecording(const std::string& path, std::vector<uint8_t> file) {
  AbandonRecording();
  recording_ = std::make_unique<Piece>();
  recording_->File = std::move(file);
  recordingPath_ = path;
}

std::size_t PieceMemory::BlocksWanted() const {
  // Kept ready even between recordings: a recording may begin on a thread that cannot allocate
  // and meet the mixer's first buffer at once.
  return spare_.size() >= LeadBlocks ? 0 : LeadBlocks - spare_.size();
}

void PieceMemory::Exchange(std::vector<Block>& fresh, std::vector<Block>& stale) {
  for (Block& block : fresh) {
    if (block) spare_.push_back(std::move(block));
  }
  fresh.clear();
  stale = std::move(stale_);
  stale_.clear();
}

bool PieceMemory::Append(const int16_t* samples, std::size_t count) {
  if (!recording_) return false;
  Piece& piece = *recording_;
  while (count > 0) {
    const std::size_t offset = piece.Samples % BlockSamples;
    if (offset == 0 && piece.Samples / BlockSamples == piece.Blocks.size()) {
      if ((BytesHeld() + (piece.Blocks.size() + 1) * kBlockBytes) > budget_) {
        // Marked, so that it is not rendered into memory again on every pass.
        Piece marker;
        marker.File = std::move(piece.File);
        marker.TooLarge = true;
        pieces_[recordingPath_] = std::move(marker);
        AbandonRecording();
        return false;
      }
      if (spare_.empty()) {
        AbandonRecording();
        return false;
      }
      piece.Blocks.push_back(std::move(spare_.back()));
      spare_.pop_back();
    }
    const std::size_t n = std::min(count, BlockSamples - offset);
    std::memcpy(piece.Blocks.back().get() + offset, samples, n * sizeof(int16_t));
    piece.Samples += n;
    samples += n;
    count -= n;
  }
  return true;
}

void PieceMemory::MarkEnd() {
  if (!recording_ || recording_->Ended) return;
  recording_->Ended = true;
  recording_->EndSample = recording_->Samples;
}

void PieceMemory::FinishRecording() {
  if (!recording_) return;
  if (!recording_->Ended) return AbandonRecording();
  recording_->Complete = true;
  pieces_[recordingPath_] = std::move(*recording_);
  recording_.reset();
  recordingPath_.clear();
}

void PieceMemory::AbandonRecording() {
  if (recording_) {
    // The lead is kept for the next recording; the rest waits for the game's thread to free it.
    for (Block& block : recording_->Blocks) {
      (spare_.size() < LeadBlocks ? spare_ : stale_).push_back(std::move(block));
    }
  }
  recording_.reset();
  recordingPath_.clear();
}

void PieceMemory::KeepOnly(const std::vector<std::string>& paths) {
  for (auto it = pieces_.begin(); it != pieces_.end();) {
    if (std::find(paths.begin(), paths.end(), it->first) == paths.end()) {
      for (Block& block : it->second.Blocks) stale_.push_back(std::move(block));
      it = pieces_.erase(it);
    } else {
      ++it;
    }
  }
}

std::size_t PieceMemory::BytesHeld() const {
  std::size_t blocks = 0;
  for (const auto& [path, piece] : pieces_) blocks += piece.Blocks.size();
  return blocks * kBlockBytes;
}

}  // namespace pelaryn
