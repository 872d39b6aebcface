#pragma once

#include "render/Surface.h"

namespace pelaryn {

// The sprite sheet and its mask share one layout: the mask is black where the sheet is opaque and
// white where it is transparent, and every transparent sheet pixel is pure white.
struct SpriteSheet {
  Surface Chr;
  Surface Mask;
};

// Masked copy of the w x h cell at (sx, sy) to (x, y): the mask erases the destination under the
// sprite, then the sheet is XORed in, so white-on-white leaves the destination untouched.
void DrawSprite(Surface& target, const SpriteSheet& sheet, int x, int y, int w, int h, int sx,
                int sy);

// The same with the sw x sh cell scaled to w x h; mask and image use identical geometry.
void DrawSpriteStretched(Surface& target, const SpriteSheet& sheet, int x, int y, int w, int h,
                         int sx, int sy, int sw, int sh);

}  // namespace pelaryn
