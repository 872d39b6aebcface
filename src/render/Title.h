#pragma once

#include <cstdint>

#include "base/Entity.h"
#include "render/GameContext.h"
#include "render/Surface.h"

namespace pelaryn {

// The title's two pictures: picTitle (ship, logo over its mask, emblem, credit) and picLogo (the
// two faces of the spinning coin).
struct TitlePictures {
  const Surface& Title;
  const Surface& Logo;
};

// The title's pieces and animation, local to one showing of the title. A piece uses X, Y (where
// it goes on the field), W, H and SrcX, SrcY (where it lies in picTitle).
struct TitleScene {
  Entity Ship;
  Entity Logo;
  Entity Emblem;
  Entity Credit;
  int16_t Angle = 0;
  float ShipScale = 0.0f;
  float EmblemScale = 10.0f;
  int16_t Bounce = 0;
};

// The pieces where the animation starts them.
TitleScene InitialTitleScene();

// A piece stretched onto the field by the two factors, clipped on the right and at the bottom
// only; masked pieces keep their mask directly below the image. Single-precision arithmetic.
void DrawTitlePiece(Surface& field, const Surface& picTitle, const Entity& piece, float scaleX,
                    float scaleY, bool masked);

// One frame of the animated title after its yield: the coin turns, the ship zooms in, the logo
// slides in, the emblem flies in and bounces, and after a long rest it all starts again.
void DrawAnimatedTitleFrame(GameContext& g, const TitlePictures& pictures, TitleScene& scene);

// One frame of the still title: the composition drawn over whatever the field shows.
void DrawStillTitleFrame(GameContext& g, const TitlePictures& pictures, TitleScene& scene);

// Score, high score and the combo labels, as the title shows them.
void DrawTitleStatus(GameContext& g);

}  // namespace pelaryn
