#pragma once

#include "render/GameContext.h"

namespace pelaryn {

// The enemy generator, mover and drawer: every free slot draws a candidate each frame (six random
// numbers, eight for a beetle, whether or not one appears), live enemies move by their kind's
// pattern, and shot-down ones play their ten-frame explosion.
void MoveEnemies(GameContext& g);

}  // namespace pelaryn
