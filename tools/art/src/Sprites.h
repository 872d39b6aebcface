// Shared sprite-making helpers for lettering and digits.
#pragma once

#include "Canvas.h"

namespace art {

// A raised, outlined sticker from a bitmap: `top` colours its upper half and `bottom` its
// lower half (the same ramp for a plain colour), lit from above. Returns a canvas with one
// pixel of rim around the bitmap. Thin lettering reads better without the bevel, shaded in
// bands from top to bottom only.
Canvas sticker(const Bits& body, const Ramp& top, const Ramp& bottom, QRgb rim, bool bevel = true);

// The score digits, 9 x 16 bitmaps with two-pixel strokes.
const Bits& digitBits(int d);

}  // namespace art
