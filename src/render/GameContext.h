#pragma once

#include "base/CoreContext.h"
#include "base/Field.h"
#include "render/Sprites.h"
#include "render/Surface.h"

namespace pelaryn {

// What the drawing rules work on besides the core: the play field they draw on and the sprite
// sheet they draw from.
struct GameContext : CoreContext {
  Surface& PicMain;
  const SpriteSheet& sheet;
  // The player's wish for a gentler hit flash: a picture choice only, never part of the state.
  bool GentleFlash = false;
  // The status labels in English, drawn from this sheet; none for the Japanese ones on `sheet`.
  // A picture choice only, like GentleFlash.
  const SpriteSheet* EnglishLabels = nullptr;

  void Sprite(int x, int y, int w, int h, int sx, int sy) {
    DrawSprite(PicMain, sheet, x, y, w, h, sx, sy);
  }
  void SpriteStretched(int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    DrawSpriteStretched(PicMain, sheet, x, y, w, h, sx, sy, sw, sh);
  }
};

}  // namespace pelaryn
