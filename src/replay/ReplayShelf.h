#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/GameState.h"
#include "replay/ReplayFile.h"

namespace pelaryn {

// How many of the latest games are kept, however they ended.
inline constexpr std::size_t RecentReplays = 20;

// What the shelf knows of one kept replay.
struct ShelfItem {
  std::string Name;
  ReplayResult Result;
};

// Which replays stay: the `recent` newest, and the one behind each ranking row. A replay is a
// row's only when its game ended in game over with the row's name, score, combo and ratio; each
// row takes the newest such replay no other row has taken.
struct ShelfPlan {
  std::vector<int> Place;  // the row each item belongs to (0 = first), or -1
  std::vector<bool> Keep;
};
ShelfPlan PlanShelf(const std::vector<ShelfItem>& newestFirst,
                    const std::array<RankEntry, RankingCount>& ranking,
                    std::size_t recent = RecentReplays);

// A kept replay and where it is kept: a file's path, or a name in the browser's storage.
struct ShelvedReplay {
  std::string Path;
  std::shared_ptr<const Replay> Game;
  int Place = -1;  // the ranking row it belongs to, or -1 for a recent game
};
// Of a shelf's replays, newest first: those it keeps, each with its row, the ranked ones by
// place and then the recent ones, newest first.
std::vector<ShelvedReplay> ShelfListing(std::vector<ShelvedReplay> newestFirst,
                                        const std::array<RankEntry, RankingCount>& ranking);
// And those it lets go.
std::vector<ShelvedReplay> ShelfLeftOver(const std::vector<ShelvedReplay>& newestFirst,
                                         const std::array<RankEntry, RankingCount>& ranking);

// "20261208-103412-0004321.pelrpy": when it was played (UTC) and the score, so that names sort
// oldest first; `serial` above 0 tells apart two games ended in the same second.
std::string ReplayFileName(const Replay& replay, int serial = 0);
// The first of those names that `taken` does not hold, so that every game is kept, however many
// end in the same second with the same score (up to a hundred: then the last name is reused).
std::string FreeReplayFileName(const Replay& replay,
                               const std::function<bool(const std::string&)>& taken);

// Whether the replay file named `a` was kept after the one named `b` (names as ReplayFileName
// gives them, with or without a folder before them): by when the game was played, then by the
// serial that a second game of the same second and score took, as a number ("-10" after "-9",
// "-1" after none). Sorting by it lists the newest first.
bool KeptLater(std::string_view a, std::string_view b);

// "1:05": a length of play in minutes and seconds, as the replay windows show it.
std::string PlayLength(uint32_t frames, int framePeriodMs);

}  // namespace pelaryn
