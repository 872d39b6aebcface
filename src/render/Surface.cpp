#include "render/Surface.h"

#include <algorithm>
#include <cstddef>

// The raster loops are most of a frame's work. Where the processor has AVX2 they run eight
// pixels at a time; one binary still runs on every x86-64.
#if defined(__x86_64__) && defined(__GNUC__)
#define PELARYN_WIDE_LOOPS __attribute__((target_clones("avx2", "default")))
#else
#define PELARYN_WIDE_LOOPS
#endif

namespace pelaryn {
namespace {

template <RasterOp Op>
inline uint32_t Combine(uint32_t s, uint32_t d) {
  if constexpr (Op == RasterOp::Copy) return s;
  if constexpr (Op == RasterOp::Erase) return (s & ~d) | OpaqueBits;
  if constexpr (Op == RasterOp::Invert) return (s ^ d) | OpaqueBits;
  if constexpr (Op == RasterOp::Paint) return s | d;
}

// The part of a w x h block copied from (sx, sy) of `src` to (x, y) of `dst` that lies inside
// both, as offsets into the block: clipped against both surfaces at once, the start shifted where
// either side begins outside.
struct Clip {
  int left, top, right, bottom;
};
inline Clip ClipBoth(const Surface& dst, int x, int y, int w, int h, const Surface& src, int sx,
                     int sy) {
  return {std::max(0, std::max(-x, -sx)), std::max(0, std::max(-y, -sy)),
          std::min(w, std::min(dst.Width() - x, src.Width() - sx)),
          std::min(h, std::min(dst.Height() - y, src.Height() - sy))};
}

template <RasterOp Op>
void CopyRows(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
  const auto [left, top, right, bottom] = ClipBoth(dst, x, y, w, h, src, sx, sy);
  for (int j = top; j < bottom; ++j) {
    uint32_t* d = dst.Row(y + j) + (x + left);
    const uint32_t* s = src.Row(sy + j) + (sx + left);
    if constexpr (Op == RasterOp::Copy) {
      std::copy_n(s, right - left, d);
    } else {
      for (int i = 0; i < right - left; ++i) d[i] = Combine<Op>(s[i], d[i]);
    }
  }
}

// The erase of the mask followed by the invert of the image; the erase's opaque bits need not be
// set, as the invert sets them again.
inline uint32_t MaskPixel(uint32_t m, uint32_t c, uint32_t d) {
  return ((m & ~d) ^ c) | OpaqueBits;
}

// Sprites are mostly rows of 8 to 32 pixels, so the cost per row matters as much as the cost per
// pixel. A sprite sheet is never the picture it is drawn on; saying so (`Apart`) spares the
// compiler an overlap check on every row, which otherwise sent short rows down a pixel-by-pixel
// path.
template <bool Apart>
inline void MaskRows(uint32_t* d, std::ptrdiff_t dStride, const uint32_t* m, const uint32_t* c,
                     std::ptrdiff_t sStride, int w, int h) {
  for (int j = 0; j < h; ++j, d += dStride, m += sStride, c += sStride) {
    if constexpr (Apart) {
      uint32_t* __restrict dr = d;
      const uint32_t* __restrict mr = m;
      const uint32_t* __restrict cr = c;
      for (int i = 0; i < w; ++i) dr[i] = MaskPixel(mr[i], cr[i], dr[i]);
    } else {
      for (int i = 0; i < w; ++i) d[i] = MaskPixel(m[i], c[i], d[i]);
    }
  }
}

template <RasterOp Op>
void StretchRows(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                 int sw, int sh) {
  const int left = std::max(0, -x);
  const int top = std::max(0, -y);
  const int right = std::min(w, dst.Width() - x);
  const int bottom = std::min(h, dst.Height() - y);
  for (int j = top; j < bottom; ++j) {
    const int64_t srcY = sy + static_cast<int64_t>(j) * sh / h;
    if (srcY < 0 || srcY >= src.Height()) continue;
    uint32_t* d = dst.Row(y + j);
    const uint32_t* s = src.Row(static_cast<int>(srcY));
    for (int i = left; i < right; ++i) {
      const int64_t srcX = sx + static_cast<int64_t>(i) * sw / w;
      if (srcX < 0 || srcX >= src.Width()) continue;
      d[x + i] = Combine<Op>(s[srcX], d[x + i]);
    }
  }
}

}  // namespace

Surface::Surface(int width, int height, uint32_t fill) {
  Resize(width, height, fill);
}

void Surface::Resize(int width, int height, uint32_t fill) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<std::size_t>(width_) * height_, fill | OpaqueBits);
}

void Surface::Fill(uint32_t colour) {
  std::fill(pixels_.begin(), pixels_.end(), colour | OpaqueBits);
}

PELARYN_WIDE_LOOPS
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op) {
  if (w <= 0 || h <= 0) return;
  switch (op) {
    case RasterOp::Copy:
      return CopyRows<RasterOp::Copy>(dst, x, y, w, h, src, sx, sy);
    case RasterOp::Erase:
      return CopyRows<RasterOp::Erase>(dst, x, y, w, h, src, sx, sy);
    case RasterOp::Invert:
      return CopyRows<RasterOp::Invert>(dst, x, y, w, h, src, sx, sy);
    case RasterOp::Paint:
      return CopyRows<RasterOp::Paint>(dst, x, y, w, h, src, sx, sy);
  }
}

PELARYN_WIDE_LOOPS
void MaskedBlt(Surface& dst, int x, int y, int w, int h, const Surface& mask, const Surface& image,
               int sx, int sy) {
  if (w <= 0 || h <= 0) return;
  if (mask.Width() != image.Width() || mask.Height() != image.Height()) {
    BitBlt(dst, x, y, w, h, mask, sx, sy, RasterOp::Erase);
    BitBlt(dst, x, y, w, h, image, sx, sy, RasterOp::Invert);
    return;
  }
  const auto [left, top, right, bottom] = ClipBoth(dst, x, y, w, h, mask, sx, sy);
  if (left >= right || top >= bottom) return;
  uint32_t* d = dst.Row(y + top) + (x + left);
  const uint32_t* m = mask.Row(sy + top) + (sx + left);
  const uint32_t* c = image.Row(sy + top) + (sx + left);
  if (&dst == &mask || &dst == &image) {
    MaskRows<false>(d, dst.Width(), m, c, mask.Width(), right - left, bottom - top);
  } else {
    MaskRows<true>(d, dst.Width(), m, c, mask.Width(), right - left, bottom - top);
  }
}

void StretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh, RasterOp op) {
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  if (w == sw && h == sh) return BitBlt(dst, x, y, w, h, src, sx, sy, op);
  switch (op) {
    case RasterOp::Copy:
      return StretchRows<RasterOp::Copy>(dst, x, y, w, h, src, sx, sy, sw, sh);
    case RasterOp::Erase:
      return StretchRows<RasterOp::Erase>(dst, x, y, w, h, src, sx, sy, sw, sh);
    case RasterOp::Invert:
      return StretchRows<RasterOp::Invert>(dst, x, y, w, h, src, sx, sy, sw, sh);
    case RasterOp::Paint:
      return StretchRows<RasterOp::Paint>(dst, x, y, w, h, src, sx, sy, sw, sh);
  }
}

}  // namespace pelaryn
