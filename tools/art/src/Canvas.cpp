#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace art {

Canvas::Canvas(int w, int h)
    : w_(w), h_(h), px_(static_cast<size_t>(w) * h, 0), part_(static_cast<size_t>(w) * h, -1) {
  beginPart();
}

int Canvas::beginPart(std::optional<QRgb> seam) {
  seams_.push_back(seam);
  return static_cast<int>(seams_.size()) - 1;
}

void Canvas::plot(int x, int y, QRgb c) {
  if (!inside(x, y)) return;
  px_[index(x, y)] = c;
  part_[index(x, y)] = static_cast<int>(seams_.size()) - 1;
}

void Canvas::erase(int x, int y) {
  if (!inside(x, y)) return;
  px_[index(x, y)] = 0;
  part_[index(x, y)] = -1;
}

void Canvas::fill(const PixelFn& fn) {
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x)
      if (auto c = fn(x + 0.5, y + 0.5)) plot(x, y, *c);
}

void Canvas::recolour(const std::function<std::optional<QRgb>(int, int, QRgb)>& fn) {
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x)
      if (opaque(x, y))
        if (auto c = fn(x, y, pixel(x, y))) px_[index(x, y)] = *c;
}

void Canvas::traceSeams() {
  std::vector<QRgb> out = px_;
  static const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      const int p = part(x, y);
      if (p < 0 || !seams_[p]) continue;
      for (int k = 0; k < 4; ++k) {
        const int q = part(x + dx[k], y + dy[k]);
        if (q >= 0 && q < p) {
          out[index(x, y)] = *seams_[p];
          break;
        }
      }
    }
  px_ = out;
}

void Canvas::outlineInside(QRgb ink) {
  std::vector<QRgb> out = px_;
  static const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      if (!opaque(x, y)) continue;
      for (int k = 0; k < 4; ++k) {
        const int nx = x + dx[k], ny = y + dy[k];
        if (!inside(nx, ny) || !opaque(nx, ny)) {
          out[index(x, y)] = ink;
          break;
        }
      }
    }
  px_ = out;
}

void Canvas::outlineOutside(QRgb ink, bool diagonal) {
  std::vector<int> grow;
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      if (opaque(x, y)) continue;
      bool touch = opaque(x + 1, y) || opaque(x - 1, y) || opaque(x, y + 1) || opaque(x, y - 1);
      if (diagonal)
        touch = touch || opaque(x + 1, y + 1) || opaque(x - 1, y - 1) || opaque(x + 1, y - 1) ||
                opaque(x - 1, y + 1);
      if (touch) grow.push_back(static_cast<int>(index(x, y)));
    }
  beginPart();
  const int p = static_cast<int>(seams_.size()) - 1;
  for (int i : grow) {
    px_[i] = ink;
    part_[i] = p;
  }
}

void Canvas::stamp(const Canvas& src, int dx, int dy, std::optional<QRgb> seam) {
  beginPart(seam);
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width(); ++x)
      if (src.opaque(x, y)) plot(x + dx, y + dy, src.pixel(x, y));
}

QImage Canvas::toImage(std::optional<QRgb> background) const {
  QImage img(w_, h_, QImage::Format_ARGB32);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      QRgb c = part_[index(x, y)] >= 0 ? px_[index(x, y)] : (background ? *background : 0u);
      img.setPixel(x, y, c);
    }
  return img;
}

// ---- Shading -------------------------------------------------------------------------

double lambert(double nx, double ny, double nz) {
  static const double lx = -0.52, ly = -0.62, lz = 0.59;
  static const double n = std::sqrt(lx * lx + ly * ly + lz * lz);
  return (nx * lx + ny * ly + nz * lz) / n;
}

double bayer4(int x, int y) {
  static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return (m[((y % 4) + 4) % 4][((x % 4) + 4) % 4] + 0.5) / 16.0;
}

QRgb shade(const Ramp& r, double i, int px, int py, double dither) {
  if (dither > 0) i += (bayer4(px, py) - 0.5) * dither;
  if (i > 0.86) return r[4];
  if (i > 0.45) return r[3];
  if (i > -0.05) return r[2];
  return r[1];
}

bool inEllipse(double x, double y, double cx, double cy, double rx, double ry) {
  const double u = (x - cx) / rx, v = (y - cy) / ry;
  return u * u + v * v <= 1.0;
}

void ball(Canvas& c, double cx, double cy, double rx, double ry, const Ramp& r, double dither,
          double lightBoost) {
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    const double u = (x - cx) / rx, v = (y - cy) / ry;
    const double d = u * u + v * v;
    if (d > 1.0) return std::nullopt;
    const double w = std::sqrt(std::max(0.0, 1.0 - d));
    return shade(r, lambert(u, v, w) + lightBoost, static_cast<int>(x), static_cast<int>(y),
                 dither);
  });
}

void polygon(Canvas& c, const QPolygonF& poly, QRgb colour) {
  polygon(c, poly, [colour](double, double) -> std::optional<QRgb> { return colour; });
}

void polygon(Canvas& c, const QPolygonF& poly, const PixelFn& fn) {
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    if (!poly.containsPoint(QPointF(x, y), Qt::OddEvenFill)) return std::nullopt;
    return fn(x, y);
  });
}

void disc(Canvas& c, double cx, double cy, double rx, double ry, QRgb colour) {
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    if (!inEllipse(x, y, cx, cy, rx, ry)) return std::nullopt;
    return colour;
  });
}

void ring(Canvas& c, double cx, double cy, double r0, double r1, QRgb colour) {
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    const double d = std::hypot(x - cx, y - cy);
    if (d < r0 || d > r1) return std::nullopt;
    return colour;
  });
}

void line(Canvas& c, int x0, int y0, int x1, int y1, QRgb colour) {
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    c.plot(x0, y0, colour);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

// ---- Bit masks ------------------------------------------------------------------------

Bits bitsFromRows(const std::vector<const char*>& rows) {
  int w = 0;
  for (const char* r : rows) w = std::max<int>(w, static_cast<int>(std::strlen(r)));
  Bits b(w, static_cast<int>(rows.size()));
  for (int y = 0; y < b.h; ++y)
    for (int x = 0; rows[y][x]; ++x) b.set(x, y, rows[y][x] == '#');
  return b;
}

void stampBits(Canvas& c, const Bits& b, int ox, int oy, const std::function<QRgb(int, int)>& fn) {
  c.beginPart();
  for (int y = 0; y < b.h; ++y)
    for (int x = 0; x < b.w; ++x)
      if (b.at(x, y)) c.plot(ox + x, oy + y, fn(x, y));
}

}  // namespace art
