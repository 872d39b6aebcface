#include "render/Title.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "base/Arith.h"
#include "base/Field.h"
#include "render/StatusDisplay.h"

namespace pelaryn {
namespace {

constexpr int CoinFace = 65;  // each face of picLogo is 65 × 65
constexpr float EmblemRestScale = 1.1f;

Entity Piece(int x, int y, int w, int h, int sx, int sy) {
  Entity piece;
  piece.X = static_cast<int16_t>(x);
  piece.Y = static_cast<int16_t>(y);
  piece.W = static_cast<int16_t>(w);
  piece.H = static_cast<int16_t>(h);
  piece.SrcX = static_cast<int16_t>(sx);
  piece.SrcY = static_cast<int16_t>(sy);
  return piece;
}

// Single-precision rounding to the nearest integer, ties to even; a result beyond int (a scale
// of zero divides to infinity) saturates rather than being undefined.
int RoundSingle(float value) {
  return static_cast<int>(std::clamp<int64_t>(RoundF(value), std::numeric_limits<int>::min(),
                                              std::numeric_limits<int>::max()));
}

void Move(Entity& piece, int dx, int dy) {
  piece.X = Sat16(piece.X + dx);
  piece.Y = Sat16(piece.Y + dy);
}

void ResetAnimation(TitleScene& scene) {
  const TitleScene initial = InitialTitleScene();
  scene.Ship = initial.Ship;
  scene.ShipScale = initial.ShipScale;
  scene.Logo = initial.Logo;
  scene.Emblem = initial.Emblem;
  scene.EmblemScale = initial.EmblemScale;
}

// The coin: a face of picLogo squeezed to |sin| of its width about the field's centre, the
// right-hand face while the sine is positive.
void DrawCoin(GameContext& g, const Surface& picLogo, int16_t angle) {
  const double s = std::sin(angle * 3.1415 / 45);
  const int sourceX = CoinFace - std::abs(static_cast<int>(std::floor(s))) * CoinFace;
  const int x = static_cast<int>(Round(CoinFace - std::abs(s) * CoinFace) / 2 + 117);
  const int width = static_cast<int>(Round(std::abs(s) * CoinFace));
  StretchBlt(g.PicMain, x, 320, width, CoinFace, picLogo, sourceX, 0, CoinFace, CoinFace,
             RasterOp::Copy);
}

// The emblem's trail: `copies` pieces stepping up and right from below-left of where it stands,
// each smaller than the last, ending where it began.
void DrawEmblemTrail(Surface& field, const Surface& picTitle, TitleScene& scene, int last) {
  Move(scene.Emblem, -5 * (last + 1), 4 * (last + 1));
  for (int k = 0; k <= last; ++k) {
    Move(scene.Emblem, 5, -4);
    const float scale = static_cast<float>(scene.EmblemScale + (last - k) * 0.1);
    DrawTitlePiece(field, picTitle, scene.Emblem, scale, scale, false);
  }
}

}  // namespace

TitleScene InitialTitleScene() {
  TitleScene scene;
  scene.Ship = Piece(160, 150, 190, 195, 0, 0);
  scene.Logo = Piece(-300, 55, 198, 100, 190, 0);
  scene.Emblem = Piece(-160, 275, 80, 66, 0, 195);
  scene.Credit = Piece(91, 260, 118, 42, 80, 219);
  return scene;
}

void DrawTitlePiece(Surface& field, const Surface& picTitle, const Entity& piece, float scaleX,
                    float scaleY, bool masked) {
  int w = piece.W;
  int h = piece.H;
  const float x = piece.X;
  const float y = piece.Y;
  if (static_cast<float>(w) * scaleX + x > static_cast<float>(FieldWidth)) {
    w = RoundSingle((static_cast<float>(FieldWidth) - x) / scaleX);
  }
  if (static_cast<float>(h) * scaleY + y > static_cast<float>(FieldHeight)) {
    h = RoundSingle((static_cast<float>(FieldHeight) - y) / scaleY);
  }
  const int destW = RoundSingle(scaleX * static_cast<float>(w));
  const int destH = RoundSingle(scaleY * static_cast<float>(h));
  if (masked) {
    StretchBlt(field, piece.X, piece.Y, destW, destH, picTitle, piece.SrcX, piece.SrcY + piece.H, w,
               h, RasterOp::Erase);
    StretchBlt(field, piece.X, piece.Y, destW, destH, picTitle, piece.SrcX, piece.SrcY, w, h,
               RasterOp::Invert);
  } else {
    StretchBlt(field, piece.X, piece.Y, destW, destH, picTitle, piece.SrcX, piece.SrcY, w, h,
               RasterOp::Paint);
  }
}

void DrawAnimatedTitleFrame(GameContext& g, const TitlePictures& pictures, TitleScene& scene) {
  Surface& field = g.PicMain;
  const Surface& title = pictures.Title;
  if (++scene.Angle > 360) scene.Angle = 0;
  field.Fill(Rgb(0, 0, 0));
  DrawTitlePiece(field, title, scene.Credit, 1.0f, 1.0f, false);
  DrawCoin(g, pictures.Logo, scene.Angle);
  DrawTitlePiece(field, title, scene.Ship, scene.ShipScale, scene.ShipScale, false);
  if (scene.ShipScale < 1.0f) {
    scene.ShipScale = static_cast<float>(scene.ShipScale + 0.03);
    Move(scene.Ship, -(scene.Ship.W / 60), -(scene.Ship.H / 60));
  }
  // The logo follows in the same frame as the ship's last zoom step.
  if (scene.ShipScale >= 1.0f) {
    DrawTitlePiece(field, title, scene.Logo, 1.0f, 1.0f, true);
    if (scene.Logo.X < 15) scene.Logo.X = Sat16(scene.Logo.X + 15);
  }
  if (scene.Logo.X >= 10) {
    if (scene.EmblemScale > EmblemRestScale) {
      Move(scene.Emblem, -45, 36);
      for (int k = 0; k <= 8; ++k) {
        Move(scene.Emblem, 5, -4);
        const float scale = static_cast<float>(scene.EmblemScale + (8 - k) * 0.1);
        DrawTitlePiece(field, title, scene.Emblem, scale, scale, false);
      }
      scene.EmblemScale = static_cast<float>(scene.EmblemScale - 0.2);
      Move(scene.Emblem, 8, -2);
    }
    DrawTitlePiece(field, title, scene.Emblem, scene.EmblemScale, scene.EmblemScale, false);
    if (scene.EmblemScale <= EmblemRestScale && scene.Bounce == 0) scene.Bounce = -8;
    if (scene.EmblemScale <= EmblemRestScale && scene.Bounce < 0) {
      DrawEmblemTrail(field, title, scene, std::abs(scene.Bounce));
      ++scene.Bounce;
    }
  }
  if (scene.EmblemScale <= EmblemRestScale && scene.Bounce >= 0) {
    if (++scene.Bounce > 500) {
      scene.Bounce = 0;
      ResetAnimation(scene);
    }
  }
  DrawTitleStatus(g);
}

void DrawStillTitleFrame(GameContext& g, const TitlePictures& pictures, TitleScene& scene) {
  Surface& field = g.PicMain;
  scene.Ship.X = 60;
  scene.Ship.Y = 60;
  scene.Logo.X = 20;
  scene.Logo.Y = 60;
  scene.Emblem.X = 200;
  scene.Emblem.Y = 200;
  DrawTitlePiece(field, pictures.Title, scene.Ship, 1.0f, 1.0f, false);
  DrawTitlePiece(field, pictures.Title, scene.Logo, 1.0f, 1.0f, true);
  DrawTitlePiece(field, pictures.Title, scene.Emblem, 1.0f, 1.0f, false);
  DrawTitlePiece(field, pictures.Title, scene.Credit, 1.0f, 1.0f, false);
  BitBlt(field, 110, 320, CoinFace, CoinFace, pictures.Logo, 0, 0, RasterOp::Copy);
  DrawTitleStatus(g);
}

void DrawTitleStatus(GameContext& g) {
  const GameState& s = g.s;
  DrawStatusLabel(g, StatusLabel::Score, 0, 0);
  DrawStatusLabel(g, StatusLabel::HighScore, 0, 20);
  DrawNumber(g, s.Score, NumberPlaces(s.Score), 137, 13, 0);
  DrawNumber(g, s.HiScore, NumberPlaces(s.HiScore), 137, 13, 20);
  DrawStatusLabel(g, StatusLabel::Combo, 0, 50);
  DrawStatusLabel(g, StatusLabel::Max, 0, 70);
}

}  // namespace pelaryn
