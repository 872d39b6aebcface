#pragma once

#include <cstdint>

#include "base/GameState.h"
#include "replay/ReplayFile.h"
#include "replay/ReplayVerdict.h"

namespace pelaryn {

// The most random draws a start may have behind it. A game draws a few dozen numbers a frame at
// the most, so this is days of play in one sitting; advancing the generator this far takes well
// under a second, and a replay claiming more is refused rather than believed.
inline constexpr uint64_t MaxStartDraws = uint64_t{1} << 28;

// Whether a replay starts where the title starts a game: every stored setting within the range
// the settings window allows; the random source the fixed seed advanced by the recorded draws;
// and the start state, field for field, the one the game makes when Start is chosen on the title
// with the recorded settings and ranking. What a game before it in the same sitting leaves
// behind (the background's scroll, the joystick's last reading, entries of the tables the game
// writes before it reads) is held to the values a game can leave there. Verified, or the first
// check that failed, naming the field by the game's own name.
ReplayVerdict CheckFairStart(const Replay& replay);

// A board ranks only games played to their game over; a replay kept on the player's machine may
// end with a reset or an exit as well.
ReplayVerdict CheckGameOverEnding(const Replay& replay);

// The state the game itself makes when Start is chosen on the title, its settings and ranking
// those `recorded` holds, after a game that left `before` (a fresh state: the first game of a
// sitting). The music's draw is the game's own first one.
GameState TitleStartState(const GameState& recorded, const GameState& before = GameState{});

}  // namespace pelaryn
