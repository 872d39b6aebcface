// The sprite sheet: every small picture of the game at its fixed place on one 128 x 240
// sheet, with the transparency mask derived from it; and the English status labels, laid out
// the same way on a small sheet of their own.
#include <QRect>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Art.h"
#include "Figures.h"
#include "Lettering.h"
#include "Sprites.h"
#include "render/Cells.h"

namespace art {

namespace {

using namespace ramp;

// Finishes a figure in the house style: seams between parts, then the dark silhouette.
void ink(Canvas& c) {
  c.traceSeams();
  c.outlineOutside(kInk);
}

std::optional<QRgb> at(bool inside, QRgb c) {
  return inside ? std::optional<QRgb>(c) : std::nullopt;
}

// ---- Player and shots -------------------------------------------------------------

Canvas ship() {
  Canvas c(16, 32);
  drawShip(c, Pose{8.0, 16.0, 0.9, 0}, ShipLook{});
  ink(c);
  return c;
}

Canvas orangeOrb() {
  Canvas c(16, 16);
  c.beginPart();
  ball(c, 8, 8, 6.5, 6.5, kOrange, 0, 0.2);
  c.beginPart();
  c.fill([](double x, double y) { return at(inEllipse(x, y, 7.2, 7.2, 2.7, 2.7), kYellow[3]); });
  c.fill([](double x, double y) { return at(inEllipse(x, y, 6.6, 6.6, 1.2, 1.2), kYellow[4]); });
  c.outlineOutside(kOrange[0]);
  return c;
}

Canvas magentaOrb(bool lying) {
  Canvas c(16, 16);
  const double rx = lying ? 6.5 : 4.6, ry = lying ? 4.6 : 6.5;
  c.beginPart();
  ball(c, 8, 8, rx, ry, kMagenta, 0, 0.15);
  // A hot core and a glint that stays put while the shell wobbles.
  c.beginPart();
  c.fill([&](double x, double y) {
    return at(inEllipse(x, y, 8, 8, rx * 0.42, ry * 0.42), kMagenta[4]);
  });
  c.fill([&](double x, double y) {
    return at(inEllipse(x, y, 8 - rx * 0.45, 8 - ry * 0.45, 1.0, 1.0), kPaperWhite);
  });
  c.outlineOutside(kMagenta[0]);
  return c;
}

Canvas bolt() {
  Canvas c(8, 16);
  c.beginPart();
  c.fill([](double x, double y) -> std::optional<QRgb> {
    // A capsule with a pointed head, thinning to a tail.
    const double t = (4.2 - y) / 3.6;
    const double half = y < 4.2 ? 2.6 * std::sqrt(std::max(0.0, 1 - t * t)) : 2.6 - (y - 4.2) * 0.1;
    const double d = std::fabs(x - 4.0);
    if (y < 0.6 || y > 15.2 || d > half) return std::nullopt;
    const double a = d / std::max(half, 0.01);
    if (a < 0.35 && y > 2 && y < 12) return kGreen[4];
    if (a < 0.7) return kGreen[3];
    return kGreen[2];
  });
  c.outlineOutside(kGreen[0]);
  return c;
}

Canvas beam() {
  // Segments stack end to end, so the stripes run unbroken from top to bottom.
  static const QRgb col[8] = {kBlue[0], kBlue[2], kCyan[2], kCyan[4],
                              kCyan[3], kCyan[2], kBlue[2], kBlue[0]};
  Canvas c(8, 16);
  c.beginPart();
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 8; ++x) c.plot(x, y, col[x]);
  return c;
}

// ---- Gauges and items -------------------------------------------------------------

// Ten gauge colours from red round to dark red; each 4-pixel column is horizontally
// uniform so that neighbouring columns of one colour join into a seamless bar.
QRgb stripBase(int c) {
  static const QRgb base[10] = {
      rgb(224, 36, 32),  rgb(244, 120, 24), rgb(248, 212, 32), rgb(164, 216, 32), rgb(44, 184, 60),
      rgb(32, 196, 220), rgb(40, 92, 232),  rgb(124, 72, 236), rgb(184, 48, 200), rgb(140, 16, 36)};
  return base[c];
}

QRgb mix(QRgb a, QRgb b, double t) {
  auto m = [t](int u, int v) { return static_cast<int>(std::lround(u + (v - u) * t)); };
  return rgb(m(qRed(a), qRed(b)), m(qGreen(a), qGreen(b)), m(qBlue(a), qBlue(b)));
}

Canvas strip() {
  Canvas c(40, 12);
  c.beginPart();
  for (int col = 0; col < 10; ++col) {
    const QRgb b = stripBase(col);
    for (int y = 0; y < 12; ++y) {
      QRgb v = b;
      if (y == 0)
        v = mix(b, rgb(250, 250, 250), 0.6);
      else if (y <= 2)
        v = mix(b, rgb(250, 250, 250), 0.3);
      else if (y == 10)
        v = mix(b, rgb(0, 0, 0), 0.3);
      else if (y == 11)
        v = mix(b, rgb(0, 0, 0), 0.55);
      for (int x = 0; x < 4; ++x) c.plot(col * 4 + x, y, v);
    }
  }
  return c;
}

Canvas heart() {
  static const Bits shape = bitsFromRows({
      ".####....####.",
      "######..######",
      "##############",
      "##############",
      "##############",
      ".############.",
      ".############.",
      "..##########..",
      "...########...",
      "....######....",
      ".....####.....",
      "......##......",
  });
  Canvas c(16, 16);
  stampBits(c, shape, 1, 2, [](int x, int y) {
    // Each lobe is lit as a ball of its own; the point as part of one big ball.
    double u, v;
    if (y < 5) {
      const double lx = x < 7 ? 2.5 : 10.5;
      u = (x + 0.5 - lx - 0.5) / 4.2;
      v = (y + 0.5 - 3.5) / 4.2;
    } else {
      u = (x + 0.5 - 7) / 7.5;
      v = (y + 0.5 - 4) / 8.0;
    }
    if (x == 3 && y == 2) return kRed[4];
    return shade(kRed, lambert(u, v, std::sqrt(std::max(0.05, 1 - u * u - v * v))), 0, 0);
  });
  c.outlineOutside(kInk);
  return c;
}

Canvas glassSphere() {
  Canvas c(16, 16);
  c.beginPart();
  c.fill([](double x, double y) -> std::optional<QRgb> {
    const double u = (x - 8) / 6.6, v = (y - 8) / 6.6, d = u * u + v * v;
    if (d > 1) return std::nullopt;
    // Glass: dark body, light gathered at the far rim, a hard glint near the light.
    if (inEllipse(x, y, 5.6, 5.3, 1.7, 1.2)) return kPaperWhite;
    if (d > 0.5 && u + v > 0.7) return kPurple[3];
    if (d > 0.3 && u + v > 0.45) return kPurple[2];
    if (d > 0.75 && u + v < -0.5) return kPurple[2];
    return d < 0.45 ? kPurple[1] : kPurple[0];
  });
  c.outlineOutside(kInk);
  return c;
}

Canvas dot() {
  Canvas c(8, 8);
  c.beginPart();
  c.fill([](double x, double y) -> std::optional<QRgb> {
    const double d = std::hypot(x - 4, y - 4);
    if (d > 3.1) return std::nullopt;
    if (d > 2.1) return kRed[2];
    return (x < 4 && y < 4) ? kOrange[4] : kOrange[2];
  });
  c.outlineOutside(kInk);
  return c;
}

Canvas maxLabel() {
  static const Bits body = bitsFromRows({
      "###......###....####....###....###",
      "####....####...######...###....###",
      "#####..#####..###..###...###..###.",
      "###.####.###..###..###...###..###.",
      "###..##..###.###....###...######..",
      "###......###.###....###....####...",
      "###......###.###....###....####...",
      "###......###.##########...######..",
      "###......###.##########..###..###.",
      "###......###.###....###..###..###.",
      "###......###.###....###.###....###",
      "###......###.###....###.###....###",
      "###......###.###....###.###....###",
  });
  return sticker(body, kYellow, kOrange, kInk);
}

// ---- Enemies ----------------------------------------------------------------------

Canvas blob(int frame) {
  Canvas c(32, 32);
  // The blob breathes: tall and round, then squat and wide.
  const double rx = frame ? 13.6 : 12.0, ry = frame ? 10.0 : 12.4, cy = frame ? 19.6 : 17.2;
  c.beginPart();
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    const double u = (x - 16) / rx, v = (y - cy) / ry;
    // A drip-edged flat base.
    const double base = 28.4 + 0.9 * std::sin(x * 0.9 + frame * 1.7);
    if (u * u + v * v > 1 || y > base) return std::nullopt;
    const double w = std::sqrt(std::max(0.0, 1 - u * u - v * v));
    return shade(kBlue, lambert(u, v, w + 0.2), 0, 0);
  });
  c.beginPart();
  c.fill([&](double x, double y) {
    return at(inEllipse(x, y, 16 - rx * 0.5, cy - ry * 0.58, 2.6, 1.5), kBlue[4]);
  });
  const double eyeY = cy - 1.0;
  for (double ex : {11.6, 20.4}) {
    c.beginPart(kInk);
    c.fill([&](double x, double y) -> std::optional<QRgb> {
      const double ery = frame ? 1.6 : 3.4;
      if (!inEllipse(x, y, ex, eyeY, 2.6, ery)) return std::nullopt;
      if (!frame && inEllipse(x, y, ex + 0.4, eyeY + 1.2, 1.2, 1.6)) return kInk;
      return kWhite[frame ? 2 : 3];
    });
  }
  c.beginPart(kInk);
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    const double my = eyeY + (frame ? 5.0 : 6.0);
    if (!inEllipse(x, y, 16, my, frame ? 3.2 : 2.2, frame ? 1.6 : 1.9)) return std::nullopt;
    return y > my + 0.4 ? kRed[2] : kRed[0];
  });
  ink(c);
  return c;
}

