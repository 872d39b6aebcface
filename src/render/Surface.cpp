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

// floor(i * num / den) for i = first, first + 1, ..., one step at a time: a division for every
// pixel made stretched sprites cost more than all the others together. num, den > 0, first >= 0.
class ScaleWalk {
 public:
  ScaleWalk(int64_t first, int64_t num, int64_t den)
      : value_(first * num / den),
        rest_(first * num % den),
        whole_(num / den),
        part_(num % den),
        den_(den) {}
  int64_t Value() const { return value_; }
  void Next() {
    value_ += whole_;
    rest_ += part_;
    if (rest_ >= den_) {
      rest_ -= den_;
      ++value_;
    }
  }

 private:
  int64_t value_, rest_;
  const int64_t whole_, part_, den_;
};

// Destination pixel (x + i, y + j) takes source pixel (sx + floor(i * sw / w), sy + floor(j * sh
// / h)); `pixel(d, row, column)` combines the source pixel at (column, row) into *d.
template <typename Pixel>
void StretchRows(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                 int sw, int sh, Pixel pixel) {
  const int left = std::max(0, -x);
  const int top = std::max(0, -y);
  const int right = std::min(w, dst.Width() - x);
  const int bottom = std::min(h, dst.Height() - y);
  if (left >= right) return;
  ScaleWalk row(top, sh, h);
  for (int j = top; j < bottom; ++j, row.Next()) {
    const int64_t srcY = sy + row.Value();
    if (srcY < 0 || srcY >= src.Height()) continue;
    uint32_t* d = dst.Row(y + j) + x;
    ScaleWalk column(left, sw, w);
    for (int i = left; i < right; ++i, column.Next()) {
      const int64_t srcX = sx + column.Value();
      if (srcX < 0 || srcX >= src.Width()) continue;
      pixel(d + i, static_cast<int>(srcY), static_cast<int>(srcX));
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
  const auto rows = [&]<RasterOp Op>() {
    StretchRows(dst, x, y, w, h, src, sx, sy, sw, sh, [&](uint32_t* d, int row, int column) {
      *d = Combine<Op>(src.Row(row)[column], *d);
    });
  };
  switch (op) {
    case RasterOp::Copy:
      return rows.template operator()<RasterOp::Copy>();
    case RasterOp::Erase:
      return rows.template operator()<RasterOp::Erase>();
    case RasterOp::Invert:
      return rows.template operator()<RasterOp::Invert>();
    case RasterOp::Paint:
      return rows.template operator()<RasterOp::Paint>();
  }
}

void MaskedStretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& mask,
                      const Surface& image, int sx, int sy, int sw, int sh) {
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  if (mask.Width() != image.Width() || mask.Height() != image.Height()) {
    StretchBlt(dst, x, y, w, h, mask, sx, sy, sw, sh, RasterOp::Erase);
    StretchBlt(dst, x, y, w, h, image, sx, sy, sw, sh, RasterOp::Invert);
    return;
  }
  if (w == sw && h == sh) return MaskedBlt(dst, x, y, w, h, mask, image, sx, sy);
  StretchRows(dst, x, y, w, h, mask, sx, sy, sw, sh, [&](uint32_t* d, int row, int column) {
    *d = MaskPixel(mask.Row(row)[column], image.Row(row)[column], *d);
  });
}

void Blend(Surface& dst, const Surface& src, int weight, int of) {
  if (of <= 0 || weight < 0 || weight > of || dst.Width() != src.Width() ||
      dst.Height() != src.Height()) {
    return;
  }
  const uint32_t keep = static_cast<uint32_t>(of - weight);
  const uint32_t take = static_cast<uint32_t>(weight);
  const uint32_t total = static_cast<uint32_t>(of);
  for (int y = 0; y < dst.Height(); ++y) {
    uint32_t* out = dst.Row(y);
    const uint32_t* in = src.Row(y);
    for (int x = 0; x < dst.Width(); ++x) {
      uint32_t mixed = OpaqueBits;
      for (const int shift : {16, 8, 0}) {
        const uint32_t a = (out[x] >> shift) & 0xFF;
        const uint32_t b = (in[x] >> shift) & 0xFF;
        mixed |= ((a * keep + b * take + total / 2) / total) << shift;
      }
      out[x] = mixed;
    }
  }
}

}  // namespace pelaryn
