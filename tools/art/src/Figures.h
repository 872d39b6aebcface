// The two characters that appear at several sizes: the player's rocket and the mascot.
//
// Both are described in their own units and painted straight onto the pixel grid at the
// size asked for, so the sprite, the icons and the title illustration are one design.
#pragma once

#include <QPointF>

#include "Canvas.h"

namespace art {

// Where a figure stands: centre on the canvas, pixels per unit, and a clockwise tilt.
struct Pose {
  double cx = 0, cy = 0, scale = 1, angle = 0;
  QPointF toLocal(double x, double y) const;
  // Turns a normal given in figure units into canvas orientation.
  void toCanvas(double& nx, double& ny) const;
};

struct ShipLook {
  bool face = false;    // visor and toothy grin instead of the small bubble cockpit
  bool flame = true;    // exhaust flame below the nozzle
  double dither = 0.0;  // ordered dither at shade borders (large renderings)
};

// The rocket occupies 16 x 32 units around the pose centre, nose up.
void drawShip(Canvas& c, const Pose& pose, const ShipLook& look);

// The mascot occupies 30 x 30 units around the pose centre.
void drawMascotFront(Canvas& c, const Pose& pose, double dither = 0.0);
void drawMascotBack(Canvas& c, const Pose& pose, double dither = 0.0);

}  // namespace art
