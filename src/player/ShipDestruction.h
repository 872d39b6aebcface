#pragma once

#include "render/GameContext.h"

namespace pelaryn {

// One frame of the destroyed ship, counting Player.State up from −50: 35 frames of three
// explosions and the damage sound, then 15 quiet frames. False, with nothing drawn or counted,
// once the count has reached 0: the game is over.
bool PlayDestroyedShip(GameContext& g);

}  // namespace pelaryn
