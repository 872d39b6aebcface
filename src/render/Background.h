#pragma once

#include "base/GameState.h"
#include "render/Surface.h"

namespace pelaryn {

// Moves the scroll offsets by the scroll speeds, wraps them into the tile and tiles the play
// field with four plain copies cut at (BackSplitX, BackSplitY).
void ScrollBackground(GameState& s, const Surface& picBack, Surface& picMain);

// Makes a loaded picture at least as large as the play field; the added area is black.
void EnlargeToField(Surface& picBack);

}  // namespace pelaryn