Canvas goggler(int frame) {
  Canvas c(32, 32);
  // Little bat wings flap up and down.
  for (int side : {-1, 1}) {
    c.beginPart(kBrown[0]);
    const double tipY = frame ? 24.0 : 6.5;
    QPolygonF wing({{16 + side * 8.0, 14.0},
                    {16 + side * 15.4, tipY},
                    {16 + side * 13.5, 17.0},
                    {16 + side * 14.0, tipY + (frame ? -4.0 : 9.0)},
                    {16 + side * 8.0, 20.0}});
    polygon(c, wing, side < 0 ? kBrown[2] : kBrown[1]);
  }
  // Feet step in turn.
  for (int side : {-1, 1}) {
    c.beginPart(kOrange[0]);
    const double fy = 28.0 + ((side < 0) == (frame == 0) ? -1.0 : 0.6);
    ball(c, 16 + side * 5.0, fy, 3.0, 1.9, kOrange);
  }
  c.beginPart();
  c.fill([](double x, double y) -> std::optional<QRgb> {
    const double a = std::atan2(y - 17, x - 16), r = std::hypot(x - 16, y - 17);
    const double edge = 10.6 + 0.9 * std::cos(a * 9);  // shaggy fur
    if (r > edge) return std::nullopt;
    const double u = (x - 16) / 11.5, v = (y - 17) / 11.5;
    return shade(kBrown, lambert(u, v, std::sqrt(std::max(0.05, 1 - u * u - v * v))), 0, 0);
  });
  // The goggle strap, then two big goggles whose eyes swing from side to side.
  c.beginPart(kInk);
  c.fill([](double x, double y) {
    return at(std::fabs(y - 13.0 - (x - 16) * (x - 16) * 0.01) < 1.2 && std::fabs(x - 16) < 11,
              kRed[1]);
  });
  for (double ex : {11.2, 20.8}) {
    c.beginPart(kInk);
    c.fill([&](double x, double y) -> std::optional<QRgb> {
      const double r = std::hypot(x - ex, y - 13.2);
      if (r > 5.0) return std::nullopt;
      if (r > 3.7) return (y < 13.2) ? kSteel[3] : kSteel[1];
      const double px = ex + (frame ? 1.1 : -1.1);
      if (std::hypot(x - px, y - 14.0) < 1.7) return kInk;
      if (std::hypot(x - ex + 1.4, y - 11.6) < 0.9) return kPaperWhite;
      return kYellow[3];
    });
  }
  c.beginPart(kInk);
  c.fill([](double x, double y) -> std::optional<QRgb> {
    if (!inEllipse(x, y, 16, 21.6, 4.0, 2.2) || y < 21.2) return std::nullopt;
    if ((std::fabs(x - 14.0) < 0.6 || std::fabs(x - 18.0) < 0.6) && y < 22.6) return kWhite[3];
    return kRed[0];
  });
  ink(c);
  return c;
}

