#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelaryn {

// What the game tells the player in a box, named rather than worded, so that each front end can
// say it in the player's language. The game's own words are the Japanese ones below.
enum class MessageId : uint8_t {
  GameOver,       // Number: the shoot-down ratio in percent
  RankingEntry,   // Number: the place, from 1
  SaveFailed,     // Text: why each file could not be saved, one per line
  ReplayDiffers,  // Number: the frame; Text: the version the replay was recorded with
  // A replay refused: recorded by another version (Text: that version), or its head claims what
  // its game did not make (Number: the claim; Text: what the game made).
  ReplayOtherVersion,
  ReplayEndingClaimed,
  ReplayScoreClaimed,
  ReplayComboClaimed,
  ReplayRatioClaimed,
  ReplayLevelClaimed,
};

struct Message {
  MessageId Id = MessageId::GameOver;
  int64_t Number = 0;
  std::string Text;
};

// The box's title and text in the game's own language, exactly as it has always shown them.
std::string_view MessageTitle(MessageId id);
std::string MessageText(const Message& message);

}  // namespace pelaryn
