// pelaryn-art OUTDIR [PREVIEWDIR]
//
// Paints every picture of the game into OUTDIR. With PREVIEWDIR it also writes enlarged
// copies and a few composites (sprites over the background, the title as the game shows it)
// for looking the work over; those are never committed.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "Art.h"
#include "Lettering.h"
#include "render/Cells.h"

namespace {

void save(const QImage& img, const QString& dir, const QString& name, const char* format) {
  const QString path = QDir(dir).filePath(name);
  if (!img.save(path, format)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
}

QImage opaqueRgb(const QImage& img) {
  return img.convertToFormat(QImage::Format_RGB888);
}

int colourCount(const QImage& img) {
  std::set<QRgb> seen;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) seen.insert(img.pixel(x, y));
  return static_cast<int>(seen.size());
}

void require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "picture check failed: %s\n", what);
    std::exit(1);
  }
}

QImage enlarge(const QImage& img, int k) {
  return img.scaled(img.width() * k, img.height() * k, Qt::IgnoreAspectRatio,
                    Qt::FastTransformation);
}

// Masked copy the way the game draws a sprite: AND NOT with the mask, then XOR the sheet.
void drawMasked(QImage& dst, const QImage& sheet, const QImage& mask, QRect cell, QPoint at) {
  for (int j = 0; j < cell.height(); ++j)
    for (int i = 0; i < cell.width(); ++i) {
      const int x = at.x() + i, y = at.y() + j;
      if (x < 0 || y < 0 || x >= dst.width() || y >= dst.height()) continue;
      const QRgb m = mask.pixel(cell.x() + i, cell.y() + j) & 0xffffff;
      const QRgb s = sheet.pixel(cell.x() + i, cell.y() + j) & 0xffffff;
      QRgb d = dst.pixel(x, y) & 0xffffff;
      d = m & ~d & 0xffffff;
      d ^= s;
      dst.setPixel(x, y, 0xff000000u | d);
    }
}