Canvas beetle(int frame) {
  Canvas c(32, 32);
  // Three legs a side, alternating between the two frames.
  for (int side : {-1, 1})
    for (int k = 0; k < 3; ++k) {
      c.beginPart();
      const bool fwd = ((k + (side > 0)) % 2 == 0) == (frame == 0);
      const int x0 = 16 + side * 7, y0 = 11 + k * 6;
      const int x1 = 16 + side * 13, y1 = y0 + (fwd ? 3 : -3) + k - 1;
      const int x2 = 16 + side * 14, y2 = y1 + (fwd ? 4 : -3);
      line(c, x0, y0, x1, y1, kMoss[2]);
      line(c, x1, y1, x2, y2, kMoss[1]);
    }
  // Antennae and mandibles point down the screen, towards the player.
  c.beginPart();
  line(c, 13, 27, 10, 30, kMoss[2]);
  line(c, 19, 27, 22, 30, kMoss[2]);
  c.beginPart(kBrown[0]);
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    const double o = frame ? 0.8 : 0;
    for (int s : {-1, 1}) {
      const double cx = 16 + s * (3.0 + o);
      if (std::hypot(x - cx, y - 27.0) < 2.6 && (x - 16) * s < 3.8 + o && y > 26) return kBrown[3];
    }
    return std::nullopt;
  });
  c.beginPart(kGreen[0]);
  ball(c, 16, 23.5, 6.2, 4.2, kMoss);
  for (int s : {-1, 1}) {
    c.beginPart(kInk);
    c.fill([s](double x, double y) {
      return at(inEllipse(x, y, 16 + s * 3.0, 25.0, 1.2, 1.0), kRed[3]);
    });
  }
  // Wing cases: shut, then cracked open to show the wings beneath.
  const double gap = frame ? 1.6 : 0.0;
  if (frame) {
    // Thin grey wings, veined, folded out from under the cases.
    c.beginPart(kSteel[0]);
    c.fill([](double x, double y) -> std::optional<QRgb> {
      if (!inEllipse(x, y, 16, 10.0, 6.0, 7.5) || y > 16) return std::nullopt;
      if (std::fabs(std::fabs(x - 16) - 2.5 - (y - 10) * 0.2) < 0.5) return kSteel[1];
      return y < 8 ? kSteel[3] : kSteel[2];
    });
  }
  for (int s : {-1, 1}) {
    c.beginPart(kGreen[0]);
    c.fill([&](double x, double y) -> std::optional<QRgb> {
      const double cx = 16 + s * gap, lx = (x - cx) * s;
      if (lx < 0.0 || !inEllipse(x, y, cx, 12.5, 10.0, 12.0) || y > 21) return std::nullopt;
      // Open cases tilt back a little at the top.
      if (frame && lx < (17.5 - y) * 0.35) return std::nullopt;
      const double u = (x - 16) / 10.5, v = (y - 12.5) / 12.5;
      const double i = lambert(u, v, std::sqrt(std::max(0.05, 1 - u * u - v * v)));
      if (inEllipse(lx, y, 5.0, 8.0, 1.6, 1.6) || inEllipse(lx, y, 4.0, 15.0, 1.3, 1.3))
        return kGreen[i > 0.4 ? 4 : 3];
      return shade(kGreen, i, 0, 0);
    });
  }
  ink(c);
  return c;
}

