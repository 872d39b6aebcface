#pragma once

#include "render/GameContext.h"

namespace pelaryn {

// `count` explosion sprites scattered over a `spread`-pixel square from (x − 20, y − 20). Each
// takes four random numbers in this order: its size (32 to 42), its x, its y, its cell (the
// red ring or the flare).
void DrawExplosions(GameContext& g, int count, int x, int y, int spread);

}  // namespace pelaryn
