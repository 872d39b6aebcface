#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/GameState.h"
#include "replay/ReplayFile.h"

namespace pelaryn {

// The board of games started with the default difficulty.
inline constexpr std::string_view StandardBoard = "standard";

// The board a game started from `start` is ranked on. Only the settings that change how hard the
// game is count: `InitialDifficulty` (the level a game starts at) and `DifficultySkip` (the
// levels a destroyed boss adds). A game at other values is named by them,
// "start-5-skip-0"; the background, the music, the pad and auto-fire change what a game looks
// and sounds like or how it is steered, not what it asks of the player.
std::string BoardOf(const GameState& start);

// Whether `board` is a name BoardOf can give: "standard" or "start-A-skip-B" within the settings'
// ranges, written as BoardOf writes them.
bool IsBoardName(std::string_view board);

// The settings window may change `DifficultySkip` while a game runs; a game that did so played
// under two sets of rules and belongs on no board. The setting that changed, or none.
std::optional<std::string> DifficultyChangedInGame(const Replay& replay);

// The longest name a board shows, in characters.
inline constexpr std::size_t MaxRunNameLength = 16;
// What a board shows for a run that has no name.
inline constexpr std::string_view NamelessRun = "\u2014";

// A run's name as a board keeps it: trimmed of spaces at both ends, at most MaxRunNameLength
// characters (a longer one is cut). None, with the reason in `why`, for text that is not UTF-8 or
// holds a control character, a mark of the text's direction or an invisible character: a board
// shows names to everyone, and such a name would be shown as something else than what was typed.
std::optional<std::string> CleanRunName(std::string_view name, std::string& why);

// The name a run goes onto the board with: the one typed at the game over, else the one sent
// beside the replay, else NamelessRun. None, with the reason in `why`, when the name chosen
// is refused by CleanRunName.
std::optional<std::string> RunName(std::string_view typed, std::optional<std::string_view> sent,
                                   std::string& why);

}  // namespace pelaryn