// ---- Explosions -------------------------------------------------------------------

Canvas burstRing() {
  Canvas c(32, 32);
  c.beginPart();
  c.fill([](double x, double y) -> std::optional<QRgb> {
    const double dx = x - 16, dy = y - 16, d = std::hypot(dx, dy);
    const double t = (d - 11.6) / 2.9;
    if (std::fabs(t) > 1) return std::nullopt;
    const double w = std::sqrt(1 - t * t);
    return shade(kRed, lambert(t * dx / d, t * dy / d, w) + 0.1, 0, 0);
  });
  c.beginPart(kOrange[1]);
  c.fill([](double x, double y) -> std::optional<QRgb> {
    const double dx = x - 16, dy = y - 16, d = std::hypot(dx, dy);
    const double a = std::atan2(dy, dx);
    const double r = 3.4 + 3.6 * std::pow(std::fabs(std::cos(a * 4)), 3);
    if (d > r) return std::nullopt;
    if (d < 1.8) return kYellow[4];
    return d < r * 0.6 ? kYellow[3] : kYellow[2];
  });
  c.traceSeams();
  c.outlineOutside(kInk);
  return c;
}

Canvas flare() {
  Canvas c(32, 32);
  c.beginPart();
  c.fill([](double x, double y) -> std::optional<QRgb> {
    const double d = std::hypot(x - 16, y - 16);
    if (d > 15.2) return std::nullopt;
    // Half the pixels stay see-through, so the flare lights what lies beneath.
    const int px = static_cast<int>(x), py = static_cast<int>(y);
    if ((px + py) % 2) return std::nullopt;
    if (d < 4.5) return kYellow[4];
    if (d < 8.5) return kYellow[3];
    if (d < 12.5) return kYellow[2];
    return kOrange[2];
  });
  return c;
}

