#pragma once

#include "render/GameContext.h"
#include "render/Surface.h"

namespace pelaryn {

// The six frames after a hit (HitFlash −6 … −1): the red ring at the ship, one frame of the
// whole field in `picFlash`'s red, two frames of the flare, two quiet frames. With the context's
// GentleFlash the red frame lays `picFlash` over the field at a quarter instead.
void DrawHitEffect(GameContext& g, const Surface& picFlash);

}  // namespace pelaryn
