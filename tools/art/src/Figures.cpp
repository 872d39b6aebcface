#include "Figures.h"

#include <algorithm>
#include <cmath>

namespace art {

QPointF Pose::toLocal(double x, double y) const {
  const double dx = x - cx, dy = y - cy, ca = std::cos(angle), sa = std::sin(angle);
  return {(ca * dx + sa * dy) / scale, (-sa * dx + ca * dy) / scale};
}

void Pose::toCanvas(double& nx, double& ny) const {
  const double ca = std::cos(angle), sa = std::sin(angle);
  const double x = nx * ca - ny * sa, y = nx * sa + ny * ca;
  nx = x;
  ny = y;
}

namespace {

double lit(const Pose& pose, double nx, double ny, double nz) {
  const double n = std::sqrt(nx * nx + ny * ny + nz * nz);
  nx /= n;
  ny /= n;
  nz /= n;
  pose.toCanvas(nx, ny);
  return lambert(nx, ny, nz);
}

// A body turned about the figure's vertical axis, radius r(y) for y in [y0, y1] (units).
void lathe(Canvas& c, const Pose& pose, double y0, double y1,
           const std::function<double(double)>& r,
           const std::function<const Ramp&(double, double)>& ramp, double dither) {
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    const QPointF l = pose.toLocal(x, y);
    if (l.y() < y0 || l.y() > y1) return std::nullopt;
    const double rr = r(l.y());
    if (rr <= 0 || std::fabs(l.x()) > rr) return std::nullopt;
    const double u = l.x() / rr, w = std::sqrt(std::max(0.0, 1 - u * u));
    const double dr = (r(l.y() + 0.05) - r(l.y() - 0.05)) / 0.1;
    return shade(ramp(l.x(), l.y()), lit(pose, u, -dr, w), static_cast<int>(x), static_cast<int>(y),
                 dither);
  });
}

// A flat piece given in figure units, lit as a plane with normal (nx, ny, nz).
void plate(Canvas& c, const Pose& pose, const QPolygonF& poly, const Ramp& ramp, double nx,
           double ny, double nz, double dither) {
  const double i = lit(pose, nx, ny, nz);
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    if (!poly.containsPoint(pose.toLocal(x, y), Qt::OddEvenFill)) return std::nullopt;
    return shade(ramp, i, static_cast<int>(x), static_cast<int>(y), dither);
  });
}

// A lit spheroid given in figure units.
void bulb(Canvas& c, const Pose& pose, double cx, double cy, double rx, double ry, const Ramp& r,
          double dither, double boost = 0.0) {
  c.fill([&](double x, double y) -> std::optional<QRgb> {
    const QPointF l = pose.toLocal(x, y);
    const double u = (l.x() - cx) / rx, v = (l.y() - cy) / ry, d = u * u + v * v;
    if (d > 1) return std::nullopt;
    return shade(r, lit(pose, u, v, std::sqrt(1 - d)) + boost, static_cast<int>(x),
                 static_cast<int>(y), dither);
  });
}

void region(Canvas& c, const Pose& pose,
            const std::function<std::optional<QRgb>(double, double)>& f) {
  c.fill([&](double x, double y) {
    const QPointF l = pose.toLocal(x, y);
    return f(l.x(), l.y());
  });
}

// Hair is a darker matter than skin: it keeps its highlight small.
constexpr double kHairShadow = 0.22;

double shipRadius(double y) {
  if (y < -15.6) return 0;
  if (y < -3.5) return 5.3 * std::pow((y + 15.6) / 12.1, 0.58);
  if (y < 6.0) return 5.3;
  return 5.3 - (y - 6.0) * 0.32;
}

}  // namespace