// ---- Status display ---------------------------------------------------------------

Canvas digit(int d) {
  Canvas c(13, 20);
  c.stamp(sticker(digitBits(d), kGreen, kGreen, kInk), 1, 1);
  return c;
}

Canvas comboBar() {
  Canvas c(35, 13);
  c.beginPart();
  c.fill([](double x, double y) -> std::optional<QRgb> {
    // A rounded ribbon with slanted dark stripes.
    const double ix = std::min(x - 1.0, 34.0 - x), iy = std::min(y - 1.0, 12.0 - y);
    if (ix < 0 || iy < 0) return std::nullopt;
    if (ix < 1.5 && iy < 1.5 && std::hypot(1.5 - ix, 1.5 - iy) > 1.6) return std::nullopt;
    if (y < 2.5) return kRed[3];
    if (y > 10.5) return kRed[1];
    const int s = static_cast<int>(std::floor(x + y)) % 7;
    return s < 3 ? kRed[0] : kRed[2];
  });
  c.outlineOutside(kInk);
  return c;
}

// A status label: bitmap-font lettering, thickened and shaded like the digits.
struct LabelFont {
  int pixelSize, stretch, boldX, boldY;
};

Canvas labelCanvas(const Bits& body, int w, int h, const Ramp& top, const Ramp& bottom) {
  Canvas c(w, h);
  c.stamp(sticker(body, top, bottom, kInk, false), (w - 2 - body.w) / 2, 0);
  return c;
}

Canvas label(const QString& text, int w, int h, const std::vector<int>& widths, int gap,
             const LabelFont& f, const Ramp& top, const Ramp& bottom) {
  const Bits body = letterPixel(text, widths, gap, h - 2, f.pixelSize, f.stretch, f.boldX, f.boldY);
  return labelCanvas(body, w, h, top, bottom);
}

// An English label from hand-set capitals: the IPA fonts' Latin letters, hinted down to these
// widths, lose their shapes (the M fills in, a narrow H closes up). The word is centred in
// height as the font lettering is, and shaded the same way, so both languages stand alike.
Canvas englishLabel(const std::vector<const char*>& rows, int w, int h, const Ramp& top,
                    const Ramp& bottom) {
  const Bits word = bitsFromRows(rows);
  Bits body(word.w, h - 2);
  const int dy = (body.h - word.h) / 2;
  for (int y = 0; y < word.h; ++y)
    for (int x = 0; x < word.w; ++x) body.set(x, y + dy, word.at(x, y));
  return labelCanvas(body, w, h, top, bottom);
}

// Each word as tall as its Japanese counterpart and standing on the same line: SCORE as
// とくてん, HI-SCORE as the high-score label, COMBO as コンボ; two- and three-pixel strokes.
Canvas scoreEnglish() {
  return englishLabel(
      {
          "..#####......#####......#####....#######....########",
          ".#######....#######....#######...########...########",
          "###...###..###...###..###...###..###..####..###.....",
          "###...###..###...###..###...###..###...###..###.....",
          "###........###........###...###..###...###..###.....",
          "####.......###........###...###..###...###..###.....",
          ".######....###........###...###..###..####..###.....",
          "..######...###........###...###..########...#######.",
          "....#####..###........###...###..#######....#######.",
          "......###..###........###...###..###.####...###.....",
          "......###..###........###...###..###..###...###.....",
          "......###..###........###...###..###..####..###.....",
          "###...###..###...###..###...###..###...###..###.....",
          "###...###..###...###..###...###..###...###..###.....",
          ".#######....#######....#######...###...###..########",
          "..#####......#####......#####....###...###..########",
      },
      pelaryn::Cell::English::ScoreLabel.W, pelaryn::Cell::English::ScoreLabel.H, kGreen, kGreen);
}

