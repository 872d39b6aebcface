#include "render/Title.h"

#include <gtest/gtest.h>

#include "../TestGame.h"
#include "render/Cells.h"

namespace pelaryn {
namespace {

// Every pixel of the synthetic title picture names its own coordinates, so a stretched copy shows
// which source pixel landed where. The logo's right part (x ≥ 290) is white over a white mask;
// the rest of the logo is opaque over a black mask.
uint32_t Source(int x, int y) {
  return Rgb(static_cast<uint32_t>(x) & 0xFF, static_cast<uint32_t>(y), 0x40 | (x >> 8));
}

Surface SyntheticTitle() {
  Surface title(388, 261);
  for (int y = 0; y < 261; ++y) {
    for (int x = 0; x < 388; ++x) {
      const bool logoArea = x >= 190 && y < 200;
      const bool transparent = x >= 290;
      uint32_t colour = Source(x, y);
      if (logoArea && y >= 100) colour = transparent ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
      if (logoArea && y < 100 && transparent) colour = Rgb(255, 255, 255);
      title.SetPixel(x, y, colour);
    }
  }
  return title;
}

constexpr uint32_t LeftFace = Rgb(10, 200, 10);
constexpr uint32_t RightFace = Rgb(200, 10, 10);

Surface SyntheticLogo() {
  Surface logo(130, 65, LeftFace);
  for (int y = 0; y < 65; ++y) {
    for (int x = 65; x < 130; ++x) logo.SetPixel(x, y, RightFace);
  }
  return logo;
}

struct TitleScene_ : testing::Scene {
  Surface title = SyntheticTitle();
  Surface logo = SyntheticLogo();
  TitlePictures pictures{title, logo};
  TitleScene scene = InitialTitleScene();

