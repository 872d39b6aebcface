#pragma once

#include "render/GameContext.h"

namespace pelaryn {

// The rhythm of the endless game: about a minute of enemies, then a boss, and again. Called from
// the frame at three points.

// Counts the phase's frames and lets a boss appear once the enemy phase has run its course.
void AppearanceCheck(GameContext& g);

// The enemy phase's work inside its active window, or the boss's entrance and fight.
void PhaseWork(GameContext& g);

// Where the entering boss is drawn on the current entrance frame.
struct EntranceRect {
  int X, Y, W, H;
};
EntranceRect BossEntranceRect(const GameState& s);

// The boss's explosions, bonus and the return of the play music, while its life counts up to 0.
void DestructionEffects(GameContext& g);

}  // namespace pelaryn