void drawShip(Canvas& c, const Pose& pose, const ShipLook& look) {
  const double d = look.dither;
  using namespace ramp;

  if (look.flame) {
    c.beginPart(kRed[1]);
    // The title's rocket burns longer than the sprite, whose cell ends at 16 units.
    const double end = look.face ? 18.5 : 16.0;
    region(c, pose, [&](double x, double y) -> std::optional<QRgb> {
      if (y < 10.2 || y > end) return std::nullopt;
      const double t = (y - 10.2) / (end - 10.2);
      // Large renderings get licking tongues of flame; the sprite keeps a clean cone.
      const double lick = pose.scale > 2 ? 0.45 * std::sin(t * 15.0 + x * 1.3) * t : 0.0;
      const double half = 2.9 * (1 - t * t) * (1 - 0.35 * t) * (1 + lick);
      if (std::fabs(x) > half) return std::nullopt;
      const double a = std::fabs(x) / std::max(half, 0.01) + t * 0.5;
      if (a < 0.5) return kYellow[4];
      if (a < 0.85) return kYellow[3];
      if (a < 1.15) return kOrange[2];
      return kRed[2];
    });
  }

  // Fins sit behind the hull.
  const QPolygonF finL({{-3.6, -0.5}, {-7.9, 6.0}, {-7.9, 11.2}, {-6.4, 11.2}, {-3.6, 8.2}});
  QPolygonF finR;
  for (const QPointF& p : finL) finR << QPointF(-p.x(), p.y());
  c.beginPart(kRed[0]);
  plate(c, pose, finL, kRed, 0.3, 0.1, 1.0, d);
  c.beginPart(kRed[0]);
  plate(c, pose, finR, kRed, 0.8, 0.2, 0.5, d);

  c.beginPart(kSteel[0]);
  lathe(
      c, pose, 8.4, 10.6, [](double y) { return 3.0 + (y - 8.4) * 0.3; },
      [](double, double) -> const Ramp& { return kSteel; }, d);

  c.beginPart();
  lathe(
      c, pose, -16, 8.7, shipRadius,
      [](double, double y) -> const Ramp& {
        if (y < -11.6) return kRed;
        if (y > 4.2 && y < 6.2) return kRed;
        return kYellow;
      },
      d);

  if (!look.face) {
    c.beginPart(kBlue[0]);
    bulb(c, pose, 0, -4.2, 2.9, 3.3, kBlue, d, 0.1);
    return;
  }

  // The grinning rocket of the title: a framed visor, rivets and a mouthful of teeth.
  c.beginPart(kSteel[0]);
  region(c, pose, [&](double x, double y) -> std::optional<QRgb> {
    const double u = x / 4.7, v = (y + 5.2) / 3.0;
    if (u * u + v * v > 1) return std::nullopt;
    return shade(kSteel, lit(pose, u, v, std::sqrt(std::max(0.0, 1 - u * u - v * v))), 0, 0, 0);
  });
  c.beginPart();
  region(c, pose, [&](double x, double y) -> std::optional<QRgb> {
    for (double rx = -4.0; rx <= 4.01; rx += 2.0) {
      if (std::hypot(x - rx, y - 5.2) < 0.42) return kRed[0];
      if (std::hypot(x - rx + 0.15, y - 5.05) < 0.62) return kRed[3];
    }
    return std::nullopt;
  });
  c.beginPart(kBlue[0]);
  region(c, pose, [&](double x, double y) -> std::optional<QRgb> {
    const double u = x / 4.1, v = (y + 5.2) / 2.4;
    if (u * u + v * v > 1 || y > -5.2 + 1.6 - 0.12 * x * x + 0.4) return std::nullopt;
    const double w = std::sqrt(std::max(0.0, 1 - u * u - v * v));
    const double i = lit(pose, u, v, w + 0.3);
    // Two reflections slanting across the glass.
    const double s = x + 0.55 * (y + 5.2);
    if ((s > -2.6 && s < -1.9) || (s > -1.5 && s < -1.25)) return kBlue[4];
    return shade(kBlue, i, 0, 0, 0);
  });
  c.beginPart(kRed[0]);
  region(c, pose, [&](double x, double y) -> std::optional<QRgb> {
    const double top = -0.6 - 0.05 * x * x + 0.02 * x * x * x * x / 10;
    const double bottom = 0.9 + std::sqrt(std::max(0.0, 3.5 * 3.5 - x * x)) * 0.72;
    if (std::fabs(x) > 3.5 || y < top || y > bottom) return std::nullopt;
    const double mid = (top + bottom) * 0.5 - 0.25;
    // Clenched teeth: two rows split by the bite line, with gaps between the teeth.
    if (std::fabs(y - mid) < 0.16) return kRed[0];
    const double tooth = std::fmod(x + 3.5 + 100, 1.15);
    if (tooth < 0.16) return kSteel[1];
    return (y < mid) ? (y < top + 0.4 ? kWhite[2] : kWhite[4])
                     : (y > bottom - 0.45 ? kWhite[1] : kWhite[3]);
  });
}