Canvas highScoreEnglish() {
  return englishLabel(
      {
          "##...##.####.......#####...#####...#####..######..######",
          "##...##.####......#######.#######.#######.#######.######",
          "##...##..##.......##...##.##...##.##...##.##...##.##....",
          "##...##..##.......##......##......##...##.##...##.##....",
          "##...##..##.......###.....##......##...##.##...##.##....",
          "##...##..##........####...##......##...##.##..###.##....",
          "#######..##..####...####..##......##...##.######..#####.",
          "#######..##..####.....###.##......##...##.#####...#####.",
          "##...##..##............##.##......##...##.##.##...##....",
          "##...##..##............##.##......##...##.##..##..##....",
          "##...##..##............##.##......##...##.##..##..##....",
          "##...##..##.......##...##.##...##.##...##.##...##.##....",
          "##...##.####......#######.#######.#######.##...##.######",
          "##...##.####.......#####...#####...#####..##...##.######",
      },
      pelaryn::Cell::English::HighScoreLabel.W, pelaryn::Cell::English::HighScoreLabel.H, kGreen,
      kGreen);
}

Canvas comboEnglish() {
  return englishLabel(
      {
          ".####...####..##....##.#####...####.",
          "######.######.###..###.######.######",
          "##..##.##..##.########.##..##.##..##",
          "##.....##..##.##.##.##.##..##.##..##",
          "##.....##..##.##.##.##.##.##..##..##",
          "##.....##..##.##....##.#####..##..##",
          "##.....##..##.##....##.######.##..##",
          "##.....##..##.##....##.##..##.##..##",
          "##.....##..##.##....##.##..##.##..##",
          "##..##.##..##.##....##.##..##.##..##",
          "######.######.##....##.######.######",
          ".####...####..##....##.#####...####.",
      },
      pelaryn::Cell::English::ComboLabel.W, pelaryn::Cell::English::ComboLabel.H, kYellow, kOrange);
}

// ---- Bosses -----------------------------------------------------------------------

Canvas sun(int frame) {
  Canvas c(64, 48);
  const double cx = 32, cy = 24;
  // Sixteen spikes, long and short by turns, reaching into the corners of the wide cell.
  c.beginPart(kOrange[0]);
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    const double dx = x - cx, dy = y - cy, a = std::atan2(dy, dx);
    const double k = std::round(a / (M_PI / 8)), a0 = k * M_PI / 8;
    const bool longRay = static_cast<int>(std::fabs(k)) % 2 == 0;
    const double reach = 1.0 / std::hypot(std::cos(a0) / 30.5, std::sin(a0) / 22.5);
    const double len = longRay ? reach : 15.0 + (reach - 15.0) * 0.62;
    const double along = dx * std::cos(a0) + dy * std::sin(a0);
    const double across = std::fabs(-dx * std::sin(a0) + dy * std::cos(a0));
    const double half = 4.6 * (len - along) / (len - 12.0);
    if (along < 10 || along > len || across > half) return std::nullopt;
    const double i = lambert(std::cos(a0) * 0.7, std::sin(a0) * 0.7, 0.7);
    return shade(kOrange, i + (across < half * 0.35 ? 0.35 : 0.0), 0, 0);
  });
  c.beginPart(kOrange[0]);
  ball(c, cx, cy, 16.4, 16.4, kYellow, 0.12);
  // Cheeks.
  c.beginPart();
  for (int s : {-1, 1})
    c.fill([&](double x, double y) {
      return at(inEllipse(x, y, cx + s * 10.5, cy + 4.0, 2.4, 1.4), kOrange[3]);
    });
  for (int s : {-1, 1}) {
    const double ex = cx + s * 5.6, ey = cy - 4.0;
    if (frame == 0) {
      // Wide eyes glaring down at the player, under angry brows.
      c.beginPart(kInk);
      c.fill([&](double x, double y) -> std::optional<QRgb> {
        if (!inEllipse(x, y, ex, ey, 3.1, 3.9)) return std::nullopt;
        if (inEllipse(x, y, ex - s * 0.6, ey + 1.4, 1.5, 2.0)) return kInk;
        return kWhite[3];
      });
      c.beginPart();
      line(c, static_cast<int>(ex - s * 3.5), static_cast<int>(ey - 3.5),
           static_cast<int>(ex + s * 2.5), static_cast<int>(ey - 6.5), kOrange[0]);
      line(c, static_cast<int>(ex - s * 3.5), static_cast<int>(ey - 4.5),
           static_cast<int>(ex + s * 2.5), static_cast<int>(ey - 7.5), kOrange[0]);
    } else {
      // Squeezed shut with glee: two thick arcs.
      c.beginPart();
      c.fill([&](double x, double y) -> std::optional<QRgb> {
        const double r = std::hypot((x - ex) / 1.1, y - ey - 1.5);
        if (r < 2.2 || r > 3.7 || y > ey + 1.0) return std::nullopt;
        return kOrange[0];
      });
    }
  }
  // The grin: a wide mouth full of teeth.
  c.beginPart(kInk);
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    const double dx = x - cx;
    const double top = cy + 3.6 - 0.02 * dx * dx;
    if (y < top || !inEllipse(x, y, cx, cy + 3.2, 10.5, 8.2)) return std::nullopt;
    const double mid = cy + 7.4 - 0.03 * dx * dx;
    if (y < top + 2.2 && std::fmod(dx + 40.0, 3.0) > 0.7) return kWhite[3];
    if (y > mid && y < mid + 2.0 && std::fmod(dx + 41.5, 3.0) > 0.7) return kWhite[2];
    return y > mid + 1.5 ? kRed[2] : kRed[0];
  });
  ink(c);
  return c;
}

