#include "render/Sprites.h"

#include <gtest/gtest.h>

#include "../TestGame.h"

namespace pelaryn {
namespace {

constexpr uint32_t White = Rgb(255, 255, 255);
constexpr uint32_t Back = Rgb(20, 40, 60);

// A hand-made 4 x 2 sheet: a cell whose left half is opaque red/green and right half clear,
// and a checkerboard cell like the flare's.
SpriteSheet SmallSheet() {
  SpriteSheet sheet{Surface(4, 2, White), Surface(4, 2, White)};
  sheet.Chr.SetPixel(0, 0, Rgb(200, 0, 0));
  sheet.Chr.SetPixel(0, 1, Rgb(0, 200, 0));
  sheet.Mask.SetPixel(0, 0, Rgb(0, 0, 0));
  sheet.Mask.SetPixel(0, 1, Rgb(0, 0, 0));
  sheet.Chr.SetPixel(1, 0, Rgb(255, 255, 255));  // opaque white stays white
  sheet.Mask.SetPixel(1, 0, Rgb(0, 0, 0));
  sheet.Chr.SetPixel(2, 0, Rgb(250, 250, 0));
  sheet.Mask.SetPixel(2, 0, Rgb(0, 0, 0));
  sheet.Chr.SetPixel(3, 1, Rgb(250, 250, 0));
  sheet.Mask.SetPixel(3, 1, Rgb(0, 0, 0));
  return sheet;
}

}  // namespace

TEST(Sprites, OpaquePixelsReplaceTheTargetAndClearOnesLeaveIt) {
  const SpriteSheet sheet = SmallSheet();
  Surface target(6, 4, Back);
  DrawSprite(target, sheet, 1, 1, 2, 2, 0, 0);
  EXPECT_EQ(target.Pixel(1, 1), Rgb(200, 0, 0));
  EXPECT_EQ(target.Pixel(1, 2), Rgb(0, 200, 0));
  EXPECT_EQ(target.Pixel(2, 1), White);
  EXPECT_EQ(target.Pixel(2, 2), Back);  // transparent: background shows through
  EXPECT_EQ(target.Pixel(0, 0), Back);

  // The checkerboard cell: every other pixel of the background survives.
  Surface checker(2, 2, Back);
  DrawSprite(checker, sheet, 0, 0, 2, 2, 2, 0);
  EXPECT_EQ(checker.Pixel(0, 0), Rgb(250, 250, 0));
  EXPECT_EQ(checker.Pixel(1, 0), Back);
  EXPECT_EQ(checker.Pixel(0, 1), Back);
  EXPECT_EQ(checker.Pixel(1, 1), Rgb(250, 250, 0));
}

TEST(Sprites, SpritesAreClippedAtTheFieldEdgesAndStretchedPixelPerfect) {
  const SpriteSheet sheet = SmallSheet();
  Surface target(3, 2, Back);
  DrawSprite(target, sheet, -1, 0, 2, 2, 0, 0);  // only the right column shows
  EXPECT_EQ(target.Pixel(0, 0), White);
  EXPECT_EQ(target.Pixel(0, 1), Back);
  Surface untouched(3, 2, Back);
  DrawSprite(untouched, sheet, 3, 0, 2, 2, 0, 0);
  DrawSprite(untouched, sheet, 0, 0, 0, 2, 0, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(untouched.Pixel(x, y), Back);

  Surface big(4, 4, Back);
  DrawSpriteStretched(big, sheet, 0, 0, 4, 4, 0, 0, 2, 2);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const uint32_t expected =
          x < 2 ? (y < 2 ? Rgb(200, 0, 0) : Rgb(0, 200, 0)) : (y < 2 ? White : Back);
      EXPECT_EQ(big.Pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST(Sprites, TheGameSheetDrawsTheShipOnlyWhereItsMaskIsBlack) {
  Pictures pictures;
  ASSERT_TRUE(LoadEmbeddedPictures(pictures));
  const SpriteSheet& sheet = pictures.Sheet;
  Surface target(16, 32, Back);
  DrawSprite(target, sheet, 0, 0, 16, 32, 0, 0);
  int opaque = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool clear = sheet.Mask.Pixel(x, y) == White;
      EXPECT_EQ(target.Pixel(x, y), clear ? Back : sheet.Chr.Pixel(x, y));
      opaque += clear ? 0 : 1;
    }
  }
  EXPECT_GT(opaque, 50);
}

// Each sheet and its mask loaded from the right files: a black-and-white mask, and the picture
// painted, never black or white, exactly where the mask is black.
TEST(Sprites, TheGameSheetsArePaintedExactlyWhereTheirMasksAreBlack) {
  Pictures pictures;
  ASSERT_TRUE(LoadEmbeddedPictures(pictures));
  for (const SpriteSheet* sheet : {&pictures.Sheet, &pictures.EnglishLabels}) {
    ASSERT_GT(sheet->Chr.Width(), 0);
    ASSERT_EQ(sheet->Mask.Width(), sheet->Chr.Width());
    ASSERT_EQ(sheet->Mask.Height(), sheet->Chr.Height());
    for (int y = 0; y < sheet->Chr.Height(); ++y) {
      for (int x = 0; x < sheet->Chr.Width(); ++x) {
        const uint32_t m = sheet->Mask.Pixel(x, y), c = sheet->Chr.Pixel(x, y);
        const bool painted = c != White && c != Rgb(0, 0, 0);
        ASSERT_TRUE(m == White ? c == White : m == Rgb(0, 0, 0) && painted) << x << "," << y;
      }
    }
  }
}

}  // namespace pelaryn