void previews(const QString& dir, const QImage& sheet, const QImage& mask, const QImage& labels,
              const QImage& labelMask, const QImage& back) {
  QDir().mkpath(dir);
  // The whole sheet over a stretch of the background, twice, so that every cell is seen on
  // the dark tile; digits and labels laid out as the status display has them.
  QImage field(300, 400, QImage::Format_RGB32);
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 300; ++x)
      field.setPixel(x, y, back.pixel(x % back.width(), y % back.height()));
  drawMasked(field, sheet, mask, QRect(0, 0, 128, 240), QPoint(160, 150));
  drawMasked(field, sheet, mask, QRect(64, 176, 58, 20), QPoint(0, 0));
  drawMasked(field, sheet, mask, QRect(64, 196, 64, 20), QPoint(0, 20));
  drawMasked(field, sheet, mask, QRect(64, 216, 38, 16), QPoint(0, 50));
  drawMasked(field, sheet, mask, QRect(80, 13, 36, 15), QPoint(0, 70));
  for (int d = 0; d < 10; ++d) {
    drawMasked(field, sheet, mask, QRect(65 + 13 * (d % 4), 65 + 20 * (d / 4), 13, 20),
               QPoint(20 + 13 * d, 110));
  }
  for (int i = 0; i < 9; ++i)
    drawMasked(field, sheet, mask, QRect(32, 16, 16, 16), QPoint(156 + 16 * i, 2));
  for (int i = 0; i <= 39; ++i)
    drawMasked(field, sheet, mask, QRect(80 + 4 * (i / 4), 0, 4, 12), QPoint(4 * i, 40));
  drawMasked(field, sheet, mask, QRect(93, 108, 35, 13), QPoint(10, 155));
  for (int i = 0; i < 3; ++i) {
    const int d = (i == 1) ? 1 : 0;
    drawMasked(field, sheet, mask, QRect(65 + 13 * (d % 4), 65 + 20 * (d / 4), 13, 20),
               QPoint(45 - 14 * i, 150));
  }
  drawMasked(field, sheet, mask, QRect(0, 0, 16, 32), QPoint(60, 300));
  drawMasked(field, sheet, mask, QRect(96, 32, 32, 32), QPoint(20, 200));
  drawMasked(field, sheet, mask, QRect(0, 128, 64, 48), QPoint(80, 190));
  save(enlarge(field, 3), dir, QStringLiteral("composite.png"), "PNG");

  // The still title screen, composed the way the game composes it.
  const QImage title = art::paintTitle(), logo = art::paintLogo();
  QImage t(300, 400, QImage::Format_RGB32);
  t.fill(Qt::black);
  auto orCopy = [&](QRect src, QPoint at) {
    for (int j = 0; j < src.height(); ++j)
      for (int i = 0; i < src.width(); ++i) {
        const int x = at.x() + i, y = at.y() + j;
        if (x < 0 || y < 0 || x >= 300 || y >= 400) continue;
        t.setPixel(x, y, t.pixel(x, y) | title.pixel(src.x() + i, src.y() + j));
      }
  };
  orCopy(QRect(0, 0, 190, 195), QPoint(60, 60));
  for (int j = 0; j < 100; ++j)
    for (int i = 0; i < 198; ++i) {
      const int x = 20 + i, y = 60 + j;
      if (x >= 300) continue;
      QRgb d = t.pixel(x, y) & 0xffffff;
      d = (title.pixel(190 + i, 100 + j) & 0xffffff) & ~d;
      d ^= title.pixel(190 + i, j) & 0xffffff;
      t.setPixel(x, y, 0xff000000u | d);
    }
  orCopy(QRect(0, 195, 80, 66), QPoint(200, 200));
  orCopy(QRect(80, 219, 118, 42), QPoint(91, 260));
  for (int j = 0; j < 65; ++j)
    for (int i = 0; i < 65; ++i) t.setPixel(110 + i, 320 + j, logo.pixel(i, j));
  drawMasked(t, sheet, mask, QRect(64, 176, 58, 20), QPoint(0, 0));
  drawMasked(t, sheet, mask, QRect(64, 196, 64, 20), QPoint(0, 20));
  drawMasked(t, sheet, mask, QRect(64, 216, 38, 16), QPoint(0, 50));
  drawMasked(t, sheet, mask, QRect(80, 13, 36, 15), QPoint(0, 70));
  for (int i = 0; i < 2; ++i)
    for (int row = 0; row < 2; ++row)
      drawMasked(t, sheet, mask, QRect(65, 65, 13, 20), QPoint(137 - 13 * i, 20 * row));
  save(enlarge(t, 3), dir, QStringLiteral("title-screen.png"), "PNG");

  // The status corner in Japanese and in English side by side, with numbers as long as the
  // labels must leave room for: six-digit scores and two-digit combos.
  namespace cell = pelaryn::Cell;
  const auto rect = [](const pelaryn::CellRect& c) { return QRect(c.X, c.Y, c.W, c.H); };
  QImage status(2 * 150 + 4, 90, QImage::Format_RGB32);
  for (int y = 0; y < status.height(); ++y)
    for (int x = 0; x < status.width(); ++x)
      status.setPixel(x, y, back.pixel(x % back.width(), y % back.height()));
  for (int english = 0; english < 2; ++english) {
    const int ox = english * 154;
    const QImage& from = english ? labels : sheet;
    const QImage& fromMask = english ? labelMask : mask;
    drawMasked(status, from, fromMask, rect(english ? cell::English::ScoreLabel : cell::ScoreLabel),
               QPoint(ox, 0));
    drawMasked(status, from, fromMask,
               rect(english ? cell::English::HighScoreLabel : cell::HighScoreLabel),
               QPoint(ox, 20));
    drawMasked(status, from, fromMask, rect(english ? cell::English::ComboLabel : cell::ComboLabel),
               QPoint(ox, 50));
    drawMasked(status, sheet, mask, rect(cell::MaxLabel), QPoint(ox, 70));
    auto number = [&](int value, int places, int x0, int y) {
      for (int i = 0; i < places; ++i, value /= 10)
        drawMasked(status, sheet, mask, rect(cell::Digit(value % 10)), QPoint(ox + x0 - 13 * i, y));
    };
    number(123456, 7, 137, 0);
    number(987654, 7, 137, 20);
    number(12, 3, 65, 46);
    number(34, 3, 65, 66);
  }
  save(enlarge(status, 4), dir, QStringLiteral("status-labels.png"), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: pelaryn-art OUTDIR [PREVIEWDIR]\n");
    return 2;
  }
  art::requireFonts();
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);

  const QImage sheet = art::paintSheet();
  const QImage mask = art::maskFromSheet(sheet);
  require(colourCount(sheet) <= 256, "the sprite sheet fits a 256-colour palette");
  save(opaqueRgb(sheet), out, QStringLiteral("chr.png"), "PNG");
  save(mask.convertToFormat(QImage::Format_Mono), out, QStringLiteral("mask.png"), "PNG");
  const QImage labels = art::paintEnglishLabels();
  const QImage labelMask = art::maskFromSheet(labels);
  save(opaqueRgb(labels), out, QStringLiteral("labels-en.png"), "PNG");
  save(labelMask.convertToFormat(QImage::Format_Mono), out, QStringLiteral("labels-en-mask.png"),
       "PNG");

  const QImage title = art::paintTitle();
  require(colourCount(title) <= 256, "the title sheet fits a 256-colour palette");
  save(opaqueRgb(title), out, QStringLiteral("title.png"), "PNG");
  save(opaqueRgb(art::paintLogo()), out, QStringLiteral("logo.png"), "PNG");
  const QImage rank = art::paintRankLogo();
  require(colourCount(rank) <= 16, "the ranking heading fits a 16-colour palette");
  save(opaqueRgb(rank), out, QStringLiteral("ranklogo.png"), "PNG");
  const QImage rankEnglish = art::paintRankLogoEnglish();
  require(colourCount(rankEnglish) <= 16, "the English ranking heading fits a 16-colour palette");
  save(opaqueRgb(rankEnglish), out, QStringLiteral("ranklogo-en.png"), "PNG");
  save(opaqueRgb(art::paintAbout()), out, QStringLiteral("about.png"), "PNG");
  for (int size : {16, 32, 48, 64, 128, 192, 256, 512})
    save(art::paintIcon(size), out, QStringLiteral("icon-%1.png").arg(size), "PNG");

  const QImage back = art::paintBackground();
  // Qt writes an uncompressed 24-bit BMP with a BITMAPINFOHEADER for this format.
  save(back.convertToFormat(QImage::Format_RGB888), out, QStringLiteral("back.bmp"), "BMP");

  if (argc > 2) {
    const QString pv = QString::fromLocal8Bit(argv[2]);
    previews(pv, sheet, mask, labels, labelMask, back);
    save(enlarge(sheet, 4), pv, QStringLiteral("chr4.png"), "PNG");
    save(enlarge(mask, 4), pv, QStringLiteral("mask4.png"), "PNG");
    save(enlarge(title, 3), pv, QStringLiteral("title3.png"), "PNG");
    save(enlarge(art::paintLogo(), 4), pv, QStringLiteral("logo4.png"), "PNG");
    save(enlarge(rank, 4), pv, QStringLiteral("rank4.png"), "PNG");
    save(enlarge(rankEnglish, 4), pv, QStringLiteral("rank-en4.png"), "PNG");
    save(enlarge(art::paintAbout(), 6), pv, QStringLiteral("about6.png"), "PNG");
  }
  return 0;
}