void drawMascotFront(Canvas& c, const Pose& pose, double d) {
  using namespace ramp;
  // Feet peek out below the round body.
  c.beginPart(kOrange[0]);
  bulb(c, pose, -6.5, 12.8, 4.2, 2.3, kOrange, d);
  c.beginPart(kOrange[0]);
  bulb(c, pose, 6.5, 12.8, 4.2, 2.3, kOrange, d);
  c.beginPart();
  bulb(c, pose, 0, 0, 13.8, 13.4, kYellow, d);
  // A brown tuft of hair, the same brown as the back of the head.
  c.beginPart(kBrown[0]);
  region(c, pose, [&](double x, double y) -> std::optional<QRgb> {
    // Rounded bangs hanging over the forehead.
    const double wave = -9.8 + 2.4 * std::fabs(std::cos(x * 0.56)) + 0.025 * x * x;
    const double u = x / 13.8, v = y / 13.4, dd = u * u + v * v;
    if (y > wave || dd > 1) return std::nullopt;
    // Lit exactly like the back of the head, which is all hair.
    return shade(kBrown, lit(pose, u, v, std::sqrt(1 - dd)) - kHairShadow, 0, 0, 0);
  });
  // Round glasses: steel rims and pale blue lenses with a glint.
  for (double ex : {-5.2, 5.2}) {
    c.beginPart();
    region(c, pose, [&](double x, double y) -> std::optional<QRgb> {
      const double r = std::hypot(x - ex, y + 2.2);
      if (r > 4.6) return std::nullopt;
      if (r > 3.5) return (y < -2.2) ? kSteel[3] : kSteel[1];
      // Eyes behind the lenses look a little to the side.
      if (std::hypot(x - ex - 0.7, y + 1.8) < 1.25) return kInk;
      if (std::hypot(x - ex + 1.5, y + 3.6) < 0.9) return kPaperWhite;
      return (y - x * 0.3 < -2.2 - ex * 0.3) ? kCyan[4] : kCyan[3];
    });
  }
  c.beginPart();
  region(c, pose, [](double x, double y) -> std::optional<QRgb> {
    if (std::fabs(x) < 1.1 && std::fabs(y + 2.4) < 0.5) return kSteel[1];  // bridge
    return std::nullopt;
  });
  // A contented smile and rosy cheeks.
  c.beginPart(kRed[0]);
  region(c, pose, [](double x, double y) -> std::optional<QRgb> {
    const double u = x / 4.2, v = (y - 4.2) / 3.0;
    if (u * u + v * v > 1 || y < 4.3) return std::nullopt;
    return (y > 5.9 && std::fabs(x) < 2.2) ? kRed[3] : kRed[1];
  });
  c.beginPart();
  for (double ex : {-9.0, 9.0})
    region(c, pose, [ex](double x, double y) -> std::optional<QRgb> {
      if (!inEllipse(x, y, ex, 3.6, 1.9, 1.1)) return std::nullopt;
      return kOrange[3];
    });
}

void drawMascotBack(Canvas& c, const Pose& pose, double d) {
  using namespace ramp;
  c.beginPart(kOrange[0]);
  bulb(c, pose, -6.5, 12.8, 4.2, 2.3, kOrange, d);
  c.beginPart(kOrange[0]);
  bulb(c, pose, 6.5, 12.8, 4.2, 2.3, kOrange, d);
  c.beginPart();
  bulb(c, pose, 0, 0, 13.8, 13.4, kBrown, d, -kHairShadow);
  // The crown's whorl and the ends of the glasses' arms behind the ears.
  c.beginPart();
  region(c, pose, [](double x, double y) -> std::optional<QRgb> {
    const double a = std::atan2(y + 7.5, x), r = std::hypot(x, y + 7.5);
    if (r < 3.4 && std::fabs(std::fmod(a + 10 * M_PI + r * 0.9, M_PI / 1.5) - 0.3) < 0.22)
      return kBrown[0];
    return std::nullopt;
  });
  for (double ex : {-13.0, 13.0}) {
    c.beginPart(kSteel[0]);
    region(c, pose, [ex](double x, double y) -> std::optional<QRgb> {
      if (std::fabs(x - ex) < 1.3 && std::fabs(y + 2.2) < 0.8) return kSteel[2];
      return std::nullopt;
    });
  }
}

}  // namespace art
