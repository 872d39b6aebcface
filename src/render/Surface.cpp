#include "render/Surface.h"

#include <algorithm>

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

template <RasterOp Op>
void CopyRows(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
  // Clip against both surfaces at once: shift the start where either side begins outside.
  const int left = std::max({0, -x, -sx});
  const int top = std::max({0, -y, -sy});
  const int right = std::min({w, dst.Width() - x, src.Width() - sx});
  const int bottom = std::min({h, dst.Height() - y, src.Height() - sy});
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
  const int left = std::max({0, -x, -sx});
  const int top = std::max({0, -y, -sy});
  const int right = std::min({w, dst.Width() - x, mask.Width() - sx});
  const int bottom = std::min({h, dst.Height() - y, mask.Height() - sy});
  for (int j = top; j < bottom; ++j) {
    uint32_t* d = dst.Row(y + j) + (x + left);
    const uint32_t* m = mask.Row(sy + j) + (sx + left);
    const uint32_t* c = image.Row(sy + j) + (sx + left);
    for (int i = 0; i < right - left; ++i) {
      d[i] = Combine<RasterOp::Invert>(c[i], Combine<RasterOp::Erase>(m[i], d[i]));
    }
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
