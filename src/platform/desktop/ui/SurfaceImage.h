#pragma once

#include <QImage>
#include <QPixmap>

#include "render/Surface.h"

namespace pelaryn {

// A copy of one of the game's pictures for a Qt window; the surface's pixels are already opaque
// 0xFFRRGGBB, which is Qt's RGB32.
inline QPixmap ToPixmap(const Surface& surface) {
  QImage image(surface.Width(), surface.Height(), QImage::Format_RGB32);
  for (int y = 0; y < surface.Height(); ++y) {
    std::copy_n(surface.Row(y), surface.Width(), reinterpret_cast<uint32_t*>(image.scanLine(y)));
  }
  return QPixmap::fromImage(image);
}

}  // namespace pelaryn
