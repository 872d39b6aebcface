// The title screen's pictures and the other pieces of artwork that show the game's name:
// the title sheet, the spinning mascot coin, the ranking window's heading, the about-box
// picture and the program icon.
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Art.h"
#include "Capitals.h"
#include "Figures.h"
#include "Lettering.h"
#include "Sprites.h"

namespace art {

namespace {

using namespace ramp;

// Copies a canvas onto an image; transparent pixels keep what the image had.
void place(QImage& img, const Canvas& c, int ox, int oy) {
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x)
      if (c.opaque(x, y)) img.setPixel(ox + x, oy + y, c.pixel(x, y) | 0xff000000u);
}

// A four-pointed twinkle, as the background stars have them.
void twinkle(Canvas& c, int x, int y, int arm, const Ramp& r) {
  c.beginPart();
  for (int d = -arm; d <= arm; ++d) {
    const int a = std::abs(d);
    const QRgb col = a == 0 ? r[4] : a == 1 ? r[3] : a * 2 <= arm ? r[2] : r[1];
    c.plot(x + d, y, col);
    c.plot(x, y + d, col);
  }
}

// Title lettering: bands from yellow at the top to red at the foot, a bright top edge, a
// dark red rim inside the common ink outline and a deep extruded shadow down and right.
Canvas flameLettering(const Bits& body, int depth, bool doubleRim) {
  const int m = depth + (doubleRim ? 2 : 1);
  Canvas c(body.w + m + 2, body.h + m + 2);
  const int ox = doubleRim ? 2 : 1, oy = ox;
  int y0 = body.h, y1 = -1;
  for (int y = 0; y < body.h; ++y)
    for (int x = 0; x < body.w; ++x)
      if (body.at(x, y)) {
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  // The extrusion first, so that the face is painted over it.
  c.beginPart();
  for (int k = depth; k >= 1; --k)
    for (int y = 0; y < body.h; ++y)
      for (int x = 0; x < body.w; ++x)
        if (body.at(x, y)) c.plot(ox + x + k, oy + y + k, k == depth ? kInk : kRed[0]);
  c.beginPart(kRed[0]);
  static const QRgb bands[] = {kYellow[4], kYellow[3], kYellow[2], kOrange[3],
                               kOrange[2], kRed[3],    kRed[2],    kRed[1]};
  for (int y = 0; y < body.h; ++y)
    for (int x = 0; x < body.w; ++x) {
      if (!body.at(x, y)) continue;
      const double t = (y - y0 + 0.5) / std::max(1, y1 - y0 + 1);
      QRgb col = bands[std::min(7, static_cast<int>(t * 8))];
      if (!body.at(x, y - 1) || !body.at(x - 1, y)) col = t < 0.5 ? kYellow[4] : kOrange[3];
      c.plot(ox + x, oy + y, col);
    }
  c.traceSeams();
  c.outlineOutside(kInk);
  return c;
}

Canvas shipIllustration() {
  Canvas c(190, 195);
  // Speed streaks trail behind the rocket.
  c.beginPart();
  for (auto [x, y, len] : {std::tuple{40, 150, 26}, {58, 168, 18}, {24, 120, 14}, {70, 178, 12}}) {
    for (int k = 0; k < len; ++k) {
      const int px = x - k * 7 / 20, py = y + k;
      c.plot(px, py, k < len / 3 ? kCyan[3] : k < 2 * len / 3 ? kCyan[1] : kBlue[1]);
    }
  }
  twinkle(c, 20, 22, 4, kYellow);
  twinkle(c, 170, 40, 3, kCyan);
  twinkle(c, 160, 150, 5, kYellow);
  twinkle(c, 28, 80, 2, kCyan);
  twinkle(c, 120, 185, 2, kYellow);
  ShipLook look;
  look.face = true;
  look.dither = 0.1;
  drawShip(c, Pose{98, 97, 5.15, 0.36}, look);
  c.traceSeams();
  c.outlineOutside(kInk);
  return c;
}

Canvas emblem() {
  // 星, the star: plain enough to read even as the emblem zooms in tenfold.
  TextStyle st;
  st.embolden = 3.0;
  st.threshold = 0.5;
  const Bits body = letterFit(QStringLiteral("星"), 72, 58, st);
  Canvas c(80, 66);
  c.beginPart();
  int y0 = body.h, y1 = -1;
  for (int y = 0; y < body.h; ++y)
    for (int x = 0; x < body.w; ++x)
      if (body.at(x, y)) {
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  for (int y = 0; y < body.h; ++y)
    for (int x = 0; x < body.w; ++x) {
      if (!body.at(x, y)) continue;
      const double t = (y - y0 + 0.5) / (y1 - y0 + 1);
      QRgb col = t < 0.3 ? kBlue[3] : t < 0.7 ? kBlue[2] : kBlue[1];
      if (!body.at(x, y - 1) || !body.at(x - 1, y))
        col = kBlue[4];
      else if (!body.at(x, y + 1) || !body.at(x + 1, y))
        col = kBlue[0];
      c.plot(4 + x, 4 + y, col);
    }
  return c;
}

// A line of text as the hinted bitmap font draws it, centred in w x h.
Bits textLine(const QString& text, int w, int h, int pixelSize) {
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPixelSize(pixelSize);
  font.setStyleStrategy(QFont::NoAntialias);
  font.setHintingPreference(QFont::PreferFullHinting);
  QImage img(w * 2, h * 3, QImage::Format_RGB32);
  img.fill(Qt::black);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setPen(Qt::white);
    p.setFont(font);
    p.drawText(0, h * 2, text);
  }
  int x0 = img.width(), x1 = -1, y0 = img.height(), y1 = -1;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qRed(img.pixel(x, y)) > 127) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  if (x1 - x0 + 1 > w || y1 - y0 + 1 > h) {
    std::fprintf(stderr, "text \"%s\" is wider than %d pixels\n", qPrintable(text), w);
    std::exit(1);
  }
  Bits b(w, h);
  const int dx = (w - (x1 - x0 + 1)) / 2 - x0, dy = (h - (y1 - y0 + 1)) / 2 - y0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (qRed(img.pixel(x, y)) > 127) b.set(x + dx, y + dy);
  return b;
}

Canvas credit() {
  Canvas c(118, 42);
  const Bits l1 = textLine(QStringLiteral("© 2026"), 118, 16, 13);
  const Bits l2 = textLine(QStringLiteral("PELARYN PROJECT"), 118, 16, 13);
  for (auto [b, oy] : {std::pair{&l1, 4}, {&l2, 22}}) {
    stampBits(c, *b, 0, oy, [&](int, int y) { return y < 9 ? kCyan[3] : kCyan[2]; });
  }
  return c;
}

Canvas mascotFace(bool front) {
  Canvas c(65, 65);
  const Pose pose{32.5, 32.5, 2.05, 0};
  if (front)
    drawMascotFront(c, pose, 0.1);
  else
    drawMascotBack(c, pose, 0.1);
  c.traceSeams();
  c.outlineOutside(kInk);
  return c;
}

}  // namespace

