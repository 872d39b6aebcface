#pragma once

// A surface's pixels as the page's canvases take them: R, G, B and an opaque A per pixel.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/Surface.h"

namespace pelaryn {

// Into `rgba`, which keeps its room from one call to the next, so a frame allocates nothing.
inline void SurfaceToRgba(const Surface& surface, std::vector<uint8_t>& rgba) {
  const std::size_t pixels = static_cast<std::size_t>(surface.Width()) * surface.Height();
  rgba.resize(pixels * 4);
  const uint32_t* from = surface.Data();
  for (std::size_t i = 0; i < pixels; ++i) {
    rgba[4 * i] = static_cast<uint8_t>(from[i] >> 16);
    rgba[4 * i + 1] = static_cast<uint8_t>(from[i] >> 8);
    rgba[4 * i + 2] = static_cast<uint8_t>(from[i]);
    rgba[4 * i + 3] = 0xFF;
  }
}

}  // namespace pelaryn