Canvas moon() {
  Canvas c(64, 64);
  const double cx = 30.5, cy = 32, r = 29.6;  // the whole disc
  const double hx = 47, hy = 27, hr = 25;     // the dark part that carves the crescent
  // The face looks right, into the hollow: a pointed nose and a grinning mouth cut in.
  auto inner = [&](double y) {
    return hx - std::sqrt(std::max(0.0, hr * hr - (y - hy) * (y - hy)));
  };
  const QPolygonF nosePoly({{inner(27.5) - 1, 27.5}, {30.5, 35.0}, {inner(37.5) - 1, 37.5}});
  auto nose = [&](double x, double y) { return nosePoly.containsPoint({x, y}, Qt::OddEvenFill); };
  auto mouth = [&](double x, double y) {
    const double t = (y - 39.0) / 8.0;
    return t >= 0 && t <= 1 && x > inner(y) - 8.0 * std::pow(std::sin(t * M_PI), 0.7);
  };
  c.beginPart();
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    const bool disc = std::hypot(x - cx, y - cy) <= r;
    const bool hollow = std::hypot(x - hx, y - hy) <= hr;
    if (!disc || (hollow && !nose(x, y))) return std::nullopt;
    if (mouth(x, y)) return std::nullopt;
    const double u = (x - cx) / r, v = (y - cy) / r;
    const double w = std::sqrt(std::max(0.0, 1 - u * u - v * v));
    // Craters, lit from the upper left: the near wall in shadow, the far wall bright.
    for (auto [kx, ky, kr] : {std::tuple{8.5, 20.0, 3.6},
                              {6.5, 38.0, 2.8},
                              {15.5, 51.0, 3.1},
                              {20.0, 9.5, 2.3},
                              {11.5, 29.5, 1.9},
                              {24.0, 57.5, 1.8}}) {
      const double dx = x - kx, dy = y - ky, d = std::hypot(dx, dy);
      if (d < kr) {
        const double t = (dx * 0.6 + dy * 0.8) / kr;
        if (t < -0.25) return kMoss[1];
        if (t > 0.55) return kMoss[3];
        return kMoss[2];
      }
    }
    return shade(kMoss, lambert(u, v, w) - 0.12, static_cast<int>(x), static_cast<int>(y), 0.12);
  });
  c.beginPart(kInk);
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    if (!mouth(x, y) || std::hypot(x - cx, y - cy) > r || std::hypot(x - hx, y - hy) <= hr)
      return std::nullopt;
    if (y < 41.5 && std::fmod(y * 0.0 + x, 3.0) > 0.8) return kWhite[3];  // a row of teeth
    return y > 44.5 ? kRed[3] : kRed[1];
  });
  c.beginPart(kInk);
  c.fill([](double x, double y) -> std::optional<QRgb> {
    if (!inEllipse(x, y, 16.5, 24.0, 2.8, 3.5)) return std::nullopt;
    if (inEllipse(x, y, 17.7, 24.6, 1.3, 2.0)) return kInk;
    return kWhite[3];
  });
  c.beginPart();
  line(c, 13, 18, 19, 17, kMoss[0]);
  line(c, 19, 17, 20, 18, kMoss[0]);
  ink(c);
  return c;
}

// ---- Assembly ---------------------------------------------------------------------

struct Cell {
  QRect rect;
  Canvas art;
};

