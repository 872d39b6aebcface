#pragma once

#include <cstdint>
#include <vector>

namespace pelaryn {

// Pixels are 0xFFRRGGBB; every raster operation keeps the top byte set so that a front end can
// show the buffer as an opaque 32-bit RGB picture without converting it.
inline constexpr uint32_t OpaqueBits = 0xFF000000u;

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
  return OpaqueBits | (r << 16) | (g << 8) | b;
}

class Surface {
 public:
  Surface() = default;
  Surface(int width, int height, uint32_t fill = Rgb(0, 0, 0));

  // Allocates; for start-up and loading only, never inside a frame.
  void Resize(int width, int height, uint32_t fill = Rgb(0, 0, 0));
  void Fill(uint32_t colour);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  uint32_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const uint32_t* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  uint32_t Pixel(int x, int y) const { return Row(y)[x]; }
  void SetPixel(int x, int y, uint32_t colour) { Row(y)[x] = colour | OpaqueBits; }
  const uint32_t* Data() const { return pixels_.data(); }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

// The four raster operations the game uses: copy, erase (source AND NOT destination), invert
// (source XOR destination) and paint (source OR destination).
enum class RasterOp { Copy, Erase, Invert, Paint };

// Copies a w x h block; pixels whose source or destination lies outside its surface are skipped.
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op);

// A masked copy in one pass: exactly the erase of `mask` followed by the invert of `image`, both
// read at (sx, sy), which must be surfaces of one size.
void MaskedBlt(Surface& dst, int x, int y, int w, int h, const Surface& mask, const Surface& image,
               int sx, int sy);

// Nearest-neighbour scaling with one exact rule: destination pixel (x + i, y + j) takes source
// pixel (sx + floor(i * sw / w), sy + floor(j * sh / h)). A zero or negative size draws nothing.
void StretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh, RasterOp op);

// The masked copy scaled by the same rule: exactly the stretched erase of `mask` followed by the
// stretched invert of `image`, both surfaces of one size.
void MaskedStretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& mask,
                      const Surface& image, int sx, int sy, int sw, int sh);

// Lays `src` over the whole of `dst` at weight/of: each channel becomes
// (dst·(of − weight) + src·weight + of/2) / of. Surfaces of one size; otherwise nothing.
void Blend(Surface& dst, const Surface& src, int weight, int of);

}  // namespace pelaryn
