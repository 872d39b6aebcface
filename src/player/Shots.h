#pragma once

#include "render/GameContext.h"

namespace pelaryn {

// Each fire action takes the lowest free of the eleven shot slots, or does nothing when all fly.
void FireStraight(GameContext& g);
// The spread shot's sideways speed comes from its slot: 6, 2, -2, -6, 6, ...
void FireSpread(GameContext& g);
// Moves, retires and draws every flying shot (a retired one is drawn once more, off the field).
void MoveShots(GameContext& g);

}  // namespace pelaryn
