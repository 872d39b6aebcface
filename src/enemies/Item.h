#pragma once

#include "render/GameContext.h"

namespace pelaryn {

// A destroyed diver or beetle may drop the heart (about one time in four): two random numbers,
// and the heart's fields are written whether or not it appears.
void ReleaseHeart(GameContext& g, const Entity& enemy);

// The falling heart: moves, is drawn, leaves past the bottom, and repairs the ship it touches
// (up to 19 lives; 2 points either way).
void MoveItem(GameContext& g);

}  // namespace pelaryn
