#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Messages.h"
#include "replay/ReplayFile.h"

namespace pelaryn {

// What a replay was found to be. A replay is verified only when it was played to its end, every
// fingerprint held and its head's figures are those the game made; otherwise the first check it
// failed.
enum class ReplayCheck : uint8_t {
  Verified,
  Unfinished,   // the watcher or a frame limit ended the playback before its end
  GameVersion,  // recorded by another version of the game: not played at all
  Play,         // the game left the recording at `Frame`
  // The head claims what the game it holds did not make.
  Ending,
  Score,
  MaxCombo,
  ShotRatio,
  Level,
  // The start is not one the title makes: of the field `Field`, the replay holds `Value` where
  // a start holds `Allowed`. Not played at all.
  StartSetting,  // a stored setting outside the range the settings window allows
  StartRandom,   // the random source is not the fixed seed advanced by its draws
  StartState,    // a field of the start state
  // A board ranks games played to their game over; the ending (`Claimed`, a ReplayEnding) was
  // not one.
  BoardEnding,
};

struct ReplayVerdict {
  ReplayCheck Check = ReplayCheck::Verified;
  // Where the playback stood when it was decided.
  uint32_t Frame = 0;
  // Of a figure, what the head claims and what the game made (of the ending, ReplayEnding
  // values); of GameVersion, nothing.
  int64_t Claimed = 0;
  int64_t Made = 0;
  // Of GameVersion, the version the replay was recorded with.
  std::string Version;
  // Of the start's checks: the field by the game's own name ("Life", "Enemies[3].W",
  // "InitialDifficulty"), what the replay holds there, and what a start holds or may hold.
  std::string Field;
  std::string Value;
  std::string Allowed;

  bool Verified() const { return Check == ReplayCheck::Verified; }
  // A playback cut short proves nothing either way; every other check that is not Verified
  // refuses the replay.
  bool Refused() const {
    return Check != ReplayCheck::Verified && Check != ReplayCheck::Unfinished;
  }
  bool operator==(const ReplayVerdict&) const = default;
};

// A verdict of `check` at `frame`, with no figures.
inline ReplayVerdict VerdictAt(ReplayCheck check, uint32_t frame = 0) {
  ReplayVerdict verdict;
  verdict.Check = check;
  verdict.Frame = frame;
  return verdict;
}

// Refuses a replay that another version of the game recorded: its rules may differ.
ReplayVerdict CheckGameVersion(const Replay& replay);

// The head's figures against those of the game played from it, at `made.Frames`: Verified, or
// the first figure that differs. Of the ending, only whether it was a game over counts: a reset
// and an exit are both the player's doing, alike to a playback.
ReplayVerdict CheckClaims(const ReplayResult& claimed, const ReplayResult& made);

// One line for the headless runner and logs: "verified", "differs at frame 300",
// "differs: the score claimed 12345, made 7345", "refused: recorded by version 0.1, this is 0.99",
// "refused: the start's Life is 30000, a start holds 10".
std::string DescribeVerdict(const ReplayVerdict& verdict);

// The box the game shows for a refused replay of version `version`, in the game's own terms.
Message VerdictMessage(const ReplayVerdict& verdict, std::string_view version);

// Why a replay window does not play a replay, as the game words it: a replay of another version.
std::string_view OtherVersionText();

}  // namespace pelaryn
