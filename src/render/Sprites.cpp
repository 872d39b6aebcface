#include "render/Sprites.h"

namespace pelaryn {

void DrawSprite(Surface& target, const SpriteSheet& sheet, int x, int y, int w, int h, int sx,
                int sy) {
  MaskedBlt(target, x, y, w, h, sheet.Mask, sheet.Chr, sx, sy);
}

void DrawSpriteStretched(Surface& target, const SpriteSheet& sheet, int x, int y, int w, int h,
                         int sx, int sy, int sw, int sh) {
  MaskedStretchBlt(target, x, y, w, h, sheet.Mask, sheet.Chr, sx, sy, sw, sh);
}

}  // namespace pelaryn
