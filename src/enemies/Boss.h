#pragma once

#include "render/GameContext.h"

namespace pelaryn {

// Picks the sun or the moon at random and sets it up; its bonus is a tenth of the score now.
void InitBoss(GameContext& g);

// The boss's movement (the sun sweeps wall to wall, the moon flies a figure of eight and then
// swoops), followed by its weapons.
void MoveBoss(GameContext& g);

// The player's shots against the boss, and its defeat when its life runs out; then the boss's
// weapons against the ship and the player's shots against fireballs and bombs.
void CheckBossHits(GameContext& g);

}  // namespace pelaryn
