#include "platform/desktop/ReplayFolder.h"

#include <unistd.h>
#include <algorithm>

#include <filesystem>
#include <set>

#include "persist/DiskFileStore.h"
#include "replay/ReplayShelf.h"

namespace pelaryn {

namespace fs = std::filesystem;

ReplayFolder::ReplayFolder(std::string folder, std::string fallback)
    : folder_(std::move(folder)), fallback_(std::move(fallback)) {}

std::vector<ReplayFolder::Entry> ReplayFolder::ReadAll() const {
  std::vector<Entry> entries;
  std::set<std::string> seen;
  for (const std::string& folder : {folder_, fallback_}) {
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) continue;
    for (const fs::directory_entry& file : fs::directory_iterator(folder, ec)) {
      const fs::path& path = file.path();
      if (path.extension() != ReplayExtension || !seen.insert(path.filename().string()).second) {
        continue;
      }
      // A file that cannot be played is simply not listed; nobody asked for it by name.
      ReplayFault fault = ReplayFault::None;
      std::string why;
      if (std::optional<Replay> replay = LoadReplay(path.string(), fault, why)) {
        entries.push_back({path.string(), std::make_shared<const Replay>(std::move(*replay)), -1});
      }
    }
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return KeptLater(a.Path, b.Path); });
  return entries;
}

std::vector<ReplayFolder::Entry> ReplayFolder::List(
    const std::array<RankEntry, RankingCount>& ranking) const {
  return ShelfListing(ReadAll(), ranking);
}

bool ReplayFolder::Keep(const Replay& replay, const std::array<RankEntry, RankingCount>& ranking,
                        std::string& error) {
  // Beside the settings when they can be written there, as the game's own saves decide.
  std::error_code ec;
  if (!folder_.empty() && ::access(fs::path(folder_).parent_path().c_str(), W_OK) == 0) {
    fs::create_directories(folder_, ec);
  }
  DiskFileStore store(folder_, fallback_);
  // A folder left unnamed holds nothing: joined to a name, it would ask the working directory.
  const auto holds = [&ec](const std::string& folder, const std::string& file) {
    return !folder.empty() && fs::exists(fs::path(folder) / file, ec);
  };
  const std::string name = FreeReplayFileName(replay, [this, &holds](const std::string& file) {
    return holds(folder_, file) || holds(fallback_, file);
  });
  if (!store.Write(name, EncodeReplay(replay), error)) return false;
  Prune(ranking);
  return true;
}

void ReplayFolder::Prune(const std::array<RankEntry, RankingCount>& ranking) {
  for (const Entry& entry : ShelfLeftOver(ReadAll(), ranking)) Remove(entry.Path);
}

bool ReplayFolder::Remove(const std::string& path) {
  std::error_code ec;
  return fs::remove(path, ec);
}

}  // namespace pelaryn
