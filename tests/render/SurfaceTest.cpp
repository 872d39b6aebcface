#include "render/Surface.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

namespace pelaryn {
namespace {

constexpr uint32_t A = Rgb(0xF0, 0x0F, 0x33);
constexpr uint32_t B = Rgb(0x3C, 0xAA, 0x0F);

uint32_t Blit1(uint32_t src, uint32_t dst, RasterOp op) {
  Surface s(1, 1, src), d(1, 1, dst);
  BitBlt(d, 0, 0, 1, 1, s, 0, 0, op);
  return d.Pixel(0, 0);
}

}  // namespace

TEST(Surface, RasterOperationsCombineSourceAndDestinationBitwise) {
  EXPECT_EQ(Blit1(A, B, RasterOp::Copy), A);
  EXPECT_EQ(Blit1(A, B, RasterOp::Erase), Rgb(0xC0, 0x05, 0x30));   // A AND NOT B
  EXPECT_EQ(Blit1(A, B, RasterOp::Invert), Rgb(0xCC, 0xA5, 0x3C));  // A XOR B
  EXPECT_EQ(Blit1(A, B, RasterOp::Paint), Rgb(0xFC, 0xAF, 0x3F));   // A OR B
  // Erase with a white source over white leaves black, and every result stays opaque.
  EXPECT_EQ(Blit1(Rgb(255, 255, 255), Rgb(255, 255, 255), RasterOp::Erase), Rgb(0, 0, 0));
}

TEST(Surface, CopiesAreClippedToBothSurfaces) {
  Surface src(4, 4, B);
  src.SetPixel(3, 3, A);
  Surface dst(5, 5, Rgb(0, 0, 0));
  BitBlt(dst, -2, -2, 4, 4, src, 0, 0, RasterOp::Copy);  // only the lower right quarter lands
  EXPECT_EQ(dst.Pixel(0, 0), B);
  EXPECT_EQ(dst.Pixel(1, 1), A);
  EXPECT_EQ(dst.Pixel(2, 2), Rgb(0, 0, 0));

  Surface dst2(5, 5, Rgb(0, 0, 0));
  BitBlt(dst2, 0, 0, 5, 5, src, 2, 2, RasterOp::Copy);  // source runs out after 2 x 2
  EXPECT_EQ(dst2.Pixel(1, 1), A);
  EXPECT_EQ(dst2.Pixel(2, 2), Rgb(0, 0, 0));
  BitBlt(dst2, 0, 0, 3, 3, src, 4, 0, RasterOp::Copy);  // a cell beside the source: nothing
  BitBlt(dst2, 0, 0, 0, 3, src, 0, 0, RasterOp::Copy);
  BitBlt(dst2, 0, 0, 3, -1, src, 0, 0, RasterOp::Copy);
  BitBlt(dst2, 5, 0, 3, 3, src, 0, 0, RasterOp::Copy);
  EXPECT_EQ(dst2.Pixel(0, 0), B);
  EXPECT_EQ(dst2.Pixel(2, 2), Rgb(0, 0, 0));
}

TEST(Surface, StretchingPicksSourcePixelsByTheFloorRule) {
  Surface src(3, 1);
  src.SetPixel(0, 0, Rgb(1, 0, 0));
  src.SetPixel(1, 0, Rgb(2, 0, 0));
  src.SetPixel(2, 0, Rgb(3, 0, 0));
  Surface dst(7, 2, Rgb(9, 9, 9));
  // 3 -> 7 wide: i * 3 / 7 = 0 0 0 1 1 2 2; 1 -> 2 high: both rows from row 0.
  StretchBlt(dst, 0, 0, 7, 2, src, 0, 0, 3, 1, RasterOp::Copy);
  const int expected[] = {1, 1, 1, 2, 2, 3, 3};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(dst.Pixel(i, 0), Rgb(expected[i], 0, 0)) << i;
    EXPECT_EQ(dst.Pixel(i, 1), Rgb(expected[i], 0, 0)) << i;
  }
  // Shrinking 3 -> 2: i * 3 / 2 = 0, 1.
  Surface small(2, 1);
  StretchBlt(small, 0, 0, 2, 1, src, 0, 0, 3, 1, RasterOp::Copy);
  EXPECT_EQ(small.Pixel(1, 0), Rgb(2, 0, 0));
  // Source pixels beyond the source are skipped, destination keeps its colour there.
  // 2 -> 4 from x = 2: source columns 2 2 3 3, and column 3 lies beyond the source.
  Surface partly(4, 1, Rgb(9, 9, 9));
  StretchBlt(partly, 0, 0, 4, 1, src, 2, 0, 2, 1, RasterOp::Paint);
  EXPECT_EQ(partly.Pixel(1, 0), Rgb(11, 9, 9));
  EXPECT_EQ(partly.Pixel(2, 0), Rgb(9, 9, 9));
  StretchBlt(partly, 0, 0, 4, 1, src, 0, 0, 0, 1, RasterOp::Copy);  // zero source: nothing
  EXPECT_EQ(partly.Pixel(0, 0), Rgb(11, 9, 9));
}

}  // namespace pelaryn

