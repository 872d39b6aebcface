#pragma once

#include "render/GameContext.h"

namespace pelaryn {

// One step of the ship in a direction, held inside the field. With 慣性 on every step also pushes
// the background's scroll speed (up to ±20), even against a wall.
void MoveLeft(GameContext& g);
void MoveRight(GameContext& g);
void MoveUp(GameContext& g);
void MoveDown(GameContext& g);

}  // namespace pelaryn
