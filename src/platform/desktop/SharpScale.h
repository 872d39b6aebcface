#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;

namespace pelaryn {

// How the game's picture is laid into an area of the screen: as large as fits with its shape
// kept, centred. Whole-number enlargements are plain nearest neighbour; any other size is
// enlarged by the largest whole number that fits and only that enlarged picture is smoothed to
// the final size, so that every game pixel keeps the same size to within one screen pixel and a
// dithered sprite does not shimmer as it moves.
struct ScalePlan {
  QRect Target;         // where the picture lands, in the area's coordinates
  int Factor = 1;       // the whole-number enlargement done by nearest neighbour
  bool Smooth = false;  // the enlarged picture still has to be smoothed to reach Target
};

// An empty area or picture gives an empty target.
ScalePlan PlanScale(QSize area, QSize picture);

// Draws pictures by that plan. The enlarged picture is kept and reused while the sizes stay the
// same, so a frame allocates nothing.
class SharpScaler {
 public:
  // `picture` is 32-bit RGB; `area` is in the painter's logical coordinates and is planned in
  // the device's own pixels, so that a scaled display is enlarged as sharply as any other. With
  // a valid `margins` colour the rest of the area is filled with it; the pixels under the
  // picture are painted once, not cleared first.
  void Draw(QPainter& painter, const QImage& picture, const QRect& area,
            const QColor& margins = QColor());

 private:
  void Enlarge(const QImage& picture, int factor);

  QImage enlarged_;
};

}  // namespace pelaryn