QImage paintTitle() {
  QImage img(388, 261, QImage::Format_RGB32);
  img.fill(kBlack);
  place(img, shipIllustration(), 0, 0);

  // The logo on white with its mask directly beneath.
  TextStyle st;
  st.embolden = 3.0;
  st.shear = -0.18;
  st.threshold = 0.5;
  const Bits body = letterFit(QStringLiteral("ヴェルガード"), 186, 62, st);
  const Canvas logo = flameLettering(body, 3, false);
  // High in its box, so that less of the rocket's face hides behind it on the title screen.
  const int lx = 190 + (198 - logo.width()) / 2, ly = 6;
  for (int y = 0; y < 100; ++y)
    for (int x = 190; x < 388; ++x) {
      img.setPixel(x, y, kSheetWhite);
      img.setPixel(x, y + 100, kSheetWhite);
    }
  for (int y = 0; y < logo.height(); ++y)
    for (int x = 0; x < logo.width(); ++x)
      if (logo.opaque(x, y)) {
        QRgb col = logo.pixel(x, y) | 0xff000000u;
        if (col == kSheetWhite) col = kPaperWhite;
        img.setPixel(lx + x, ly + y, col);
        img.setPixel(lx + x, ly + y + 100, kBlack);
      }

  place(img, emblem(), 0, 195);
  place(img, credit(), 80, 219);
  return img;
}

