#pragma once

#include <algorithm>

#include "core/GameContext.h"

namespace pelaryn {

// The highest slot of a boss table that is in use: never beyond the table, none when negative.
inline int LastSlot(int16_t highest, int tableSize) {
  return std::clamp<int>(highest, -1, tableSize - 1);
}

// Launches, moves and draws the boss's weapons on their clock: the sun's spray and homing
// fireballs, the moon's needles and bombs that burst into rings of eight bullets.
void BossAttack(GameContext& g);

// Bullets and needles against the ship (one hit ends its pass), fireballs touching the ship,
// and the player's shots against fireballs and bombs.
void CheckBossWeaponHits(GameContext& g);

}  // namespace pelaryn
