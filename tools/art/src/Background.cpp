// The default background: a deep-blue starfield with faint nebulae, 320 x 480, painted so
// that it wraps seamlessly both ways (the game scrolls it in any direction and tiles it).
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Art.h"
#include "Canvas.h"
#include "Palette.h"

namespace art {

namespace {

constexpr int kW = 320, kH = 480;

// splitmix64: a fixed, portable sequence, so the picture is the same on every machine.
struct Random {
  uint64_t s;
  uint64_t next() {
    uint64_t z = (s += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  int below(int n) { return static_cast<int>(unit() * n); }
};

// Value noise on a lattice that wraps with the tile: the period of every octave divides the
// tile's width and height, so the noise joins itself at the edges.
class TileNoise {
 public:
  TileNoise(int cellsX, int cellsY, uint64_t seed) : nx_(cellsX), ny_(cellsY), v_(cellsX * cellsY) {
    Random r{seed};
    for (double& x : v_) x = r.unit();
  }
  double at(double x, double y) const {
    const double fx = x / kW * nx_, fy = y / kH * ny_;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    const double tx = smooth(fx - ix), ty = smooth(fy - iy);
    const double a = v(ix, iy), b = v(ix + 1, iy), c = v(ix, iy + 1), d = v(ix + 1, iy + 1);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
  }

 private:
  static double smooth(double t) { return t * t * (3 - 2 * t); }
  double v(int x, int y) const { return v_[((y % ny_ + ny_) % ny_) * nx_ + (x % nx_ + nx_) % nx_]; }
  int nx_, ny_;
  std::vector<double> v_;
};

double fbm(const std::vector<TileNoise>& octaves, double x, double y) {
  double sum = 0, amp = 1, norm = 0;
  for (const TileNoise& n : octaves) {
    sum += n.at(x, y) * amp;
    norm += amp;
    amp *= 0.5;
  }
  return sum / norm;
}

std::vector<TileNoise> octaves(uint64_t seed) {
  return {TileNoise(2, 3, seed), TileNoise(4, 6, seed + 1), TileNoise(8, 12, seed + 2),
          TileNoise(16, 24, seed + 3), TileNoise(32, 48, seed + 4)};
}

double smoothstep(double a, double b, double x) {
  const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

}  // namespace

QImage paintBackground() {
  const std::vector<TileNoise> violet = octaves(11), teal = octaves(23);
  QImage img(kW, kH, QImage::Format_RGB32);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      // Two thin veils of gas, posterised into a few steps with an ordered dither whose
      // 4-pixel period also divides the tile.
      const double a = smoothstep(0.52, 0.82, fbm(violet, x, y));
      const double b = smoothstep(0.56, 0.86, fbm(teal, x, y));
      const double t = bayer4(x, y);
      const double qa = std::floor(a * 4 + t) / 4, qb = std::floor(b * 3 + t) / 3;
      const int r = static_cast<int>(6 + 40 * qa + 2 * qb);
      const int g = static_cast<int>(8 + 8 * qa + 34 * qb);
      const int bl = static_cast<int>(30 + 36 * qa + 30 * qb);
      img.setPixel(x, y, rgb(r, g, bl));
    }

  Random rnd{20260101};
  auto put = [&](int x, int y, QRgb c) {
    x = ((x % kW) + kW) % kW;
    y = ((y % kH) + kH) % kH;
    img.setPixel(x, y, c);
  };
  // Distant dust: many faint one-pixel stars.
  for (int i = 0; i < 420; ++i) {
    const int x = rnd.below(kW), y = rnd.below(kH), k = rnd.below(3);
    static const QRgb dim[3] = {rgb(58, 64, 110), rgb(84, 92, 140), rgb(112, 120, 168)};
    put(x, y, dim[k]);
  }
  // Nearer stars with a soft cross of light.
  for (int i = 0; i < 40; ++i) {
    const int x = rnd.below(kW), y = rnd.below(kH);
    const bool warm = rnd.below(4) == 0;
    const QRgb core = warm ? rgb(236, 214, 170) : rgb(196, 212, 246);
    const QRgb glow = warm ? rgb(120, 96, 88) : rgb(80, 96, 150);
    put(x, y, core);
    if (i % 2 == 0) {
      put(x + 1, y, glow);
      put(x - 1, y, glow);
      put(x, y + 1, glow);
      put(x, y - 1, glow);
    }
  }
  // A handful of bright sparkles, some of them right across the tile's edges.
  const int sparkles[][2] = {{317, 60}, {140, 478}, {52, 210}, {236, 330}, {0, 0}};
  for (auto [x, y] : sparkles) {
    put(x, y, rgb(240, 244, 254));
    for (int d = 1; d <= 3; ++d) {
      const QRgb c = d == 1 ? rgb(150, 170, 230) : d == 2 ? rgb(80, 100, 170) : rgb(50, 62, 120);
      put(x + d, y, c);
      put(x - d, y, c);
      put(x, y + d, c);
      put(x, y - d, c);
    }
  }
  return img;
}

}  // namespace art
