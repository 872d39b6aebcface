// How the desktop lays the game's picture into its window: the plan, and what it draws.

#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/desktop/SharpScale.h"

namespace pelaryn {
namespace {

const QSize kPicture(300, 400);

TEST(PlanScale, KeepsTheShapeCentredAndEnlargesByWholeNumbersFirst) {
  struct Case {
    QSize area;
    QRect target;
    int factor;
    bool smooth;
  };
  const Case cases[] = {
      {{300, 400}, {0, 0, 300, 400}, 1, false},
      {{600, 900}, {0, 50, 600, 800}, 2, false},
      {{950, 1200}, {25, 0, 900, 1200}, 3, false},
      // 437 / 300 = 1.457: the height is rounded, 582.67 to 583.
      {{437, 700}, {0, 58, 437, 583}, 1, true},
      // A full screen of 1280 x 782 below the menu bar: 586.5 rounds up.
      {{1280, 782}, {346, 0, 587, 782}, 1, true},
      {{1000, 1000}, {125, 0, 750, 1000}, 2, true},
      {{1920, 1080}, {555, 0, 810, 1080}, 2, true},
      // Smaller than the picture: only smoothed.
      {{150, 300}, {0, 50, 150, 200}, 1, true},
  };
  for (const Case& c : cases) {
    const ScalePlan plan = PlanScale(c.area, kPicture);
    EXPECT_EQ(plan.Target, c.target) << c.area.width() << "x" << c.area.height();
    EXPECT_EQ(plan.Factor, c.factor) << c.area.width() << "x" << c.area.height();
    EXPECT_EQ(plan.Smooth, c.smooth) << c.area.width() << "x" << c.area.height();
  }
  EXPECT_TRUE(PlanScale({0, 400}, kPicture).Target.isEmpty());
  EXPECT_TRUE(PlanScale({300, -4}, kPicture).Target.isEmpty());
  EXPECT_TRUE(PlanScale({300, 400}, {0, 0}).Target.isEmpty());
  // Sizes whose products overflow 32 bits.
  const ScalePlan huge = PlanScale({1 << 30, 1 << 30}, kPicture);
  EXPECT_EQ(huge.Target.width(), 805306368);
  EXPECT_EQ(huge.Target.height(), 1 << 30);
  EXPECT_EQ(huge.Factor, 2684354);
}

TEST(PlanScale, EveryAreaIsFilledAlongOneSideWithTheShapeKept) {
  for (int w = 1; w < 2000; w += 13) {
    for (int h = 1; h < 2000; h += 17) {
      const ScalePlan plan = PlanScale({w, h}, kPicture);
      const QRect& t = plan.Target;
      SCOPED_TRACE(testing::Message() << w << "x" << h);
      ASSERT_TRUE(QRect(0, 0, w, h).contains(t));
      EXPECT_TRUE(t.width() == w || t.height() == h);
      EXPECT_LE(std::abs((w - t.width()) - 2 * t.x()), 1);
      EXPECT_LE(std::abs((h - t.height()) - 2 * t.y()), 1);
      // Within half a pixel of the picture's own shape, on the side that was rounded.
      EXPECT_LE(std::abs(t.width() * 400.0 - t.height() * 300.0), 200.0);
      const double fit = std::min(w / 300.0, h / 400.0);
      EXPECT_EQ(plan.Factor, std::max(1, static_cast<int>(std::floor(fit))));
      EXPECT_EQ(plan.Smooth, t.size() != kPicture * plan.Factor);
    }
  }
}

// A picture whose every pixel differs from its neighbours, so that a pixel taken from the wrong
// place shows; its top bytes are zero, as in the game's own surfaces.
QImage Varied() {
  QImage picture(kPicture, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < picture.width(); ++x) {
      row[x] = qRgb(x & 0xff, y & 0xff, (x * 7 + y * 3) & 0xff) & 0xffffffu;
    }
  }
  return picture;
}

// The screen starts out red; the scaler fills what the picture leaves free with black.
QImage Draw(SharpScaler& scaler, const QImage& picture, QSize area) {
  QImage screen(area, QImage::Format_RGB32);
  screen.fill(Qt::red);
  QPainter painter(&screen);
  scaler.Draw(painter, picture, QRect(QPoint(0, 0), area), Qt::black);
  return screen;
}

QImage Draw(const QImage& picture, QSize area) {
  SharpScaler scaler;
  return Draw(scaler, picture, area);
}

TEST(SharpScaler, WholeNumberFactorsArePlainNearestNeighbourWithBlackAround) {
  const QImage picture = Varied();
  SharpScaler scaler;
  for (const int factor : {1, 2, 3}) {
    // Pillarboxed and letterboxed, one after the other through the same scaler.
    for (const QPoint origin : {QPoint(10, 0), QPoint(0, 5)}) {
      const QSize area(300 * factor + 2 * origin.x(), 400 * factor + 2 * origin.y());
      const QImage screen = Draw(scaler, picture, area);
      int wrong = 0;
      for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
          const QPoint at = QPoint(x, y) - origin;
          const bool inside =
              at.x() >= 0 && at.y() >= 0 && at.x() < 300 * factor && at.y() < 400 * factor;
          const QRgb expected = inside
                                    ? picture.pixel(at.x() / factor, at.y() / factor) | 0xff000000u
                                    : qRgb(0, 0, 0);
          if (screen.pixel(x, y) != expected) ++wrong;
        }
      }
      EXPECT_EQ(wrong, 0) << factor << "x at " << origin.x() << "," << origin.y();
    }
  }
  // A display of one and a half device pixels to the point: the plan is made in device
  // pixels, where 400 x 534 points are an exact 2x.
  QImage screen(600, 801, QImage::Format_RGB32);
  screen.fill(Qt::red);
  screen.setDevicePixelRatio(1.5);
  {
    QPainter painter(&screen);
    scaler.Draw(painter, picture, QRect(0, 0, 400, 534), Qt::black);
  }
  screen.setDevicePixelRatio(1);
  EXPECT_EQ(screen, Draw(picture, {600, 801}));
}

