#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "base/GameState.h"

namespace pelaryn {

// One box or window the game showed.
struct DialogRecord {
  std::string Kind;  // "Message", "Input" or "Ranking"
  std::string Title;
  std::string Text;  // the prompt of an input box; empty for the ranking window
};

// The effects asked for, counted by file, as a dump lists them.
class SoundTally {
 public:
  // Counts one more; gives the file's name as kept, to use without a copy.
  const std::string& Note(std::string_view file);
  int Count(std::string_view file) const;
  const std::map<std::string, int, std::less<>>& Requests() const { return requests_; }

 private:
  std::map<std::string, int, std::less<>> requests_;
};

// A fingerprint as the hash lines give it: sixteen lowercase hex digits.
std::string FingerprintHex(uint64_t fingerprint);

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
