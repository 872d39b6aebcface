#include "render/Background.h"

#include <gtest/gtest.h>

#include "render/GameContext.h"

namespace pelaryn {
namespace {

// A tile whose every pixel tells where it came from.
Surface NumberedTile(int w, int h) {
  Surface tile(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) tile.SetPixel(x, y, static_cast<uint32_t>(y * 1000 + x));
  return tile;
}

uint32_t TilePixel(int x, int y) {
  return (static_cast<uint32_t>(y * 1000 + x)) | OpaqueBits;
}

}  // namespace

TEST(Background, AFieldSizedTileWithZeroOffsetsIsOneCopy) {
  GameState s;
  const Surface tile = NumberedTile(300, 400);
  Surface field(300, 400);
  ScrollBackground(s, tile, field);
  EXPECT_EQ(s.BackSplitX, 300);
  EXPECT_EQ(s.BackSplitY, 400);
  EXPECT_EQ(field.Pixel(0, 0), TilePixel(0, 0));
  EXPECT_EQ(field.Pixel(299, 399), TilePixel(299, 399));
}

TEST(Background, ScrollsDownThreePixelsAFrameAndWrapsSeamlessly) {
  GameState s;
  s.BackSetting.ScrollTate = 3;
  const Surface tile = NumberedTile(320, 480);
  Surface field(300, 400);
  ScrollBackground(s, tile, field);  // offset 0 - 3 = -3, wrapped to 477
  EXPECT_EQ(s.BackSetting.OffsetY, 477);
  EXPECT_EQ(s.BackSplitY, 3);
  for (int y = 0; y < 400; y += 7) {
    // The picture moved down by 3: field row y shows tile row y - 3, wrapping at the top.
    EXPECT_EQ(field.Pixel(10, y), TilePixel(10, (y - 3 + 480) % 480)) << y;
  }
  for (int frame = 0; frame < 200; ++frame) ScrollBackground(s, tile, field);
  const int offset = s.BackSetting.OffsetY;
  EXPECT_EQ(offset, ((-3 * 201) % 480 + 480) % 480);
  for (int y = 0; y < 400; y += 13) {
    EXPECT_EQ(field.Pixel(299, y), TilePixel(299, (offset + y) % 480)) << y;
  }
}

TEST(Background, OffsetsWrapBothWaysAndTheTileWidthItselfStaysForAFrame) {
  GameState s;
  const Surface tile = NumberedTile(320, 400);
  Surface field(300, 400);
  s.BackSetting.OffsetX = 310;
  s.BackSetting.ScrollYoko = -10;  // offset 320: exactly the width, not above it
  ScrollBackground(s, tile, field);
  EXPECT_EQ(s.BackSetting.OffsetX, 320);
  EXPECT_EQ(s.BackSplitX, 0);
  EXPECT_EQ(field.Pixel(0, 5), TilePixel(0, 5));  // the same picture as offset 0
  ScrollBackground(s, tile, field);               // 330 -> 10
  EXPECT_EQ(s.BackSetting.OffsetX, 10);
  EXPECT_EQ(field.Pixel(0, 5), TilePixel(10, 5));
  EXPECT_EQ(field.Pixel(299, 5), TilePixel(309, 5));
  s.BackSetting.ScrollYoko = 20;  // 10 - 20 = -10 -> 310
  ScrollBackground(s, tile, field);
  EXPECT_EQ(s.BackSetting.OffsetX, 310);
  EXPECT_EQ(field.Pixel(9, 0), TilePixel(319, 0));
  EXPECT_EQ(field.Pixel(10, 0), TilePixel(0, 0));
}

TEST(Background, SmallPicturesAreEnlargedWithBlackAndEmptyOnesBecomeBlackFields) {
  Surface small = NumberedTile(100, 50);
  EnlargeToField(small);
  EXPECT_EQ(small.Width(), 300);
  EXPECT_EQ(small.Height(), 400);
  EXPECT_EQ(small.Pixel(99, 49), TilePixel(99, 49));
  EXPECT_EQ(small.Pixel(100, 0), Rgb(0, 0, 0));
  EXPECT_EQ(small.Pixel(0, 50), Rgb(0, 0, 0));

  Surface wide = NumberedTile(500, 10);
  EnlargeToField(wide);
  EXPECT_EQ(wide.Width(), 500);
  EXPECT_EQ(wide.Height(), 400);

  Surface empty;
  EnlargeToField(empty);
  EXPECT_EQ(empty.Width(), 300);
  EXPECT_EQ(empty.Pixel(150, 200), Rgb(0, 0, 0));
}

}  // namespace pelaryn