// Brightness 0…1 along one screen row (or column) through the middle of the picture.
std::vector<double> Line(const QImage& screen, const QRect& target, bool across) {
  std::vector<double> line;
  const int length = across ? screen.width() : screen.height();
  for (int i = 0; i < length; ++i) {
    const QPoint at = across ? QPoint(i, target.center().y()) : QPoint(target.center().x(), i);
    line.push_back(qGray(screen.pixel(at)) / 255.0);
  }
  return line;
}

// Every fourth column (across) or row lit, starting at `phase`: lit pixels far enough apart that
// the screen pixels each one darkens or lightens belong to it alone.
QImage Sparse(bool across, int phase) {
  QImage picture(kPicture, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const bool lit = (across ? x : y) % 4 == phase;
      picture.setPixel(x, y, lit ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
  }
  return picture;
}

const QSize kUneven[] = {{437, 600}, {800, 582}, {736, 1000}, {1280, 782}};

TEST(SharpScaler, NothingUnderThePictureOrItsMarginsShowsThrough) {
  QImage grey(kPicture, QImage::Format_RGB32);
  grey.fill(qRgb(128, 128, 128));
  SharpScaler scaler;
  for (const QSize area : {QSize(300, 400), QSize(320, 400), QSize(300, 430), QSize(601, 800),
                           kUneven[0], kUneven[1], kUneven[2], kUneven[3]}) {
    const QImage screen = Draw(scaler, grey, area);
    int red = 0;
    for (int y = 0; y < area.height(); ++y) {
      for (int x = 0; x < area.width(); ++x)
        red += qRed(screen.pixel(x, y)) != qGreen(screen.pixel(x, y));
    }
    EXPECT_EQ(red, 0) << area.width() << "x" << area.height();
  }
}

TEST(SharpScaler, AtOtherFactorsEveryGamePixelKeepsTheSameSizeWherever) {
  SharpScaler scaler;
  for (const QSize area : kUneven) {
    const ScalePlan plan = PlanScale(area, kPicture);
    ASSERT_TRUE(plan.Smooth);
    for (const bool across : {true, false}) {
      const int pixels = across ? 300 : 400;
      const double scale =
          (across ? plan.Target.width() : plan.Target.height()) / static_cast<double>(pixels);
      const int start = across ? plan.Target.x() : plan.Target.y();
      double least = 1e9, most = 0;
      int thinnest = 1 << 20, widest = 0;
      for (int phase = 0; phase < 4; ++phase) {
        const std::vector<double> line =
            Line(Draw(scaler, Sparse(across, phase), area), plan.Target, across);
        for (int c = phase + 4; c < pixels - 4; c += 4) {
          // From halfway to the dark neighbours on either side.
          const auto from = static_cast<std::size_t>(start + std::lround((c - 1.5) * scale));
          const auto to = static_cast<std::size_t>(start + std::lround((c + 2.5) * scale));
          double ink = 0;
          int footprint = 0;
          int full = 0;
          for (std::size_t i = from; i < to; ++i) {
            ink += line[i];
            if (line[i] >= 0.5) ++footprint;
            if (line[i] >= 0.98) ++full;
          }
          // Smoothing blends only the edges of a pixel the whole-number step has enlarged.
          EXPECT_GE(full, static_cast<int>(std::floor(scale)) - 1) << c;
          least = std::min(least, ink);
          most = std::max(most, ink);
          thinnest = std::min(thinnest, footprint);
          widest = std::max(widest, footprint);
        }
      }
      SCOPED_TRACE(testing::Message() << area.width() << "x" << area.height() << " scale " << scale
                                      << (across ? " across" : " down"));
      EXPECT_LE(widest - thinnest, 1);
      EXPECT_GE(thinnest, static_cast<int>(std::floor(scale)));
      // A game pixel's light, in screen pixels: near the scale everywhere. Nearest neighbour
      // alone would give some pixels a whole screen pixel more than others.
      EXPECT_LE(most - least, 0.4);
      EXPECT_NEAR((most + least) / 2, scale, 0.25);
    }
  }
}

QImage Checkerboard() {
  QImage picture(kPicture, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      picture.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
  }
  return picture;
}

TEST(SharpScaler, ACheckerboardShowsNoBandsAtOtherFactors) {
  const QImage board = Checkerboard();
  for (const QSize area : kUneven) {
    const ScalePlan plan = PlanScale(area, kPicture);
    const QImage screen = Draw(board, area);
    const double scale = plan.Target.width() / 300.0;
    // The mean brightness over every stretch of two game pixels, on screen: a doubled column
    // makes a light or dark band of a third either way; sharp scaling keeps every stretch grey.
    double least = 1, most = 0;
    for (const int y : {plan.Target.top() + 40, plan.Target.center().y()}) {
      const QRect rowOnly(plan.Target.x(), y, plan.Target.width(), 1);
      const std::vector<double> line = Line(screen, rowOnly, true);
      for (int c = 1; c < 297; ++c) {
        const auto from = static_cast<std::size_t>(plan.Target.x() + std::lround(c * scale));
        const auto to = static_cast<std::size_t>(plan.Target.x() + std::lround((c + 2) * scale));
        double sum = 0;
        for (std::size_t i = from; i < to; ++i) sum += line[i];
        const double mean = sum / static_cast<double>(to - from);
        least = std::min(least, mean);
        most = std::max(most, mean);
      }
    }
    EXPECT_GT(least, 0.4) << area.width() << "x" << area.height();
    EXPECT_LT(most, 0.6) << area.width() << "x" << area.height();
  }
}

TEST(SharpScaler, AKeptEnlargementNeverShowsAnEarlierPicture) {
  QImage other = Varied();
  other.invertPixels();
  SharpScaler scaler;
  for (const QSize area : {QSize(600, 800), QSize(736, 1000)}) {
    Draw(scaler, Varied(), area);
    EXPECT_EQ(Draw(scaler, other, area), Draw(other, area));
  }
}

}  // namespace
}  // namespace pelaryn