  void Frames(int n) {
    for (int i = 0; i < n; ++i) DrawAnimatedTitleFrame(g, pictures, scene);
  }
};

TEST(Title, PiecesAreClippedRightAndBelowAndKeepTheirMaskBelowTheImage) {
  testing::Scene t;
  const Surface title = SyntheticTitle();
  Entity emblem = InitialTitleScene().Emblem;  // (−160, 275), 80 × 66 from (0, 195)
  DrawTitlePiece(t.field, title, emblem, 10.0f, 10.0f, false);
  // 46 × 12 source pixels stretched to 460 × 120: field x maps to source (x + 160) / 10.
  EXPECT_EQ(t.field.Pixel(0, 275), Source(16, 195));
  EXPECT_EQ(t.field.Pixel(299, 394), Source(45, 206));
  EXPECT_EQ(t.field.Pixel(0, 395), Rgb(0, 0, 0));  // 120 rows, not 125
  EXPECT_EQ(t.field.Pixel(0, 274), Rgb(0, 0, 0));

  // The logo low on the field: only 50 of its rows fit, but its mask is still read 100 rows
  // below the image, so the opaque part shows and the white part leaves the field as it was.
  const uint32_t grey = Rgb(90, 90, 90);
  t.field.Fill(grey);
  Entity logo = InitialTitleScene().Logo;
  logo.X = 0;
  logo.Y = 350;
  DrawTitlePiece(t.field, title, logo, 1.0f, 1.0f, true);
  EXPECT_EQ(t.field.Pixel(0, 350), Source(190, 0));
  EXPECT_EQ(t.field.Pixel(99, 399), Source(289, 49));
  EXPECT_EQ(t.field.Pixel(100, 399), grey);
  EXPECT_EQ(t.field.Pixel(0, 349), grey);

  // Scale zero draws nothing at all.
  t.field.Fill(grey);
  DrawTitlePiece(t.field, title, InitialTitleScene().Ship, 0.0f, 0.0f, false);
  EXPECT_EQ(t.field.Pixel(160, 150), grey);
}

TEST(Title, TheAnimationRunsItsWorkedFrames) {
  TitleScene_ t;
  t.Frames(1);
  // The coin is round(65 × sin(3.1415 / 45)) = 5 pixels wide at x 147, right face up; the ship
  // is still at scale zero.
  EXPECT_EQ(t.scene.Angle, 1);
  for (int x = 146; x <= 152; ++x) {
    EXPECT_EQ(t.field.Pixel(x, 350), x >= 147 && x <= 151 ? RightFace : Rgb(0, 0, 0)) << x;
  }
  EXPECT_EQ(t.field.Pixel(160, 150), Rgb(0, 0, 0));

  t.Frames(33);  // frame 34: the last zoom step, and the logo's first move
  EXPECT_FLOAT_EQ(t.scene.ShipScale, 1.0199995f);
  EXPECT_EQ(t.scene.Ship.X, 58);
  EXPECT_EQ(t.scene.Ship.Y, 48);
  EXPECT_EQ(t.scene.Logo.X, -285);
  EXPECT_FLOAT_EQ(t.scene.EmblemScale, 10.0f);

  t.Frames(20);  // frame 54: the logo arrives and the emblem starts in the same frame
  EXPECT_EQ(t.scene.Logo.X, 15);
  EXPECT_FLOAT_EQ(t.scene.EmblemScale, 9.8f);

  t.Frames(44);  // frame 98: the emblem's last zoom step, and the first bounce
  EXPECT_NEAR(t.scene.EmblemScale, 1.000005f, 1e-7);
  EXPECT_EQ(t.scene.Emblem.X, 200);
  EXPECT_EQ(t.scene.Emblem.Y, 185);
  EXPECT_EQ(t.scene.Bounce, -7);

  t.Frames(7);  // frame 105: the bounce is over and the rest begins
  EXPECT_EQ(t.scene.Bounce, 1);
  EXPECT_EQ(t.scene.Emblem.X, 200);
  EXPECT_EQ(t.scene.Emblem.Y, 185);

  t.Frames(499);  // frame 604
  const Surface rest = t.field;
  t.Frames(1);  // frame 605 still shows the whole composition, then starts again
  for (int y = 0; y < 320; ++y) {
    for (int x = 0; x < 300; ++x) ASSERT_EQ(t.field.Pixel(x, y), rest.Pixel(x, y)) << x << "," << y;
  }
  EXPECT_EQ(t.scene.Bounce, 0);
  EXPECT_FLOAT_EQ(t.scene.ShipScale, 0.0f);
  EXPECT_FLOAT_EQ(t.scene.EmblemScale, 10.0f);
  EXPECT_EQ(t.scene.Ship.X, 160);
  EXPECT_EQ(t.scene.Logo.X, -300);
  EXPECT_EQ(t.scene.Emblem.X, -160);
  EXPECT_EQ(t.scene.Emblem.Y, 275);
  t.Frames(1);
  EXPECT_EQ(t.field.Pixel(120, 150), Rgb(0, 0, 0));  // the ship is small again
}

TEST(Title, TheStillTitleDrawsOverWhatTheFieldShowsAndTheStatusShowsTheHighScore) {
  TitleScene_ t;
  const uint32_t red = Rgb(255, 0, 0);
  t.field.Fill(red);
  t.s.Score = 0;
  t.s.HiScore = 1234;
  DrawStillTitleFrame(t.g, t.pictures, t.scene);
  EXPECT_EQ(t.field.Pixel(299, 399), red);       // nothing was cleared
  EXPECT_EQ(t.field.Pixel(110, 320), LeftFace);  // the coin's left face, unscaled
  EXPECT_EQ(t.field.Pixel(174, 384), LeftFace);
  EXPECT_EQ(t.field.Pixel(60 + 100, 60 + 100), Source(100, 100) | red);  // the ship, ORed
  EXPECT_EQ(t.scene.Logo.X, 20);

  // 1234 takes five digits at y 20, the first a zero at x 85; the score 0 shows as 00.
  Surface before(300, 400);
  const CellRect zero = Cell::Digit(0);
  t.field.Fill(Rgb(0, 0, 0));
  DrawTitleStatus(t.g);
  for (const auto& [x, y] : {std::pair{85, 20}, {137, 0}, {124, 0}}) {
    EXPECT_TRUE(
        testing::ShowsCell(t.field, before, t.Sheet(), x, y, zero.W, zero.H, zero.X, zero.Y))
        << x << "," << y;
  }
  EXPECT_TRUE(testing::ShowsCell(t.field, before, t.Sheet(), 98, 20, zero.W, zero.H,
                                 Cell::Digit(1).X, Cell::Digit(1).Y));
}

}  // namespace
}  // namespace pelaryn
