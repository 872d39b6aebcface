#pragma once

#include <cstdint>

#include "render/GameContext.h"

namespace pelaryn {

// What every weapon does when it touches the ship: the damage sound, the weapon switched off
// (`weaponState` is its state field), the hit effect, one life less (the destruction starts at
// 0) and half a second of safety.
void ShipHit(GameContext& g, bool interrupt, int16_t& weaponState);

// Enemy shots against the ship, then the player's shots against each enemy, by ascending slot:
// points, the combo chain, explosions and the heart's release.
void CheckEnemyHits(GameContext& g);

}  // namespace pelaryn
