#pragma once

#include "render/GameContext.h"

namespace pelaryn {

// Launches, moves and draws the boss's weapons on their clock: the sun's spray and homing
// fireballs, the moon's needles and bombs that burst into rings of eight bullets.
void BossAttack(GameContext& g);

// Bullets and needles against the ship (one hit ends its pass), fireballs touching the ship,
// and the player's shots against fireballs and bombs.
void CheckBossWeaponHits(GameContext& g);

}  // namespace pelaryn