std::vector<Cell> cells() {
  using pelaryn::CellRect;
  namespace cell = pelaryn::Cell;
  std::vector<Cell> v;
  auto add = [&](const CellRect& r, Canvas c) { v.push_back({QRect(r.X, r.Y, r.W, r.H), c}); };
  add(cell::Ship, ship());
  add(cell::OrangeOrb, orangeOrb());
  add(cell::Fireball(0), magentaOrb(false));
  add(cell::Fireball(1), magentaOrb(true));
  add(cell::PlayerShot, bolt());
  add(cell::Beam, beam());
  add(cell::GaugeStrip, strip());
  add(cell::Heart, heart());
  add(cell::GlassSphere, glassSphere());
  add(cell::Bullet, dot());
  add(cell::MaxLabel, maxLabel());
  for (int f = 0; f < 2; ++f) {
    add(cell::Enemy(1, f), blob(f));
    add(cell::Enemy(2, f), goggler(f));
    add(cell::Enemy(3, f), beetle(f));
    add(cell::Sun(f), sun(f));
  }
  add(cell::Blast(0), burstRing());
  add(cell::Blast(1), flare());
  for (int d = 0; d < 10; ++d) add(cell::Digit(d), digit(d));
  add(cell::ComboBar, comboBar());
  add(cell::Moon, moon());
  add(cell::ScoreLabel, label(QStringLiteral("とくてん"), 58, 20, {13, 12, 12, 13}, 2,
                              {18, 72, 1, 1}, kGreen, kGreen));
  add(cell::HighScoreLabel, label(QStringLiteral("さいこうとくてん"), 64, 20,
                                  {7, 7, 7, 6, 7, 7, 7, 7}, 1, {17, 50, 0, 1}, kGreen, kGreen));
  add(cell::ComboLabel,
      label(QStringLiteral("コンボ"), 38, 16, {11, 11, 12}, 1, {14, 80, 1, 0}, kYellow, kOrange));
  return v;
}

std::vector<Cell> englishCells() {
  using pelaryn::CellRect;
  namespace english = pelaryn::Cell::English;
  std::vector<Cell> v;
  auto add = [&](const CellRect& r, Canvas c) { v.push_back({QRect(r.X, r.Y, r.W, r.H), c}); };
  add(english::ScoreLabel, scoreEnglish());
  add(english::HighScoreLabel, highScoreEnglish());
  add(english::ComboLabel, comboEnglish());
  return v;
}

// Lays the cells out on a white sheet, refusing any that do not fit or that overlap.
QImage assemble(int width, int height, const std::vector<Cell>& all) {
  QImage sheet(width, height, QImage::Format_RGB32);
  sheet.fill(kSheetWhite);
  for (size_t i = 0; i < all.size(); ++i) {
    const Cell& a = all[i];
    if (a.rect.width() != a.art.width() || a.rect.height() != a.art.height() ||
        !sheet.rect().contains(a.rect)) {
      std::fprintf(stderr, "sheet cell %zu does not fit\n", i);
      std::exit(1);
    }
    for (size_t j = 0; j < i; ++j)
      if (all[j].rect.intersects(a.rect)) {
        std::fprintf(stderr, "sheet cells %zu and %zu overlap\n", j, i);
        std::exit(1);
      }
    for (int y = 0; y < a.art.height(); ++y)
      for (int x = 0; x < a.art.width(); ++x)
        if (a.art.opaque(x, y)) {
          QRgb c = a.art.pixel(x, y) | 0xff000000u;
          if (c == kSheetWhite) c = kPaperWhite;  // painted white must not read as a hole
          sheet.setPixel(a.rect.x() + x, a.rect.y() + y, c);
        }
  }
  return sheet;
}

}  // namespace

QImage paintSheet() {
  return assemble(pelaryn::Cell::SheetWidth, pelaryn::Cell::SheetHeight, cells());
}

QImage paintEnglishLabels() {
  namespace english = pelaryn::Cell::English;
  return assemble(english::SheetWidth, english::SheetHeight, englishCells());
}

QImage maskFromSheet(const QImage& sheet) {
  QImage mask(sheet.size(), QImage::Format_RGB32);
  for (int y = 0; y < sheet.height(); ++y)
    for (int x = 0; x < sheet.width(); ++x)
      mask.setPixel(x, y, (sheet.pixel(x, y) | 0xff000000u) == kSheetWhite ? kSheetWhite : kBlack);
  return mask;
}

}  // namespace art