QImage paintLogo() {
  QImage img(130, 65, QImage::Format_RGB32);
  img.fill(kBlack);
  place(img, mascotFace(true), 0, 0);
  place(img, mascotFace(false), 65, 0);
  return img;
}

namespace {

// The ranking window's heading: the words in the title's flame lettering, the TOP 10 badge
// in cyan beside them, both leaning as the title does and standing on one line. Both
// languages share the picture's size, so the window keeps its own.
QImage rankHeading(const Bits& words, const Bits& badge) {
  QImage img(250, 26, QImage::Format_RGB32);
  img.fill(kBlack);
  const Canvas flame = flameLettering(words, 2, false);
  Canvas t(badge.w + 2, badge.h + 2);
  stampBits(t, badge, 1, 1, [&](int x, int y) {
    if (!badge.at(x, y - 1) || !badge.at(x - 1, y)) return kCyan[4];
    return y < 6 ? kCyan[3] : y < 12 ? kCyan[2] : kCyan[1];
  });
  t.outlineOutside(kBlue[0]);
  const int badgeX = 250 - t.width() - 4;
  if (2 + flame.width() + 8 > badgeX) {
    std::fprintf(stderr, "the ranking heading's words run into its badge\n");
    std::exit(1);
  }
  place(img, flame, 2, 1);
  place(img, t, badgeX, 3);
  return img;
}

}  // namespace

QImage paintRankLogo() {
  TextStyle st;
  st.embolden = 1.6;
  st.shear = -0.18;
  st.threshold = 0.5;
  return rankHeading(letterFit(QStringLiteral("スコアランキング"), 158, 19, st),
                     letterFit(QStringLiteral("TOP10"), 62, 17, st));
}

// Hand-set, since the fonts' Latin letters blur at this size; leaning as far as the Japanese
// heading's sheared outlines do.
QImage paintRankLogoEnglish() {
  constexpr double lean = 0.18;
  return rankHeading(leaning(capitals(QStringLiteral("SCORE RANKING"), 19, 3, 8), lean),
                     leaning(capitals(QStringLiteral("TOP 10"), 17, 2, 5), lean));
}

QImage paintAbout() {
  QImage img(65, 65, QImage::Format_RGB32);
  // A small window onto the starfield with the mascot in it.
  Canvas sky(65, 65);
  sky.beginPart();
  sky.fill([](double x, double y) -> std::optional<QRgb> {
    const double t = y / 65.0 + (bayer4(static_cast<int>(x), static_cast<int>(y)) - 0.5) * 0.15;
    return t < 0.35 ? rgb(10, 14, 52) : t < 0.7 ? rgb(18, 24, 78) : rgb(30, 36, 104);
  });
  for (auto [x, y] : {std::pair{6, 8}, {56, 12}, {50, 54}, {10, 50}, {33, 4}, {60, 36}})
    sky.plot(x, y, rgb(180, 196, 240));
  twinkle(sky, 54, 22, 2, kYellow);
  twinkle(sky, 9, 30, 2, kCyan);
  Canvas m(65, 65);
  drawMascotFront(m, Pose{32.5, 34.0, 1.85, 0}, 0.1);
  m.traceSeams();
  m.outlineOutside(kInk);
  sky.stamp(m, 0, 0);
  img = sky.toImage(kBlack).convertToFormat(QImage::Format_RGB32);
  return img;
}

QImage paintIcon(int size) {
  // The rocket climbs diagonally, as large as the square allows with room for its outline.
  ShipLook look;
  look.face = size >= 64;
  look.dither = size >= 128 ? 0.1 : 0.0;
  for (double scale = size / 16.0;; scale *= 0.98) {
    Canvas c(size, size);
    drawShip(c, Pose{size / 2.0, size / 2.0, scale, M_PI / 4}, look);
    bool clear = true;
    for (int i = 0; i < size; ++i)
      clear = clear && !c.opaque(i, 0) && !c.opaque(i, size - 1) && !c.opaque(0, i) &&
              !c.opaque(size - 1, i);
    if (!clear) continue;
    c.traceSeams();
    c.outlineOutside(kInk);
    return c.toImage(std::nullopt);
  }
}

}  // namespace art
