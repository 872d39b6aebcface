// A small pixel canvas for hand-shaded sprite art.
//
// Figures are built from parts painted one over the other. Each pixel remembers which part
// put it there, so that the seams between parts and the silhouette can be inked afterwards in
// the same one-pixel style everywhere. Nothing is ever blended: every pixel is one palette
// colour, which keeps the pictures crisp at 1x and clean when enlarged.
#pragma once

#include <QImage>
#include <QPolygonF>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "Palette.h"

namespace art {

// Colour for the pixel whose centre is (x, y), or nothing to leave it alone.
using PixelFn = std::function<std::optional<QRgb>(double x, double y)>;

class Canvas {
 public:
  Canvas(int w, int h);

  int width() const { return w_; }
  int height() const { return h_; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  bool opaque(int x, int y) const { return inside(x, y) && part_[index(x, y)] >= 0; }
  QRgb pixel(int x, int y) const { return px_[index(x, y)]; }
  int part(int x, int y) const { return inside(x, y) ? part_[index(x, y)] : -1; }

  // Starts a new part on top of everything painted so far. With an edge colour, the pixels
  // of this part that touch an earlier part are inked in it by traceSeams().
  int beginPart(std::optional<QRgb> seam = std::nullopt);
  void plot(int x, int y, QRgb c);
  void erase(int x, int y);
  void fill(const PixelFn& fn);

  // Recolours pixels already painted, keeping their parts.
  void recolour(const std::function<std::optional<QRgb>(int x, int y, QRgb c)>& fn);

  void traceSeams();
  // Silhouette pixels (opaque, with a transparent 4-neighbour or the border) become ink.
  void outlineInside(QRgb ink);
  // Transparent pixels 4-adjacent to the figure become ink (the figure grows by one pixel).
  void outlineOutside(QRgb ink, bool diagonal = false);

  // Copies the opaque pixels of another canvas, as one new part, offset by (dx, dy).
  void stamp(const Canvas& src, int dx, int dy, std::optional<QRgb> seam = std::nullopt);

  QImage toImage(std::optional<QRgb> background) const;

 private:
  size_t index(int x, int y) const { return static_cast<size_t>(y) * w_ + x; }
  int w_, h_;
  std::vector<QRgb> px_;
  std::vector<int> part_;
  std::vector<std::optional<QRgb>> seams_;
};

// ---- Shading -------------------------------------------------------------------------

// The one light of every picture: from the upper left, in front of the picture.
double lambert(double nx, double ny, double nz);

// Picks a ramp tone for a light intensity in [-1, 1]. `dither` widens each band border into
// a 4x4 ordered-dither zone of that many intensity units (0 for clean bands).
QRgb shade(const Ramp& r, double intensity, int px, int py, double dither = 0.0);

// Bayer 4x4 threshold in [0, 1) for pixel (x, y).
double bayer4(int x, int y);

// ---- Shapes ---------------------------------------------------------------------------

// A lit spheroid centred at (cx, cy) with radii rx, ry.
void ball(Canvas& c, double cx, double cy, double rx, double ry, const Ramp& r, double dither = 0.0,
          double lightBoost = 0.0);

// A filled polygon, one colour or coloured by `fn` over its pixels.
void polygon(Canvas& c, const QPolygonF& poly, QRgb colour);
void polygon(Canvas& c, const QPolygonF& poly, const PixelFn& fn);

// Ellipse and ring areas in one colour.
void disc(Canvas& c, double cx, double cy, double rx, double ry, QRgb colour);
void ring(Canvas& c, double cx, double cy, double r0, double r1, QRgb colour);

// A one-pixel line (no anti-aliasing), in the current part.
void line(Canvas& c, int x0, int y0, int x1, int y1, QRgb colour);

bool inEllipse(double x, double y, double cx, double cy, double rx, double ry);

// ---- Bit masks (lettering) ------------------------------------------------------------

struct Bits {
  int w = 0, h = 0;
  std::vector<uint8_t> v;
  Bits() = default;
  Bits(int w_, int h_) : w(w_), h(h_), v(static_cast<size_t>(w_) * h_, 0) {}
  bool at(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && v[y * w + x]; }
  void set(int x, int y, bool on = true) {
    if (x >= 0 && y >= 0 && x < w && y < h) v[y * w + x] = on ? 1 : 0;
  }
};

// A bitmap drawn as text rows, '#' set and anything else clear.
Bits bitsFromRows(const std::vector<const char*>& rows);

// Places `b` onto the canvas at (ox, oy) as a new part coloured by `fn(x, y, bits)` where
// x, y are bitmap coordinates.
void stampBits(Canvas& c, const Bits& b, int ox, int oy,
               const std::function<QRgb(int x, int y)>& fn);

}  // namespace art