namespace pelaryn {

namespace {

// A linear congruential sequence: the same noise on every run.
struct Noise {
  uint32_t seed;
  uint32_t operator()() { return seed = seed * 1664525u + 1013904223u; }
  void Fill(std::initializer_list<Surface*> surfaces) {
    for (Surface* s : surfaces) {
      for (int y = 0; y < s->Height(); ++y) {
        for (int x = 0; x < s->Width(); ++x) s->SetPixel(x, y, (*this)());
      }
    }
  }
};

}  // namespace

TEST(Surface, TheOnePassMaskedCopyIsTheEraseThenTheInvert) {
  Surface mask(20, 12), image(20, 12), base(30, 30);
  Noise{12345}.Fill({&mask, &image, &base});
  // Inside, clipped on every side of the target, and reading past the source's edges.
  for (const auto& [x, y, sx, sy] :
       {std::array{3, 4, 0, 0}, {-5, -3, 2, 1}, {25, 22, 0, 0}, {1, 1, 10, 6}, {2, 2, -4, -3}}) {
    Surface twoPasses = base;
    BitBlt(twoPasses, x, y, 16, 10, mask, sx, sy, RasterOp::Erase);
    BitBlt(twoPasses, x, y, 16, 10, image, sx, sy, RasterOp::Invert);
    Surface onePass = base;
    MaskedBlt(onePass, x, y, 16, 10, mask, image, sx, sy);
    for (int j = 0; j < base.Height(); ++j) {
      for (int i = 0; i < base.Width(); ++i) {
        ASSERT_EQ(onePass.Pixel(i, j), twoPasses.Pixel(i, j))
            << x << "," << y << " at " << i << "," << j;
      }
    }
  }
}

// Stretching follows its rule exactly at every size, shrinking or enlarging, clipped on any side
// or reading past the source; the masked stretch is the stretched erase and then invert.
TEST(Surface, StretchingFollowsItsRuleAndTheMaskedStretchIsTheEraseThenTheInvert) {
  Surface mask(23, 17), image(23, 17), base(40, 36);
  Noise next{777};
  next.Fill({&mask, &image, &base});
  for (int round = 0; round < 400; ++round) {
    const int x = static_cast<int>(next() % 60) - 15, y = static_cast<int>(next() % 56) - 15;
    const int w = 1 + static_cast<int>(next() % 50), h = 1 + static_cast<int>(next() % 50);
    const int sx = static_cast<int>(next() % 30) - 5, sy = static_cast<int>(next() % 24) - 5;
    const int sw = 1 + static_cast<int>(next() % 30), sh = 1 + static_cast<int>(next() % 30);
    SCOPED_TRACE(::testing::Message() << x << "," << y << " " << w << "x" << h << " from " << sx
                                      << "," << sy << " " << sw << "x" << sh);
    Surface stretched = base;
    StretchBlt(stretched, x, y, w, h, image, sx, sy, sw, sh, RasterOp::Copy);
    Surface twoPasses = base;
    StretchBlt(twoPasses, x, y, w, h, mask, sx, sy, sw, sh, RasterOp::Erase);
    StretchBlt(twoPasses, x, y, w, h, image, sx, sy, sw, sh, RasterOp::Invert);
    Surface onePass = base;
    MaskedStretchBlt(onePass, x, y, w, h, mask, image, sx, sy, sw, sh);
    for (int j = 0; j < base.Height(); ++j) {
      for (int i = 0; i < base.Width(); ++i) {
        uint32_t expected = base.Pixel(i, j);
        const int64_t srcX = sx + int64_t{i - x} * sw / w, srcY = sy + int64_t{j - y} * sh / h;
        if (i >= x && i < x + w && j >= y && j < y + h && srcX >= 0 && srcX < image.Width() &&
            srcY >= 0 && srcY < image.Height()) {
          expected = image.Pixel(static_cast<int>(srcX), static_cast<int>(srcY));
        }
        ASSERT_EQ(stretched.Pixel(i, j), expected) << i << "," << j;
        ASSERT_EQ(onePass.Pixel(i, j), twoPasses.Pixel(i, j)) << i << "," << j;
      }
    }
  }
}

}  // namespace pelaryn
