#pragma once

#include <array>
#include <cstddef>
#include <string>
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

// "20261208-103412-0004321.pelrpy": when it was played (UTC) and the score, so that names sort
// oldest first; `serial` above 0 tells apart two games ended in the same second.
std::string ReplayFileName(const Replay& replay, int serial = 0);

}  // namespace pelaryn
