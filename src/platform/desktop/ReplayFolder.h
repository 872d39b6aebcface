#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/GameState.h"
#include "replay/ReplayFile.h"
#include "replay/ReplayShelf.h"

namespace pelaryn {

// The replays kept on disk, in `replays/` of the folder that holds the settings and ranking
// (the fallback folder's when the main one cannot be written). Each save is atomic, and is
// followed by clearing out what is neither among the latest games nor behind a ranking row.
class ReplayFolder {
 public:
  ReplayFolder(std::string folder, std::string fallback);

  using Entry = ShelvedReplay;
  // The ranked replays by place, then the recent ones, newest first. Files that cannot be read
  // are left out.
  std::vector<Entry> List(const std::array<RankEntry, RankingCount>& ranking) const;
  // Saves `replay` and clears out the rest; false, with the reason, when it could not be saved.
  bool Keep(const Replay& replay, const std::array<RankEntry, RankingCount>& ranking,
            std::string& error);
  // Removes what is neither recent nor behind one of these rows (after 初期化, say).
  void Prune(const std::array<RankEntry, RankingCount>& ranking);
  static bool Remove(const std::string& path);

 private:
  // Every replay file, newest first.
  std::vector<Entry> ReadAll() const;

  std::string folder_;
  std::string fallback_;
};

}  // namespace pelaryn
