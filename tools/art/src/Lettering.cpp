#include "Lettering.h"

#include <QFont>
#include <QFontInfo>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace art {

namespace {

constexpr int kSuper = 12;

QPainterPath outline(const QString& text, const TextStyle& style) {
  QFont font(style.family);
  font.setPixelSize(256);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  QPainterPath path;
  path.addText(0, 0, font, text);
  if (style.shear != 0.0) path = QTransform().shear(style.shear, 0).map(path);
  return path;
}

// A glyph outline and where its ink box goes on the target grid.
struct Piece {
  QPainterPath path;
  QRectF from, to;
};

std::vector<double> coverage(const std::vector<Piece>& pieces, int w, int h,
                             const TextStyle& style) {
  QImage hi(w * kSuper, h * kSuper, QImage::Format_Grayscale8);
  hi.fill(0);
  {
    QPainter p(&hi);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::white);
    if (style.embolden > 0) {
      QPen pen(Qt::white, style.embolden * kSuper);
      pen.setJoinStyle(Qt::RoundJoin);
      pen.setCapStyle(Qt::RoundCap);
      p.setPen(pen);
    } else {
      p.setPen(Qt::NoPen);
    }
    // The emboldening pen grows the ink by half its width on each side: leave room for it.
    const double grow = style.embolden / 2.0;
    for (const Piece& piece : pieces) {
      const QRectF to = piece.to.adjusted(grow, grow, -grow, -grow);
      QTransform t;
      t.scale(kSuper, kSuper);
      t.translate(to.left(), to.top());
      t.scale(to.width() / piece.from.width(), to.height() / piece.from.height());
      t.translate(-piece.from.left(), -piece.from.top());
      p.drawPath(t.map(piece.path));
    }
  }
  std::vector<double> cov(static_cast<size_t>(w) * h, 0.0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int sum = 0;
      for (int j = 0; j < kSuper; ++j) {
        const uchar* row = hi.constScanLine(y * kSuper + j);
        for (int i = 0; i < kSuper; ++i) sum += row[x * kSuper + i];
      }
      cov[static_cast<size_t>(y) * w + x] = sum / (255.0 * kSuper * kSuper);
    }
  return cov;
}

Bits threshold(const std::vector<double>& cov, int w, int h, double t) {
  Bits b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.set(x, y, cov[static_cast<size_t>(y) * w + x] > t);
  return b;
}

}  // namespace

std::vector<double> coverageFit(const QString& text, int w, int h, const TextStyle& style) {
  const QPainterPath path = outline(text, style);
  return coverage({{path, path.boundingRect(), QRectF(0, 0, w, h)}}, w, h, style);
}

Bits letterFit(const QString& text, int w, int h, const TextStyle& style) {
  return threshold(coverageFit(text, w, h, style), w, h, style.threshold);
}

Bits letterSlots(const QString& text, const std::vector<int>& widths, int gap, int h,
                 const TextStyle& style) {
  const QRectF all = outline(text, style).boundingRect();
  std::vector<Piece> pieces;
  int x = 0;
  for (int i = 0; i < text.size() && i < static_cast<int>(widths.size()); ++i) {
    const QPainterPath glyph = outline(text.mid(i, 1), style);
    const QRectF ink = glyph.boundingRect();
    // Shared vertical extent, own horizontal extent.
    pieces.push_back({glyph, QRectF(ink.left(), all.top(), ink.width(), all.height()),
                      QRectF(x, 0, widths[static_cast<size_t>(i)], h)});
    x += widths[static_cast<size_t>(i)] + gap;
  }
  const int w = x - gap;
  return threshold(coverage(pieces, w, h, style), w, h, style.threshold);
}

Bits letterPixel(const QString& text, const std::vector<int>& widths, int gap, int h, int pixelSize,
                 int stretch, int boldX, int boldY, const QString& family) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setStretch(stretch);
  font.setStyleStrategy(QFont::NoAntialias);
  font.setHintingPreference(QFont::PreferFullHinting);
  const int n = std::min<int>(static_cast<int>(text.size()), static_cast<int>(widths.size()));
  const int pad = pixelSize * 2, base = pixelSize * 2;

  // Each glyph drawn alone on its own grid, thickened, then measured.
  std::vector<Bits> glyphs;
  int top = 1 << 20, bottom = -1;
  for (int i = 0; i < n; ++i) {
    QImage img(pad * 2, pad * 2, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
      QPainter p(&img);
      p.setRenderHint(QPainter::TextAntialiasing, false);
      p.setPen(Qt::white);
      p.setFont(font);
      p.drawText(pixelSize / 2, base, text.mid(i, 1));
    }
    Bits g(img.width(), img.height());
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (qRed(img.pixel(x, y)) > 127)
          for (int j = 0; j <= boldY; ++j)
            for (int k = 0; k <= boldX; ++k) g.set(x + k, y + j);
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x)
        if (g.at(x, y)) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    glyphs.push_back(g);
  }
  int w = -gap;
  for (int i = 0; i < n; ++i) w += widths[static_cast<size_t>(i)] + gap;
  Bits out(std::max(w, 0), h);
  const int dy = (h - (bottom - top + 1)) / 2 - top;
  int slot = 0;
  for (int i = 0; i < n; ++i) {
    const Bits& g = glyphs[static_cast<size_t>(i)];
    int left = g.w, right = -1;
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x)
        if (g.at(x, y)) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
    const int sw = widths[static_cast<size_t>(i)];
    const int dx = slot + (sw - (right - left + 1)) / 2 - left;
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x)
        if (g.at(x, y)) {
          const int tx = x + dx, ty = y + dy;
          // Ink beyond the slot would run into the neighbour: the caller must pick a size
          // that fits, and hears about it if not.
          if (tx < slot || tx >= slot + sw || ty < 0 || ty >= h) {
            std::fprintf(stderr, "glyph %d of \"%s\" does not fit its %dx%d slot\n", i,
                         qPrintable(text), sw, h);
            std::exit(1);
          }
          out.set(tx, ty);
        }
    slot += sw + gap;
  }
  return out;
}

void requireFonts() {
  for (const char* family : {"IPAGothic", "IPAPGothic"}) {
    QFont f(QString::fromLatin1(family));
    if (QFontInfo(f).family() != QLatin1String(family)) {
      std::fprintf(stderr, "font %s is missing (install fonts-ipafont-gothic)\n", family);
      std::exit(1);
    }
  }
}

}  // namespace art
