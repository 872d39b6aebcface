#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/GameState.h"

namespace pelaryn {

// One box or window the game showed.
struct DialogRecord {
  std::string Kind;  // "Message", "Input" or "Ranking"
  std::string Title;
  std::string Text;  // the prompt of an input box; empty for the ranking window
};

// What a dump says besides the game state itself.
struct DumpExtras {
  uint64_t Frame = 0;
  uint64_t RandomDraws = 0;
  bool GameOver = false;
  const std::map<std::string, int, std::less<>>* SoundRequests = nullptr;
  const std::vector<DialogRecord>* Dialogs = nullptr;
};

// The whole game state under the game's own names, keys in a fixed order.
nlohmann::ordered_json StateJson(const GameState& s, const DumpExtras& extras);

// The same as one line of compact JSON; the same state always gives the same bytes.
std::string StateToJson(const GameState& s, const DumpExtras& extras);

}  // namespace pelaryn
