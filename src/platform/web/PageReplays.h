#pragma once

// The replays the page keeps: every game recorded, kept in the page's storage as the desktop's
// exact file bytes until it is neither among the latest games nor behind a ranking row, and the
// replay window that plays, downloads, deletes and opens them.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/GameState.h"
#include "replay/ReplayFile.h"
#include "replay/ReplayShelf.h"

namespace pelaryn {

class Game;

class PageReplays {
 public:
  // Path: its name in the page's storage, a replay file's name.
  using Entry = ShelvedReplay;
  // The ranked replays by place, then the recent ones, newest first; those that cannot be read
  // are left out.
  std::vector<Entry> List(const std::array<RankEntry, RankingCount>& ranking) const;
  // Keeps `replay` and lets go of the rest; false, with the reason, when the page could not.
  bool Keep(const Replay& replay, const std::array<RankEntry, RankingCount>& ranking,
            std::string& error);
  // Lets go of what is neither recent nor behind one of these rows (after 初期化, say).
  void Prune(const std::array<RankEntry, RankingCount>& ranking);

  // The replay window, until the player closes it or picks a replay to play (which then plays,
  // after the player agrees to end a game in progress). With `opened`, the replay the page left
  // as opened (one downloaded from a score board) is taken first, as if chosen in the window: it
  // plays, or the window comes up saying why it cannot.
  void ShowWindow(Game& game, bool opened = false);

 private:
  std::vector<Entry> ReadAll() const;
};

}  // namespace pelaryn
