#pragma once

#include "render/GameContext.h"

namespace pelaryn {

// Each enemy owns the shot slot of its own index: a live enemy without a shot in the air tries
// to fire (two random numbers, fired or not); flying shots move, leave and are drawn.
void MoveEnemyShots(GameContext& g);

}  // namespace pelaryn
