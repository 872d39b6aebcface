#pragma once

#include <map>
#include <string>

#include "core/GameState.h"

namespace pelaryn {

// What a dump says besides the game state itself.
struct DumpExtras {
  uint64_t Frame = 0;
  uint64_t RandomDraws = 0;
  bool GameOver = false;
  const std::map<std::string, int, std::less<>>* SoundRequests = nullptr;
};

// The whole game state as one line of JSON, under the game's own names.
std::string StateToJson(const GameState& s, const DumpExtras& extras);

}  // namespace pelaryn
