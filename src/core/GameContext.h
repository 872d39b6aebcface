#pragma once

#include "core/GameState.h"
#include "core/Random.h"
#include "platform/Platform.h"
#include "render/Sprites.h"
#include "render/Surface.h"

namespace pelaryn {

// What the game's routines work on: the state, the one random source, the play field they draw
// on, the sprite sheet they draw from, and the platform for sound and music.
struct GameContext {
  GameState& s;
  Random& random;
  Platform& platform;
  Surface& PicMain;
  const SpriteSheet& sheet;

  void Sprite(int x, int y, int w, int h, int sx, int sy) {
    DrawSprite(PicMain, sheet, x, y, w, h, sx, sy);
  }
  void SpriteStretched(int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    DrawSpriteStretched(PicMain, sheet, x, y, w, h, sx, sy, sw, sh);
  }
};

// The play field's inner size; every rule that reads the field's width or height reads these.
inline constexpr int FieldWidth = 300;
inline constexpr int FieldHeight = 400;

}  // namespace pelaryn
