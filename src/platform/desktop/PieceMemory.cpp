#include "platform/desktop/PieceMemory.h"

#include <algorithm>

namespace pelaryn {
namespace {

std::size_t BytesOf(const PieceMemory::Piece& piece) {
  return piece.Samples * sizeof(int16_t);
}

}  // namespace

std::size_t PieceMemory::Piece::Read(std::size_t at, int16_t* out, std::size_t count) const {
  std::size_t done = 0;
  while (done < count && at < Samples) {
    const std::size_t offset = at % BlockSamples;
    const std::size_t now = std::min({count - done, BlockSamples - offset, Samples - at});
    std::copy_n(Blocks[at / BlockSamples].get() + offset, now, out + done);
    done += now;
    at += now;
  }
  return done;
}

void PieceMemory::Piece::Append(const int16_t* samples, std::size_t count) {
  while (count > 0) {
    if (Samples == Blocks.size() * BlockSamples) {
      Blocks.push_back(std::make_unique_for_overwrite<int16_t[]>(BlockSamples));
    }
    const std::size_t offset = Samples % BlockSamples;
    const std::size_t now = std::min(count, BlockSamples - offset);
    std::copy_n(samples, now, Blocks.back().get() + offset);
    samples += now;
    count -= now;
    Samples += now;
  }
}

const PieceMemory::Piece* PieceMemory::Find(const std::string& path,
                                            const std::vector<uint8_t>& file) const {
  const auto found = pieces_.find(path);
  if (found == pieces_.end() || found->second.TooLarge) return nullptr;
  return found->second.Rendered.File == file ? &found->second.Rendered : nullptr;
}

bool PieceMemory::Settled(const std::string& path, const std::vector<uint8_t>& file) const {
  const auto found = pieces_.find(path);
  return found != pieces_.end() && found->second.Rendered.File == file;
}

std::size_t PieceMemory::Room() const {
  const std::size_t held = BytesHeld();
  return held >= budget_ ? 0 : budget_ - held;
}

void PieceMemory::Keep(const std::string& path, Piece piece, std::vector<Piece>& letGo) {
  const auto found = pieces_.find(path);
  if (found != pieces_.end()) {
    letGo.push_back(std::move(found->second.Rendered));
    pieces_.erase(found);
  }
  pieces_[path] = Entry{std::move(piece), false};
}

void PieceMemory::MarkTooLarge(const std::string& path, std::vector<uint8_t> file,
                               std::vector<Piece>& letGo) {
  Entry& entry = pieces_[path];
  letGo.push_back(std::move(entry.Rendered));
  entry.Rendered = Piece{std::move(file), {}, 0};
  entry.TooLarge = true;
}

void PieceMemory::KeepOnly(const std::vector<std::string>& paths, std::vector<Piece>& letGo) {
  for (auto it = pieces_.begin(); it != pieces_.end();) {
    if (std::find(paths.begin(), paths.end(), it->first) != paths.end()) {
      ++it;
      continue;
    }
    letGo.push_back(std::move(it->second.Rendered));
    it = pieces_.erase(it);
  }
}

std::size_t PieceMemory::BytesHeld() const {
  std::size_t bytes = 0;
  for (const auto& [path, entry] : pieces_) bytes += BytesOf(entry.Rendered);
  return bytes;
}

}  // namespace pelaryn
