#include "render/HitEffect.h"

#include "render/Cells.h"

namespace pelaryn {

void DrawHitEffect(GameContext& g, const Surface& picFlash) {
  GameState& s = g.s;
  if (s.HitFlash >= 0) return;
  if (s.HitFlash == -5 && g.GentleFlash) {
    Blend(g.PicMain, picFlash, 1, 4);
  } else if (s.HitFlash == -5) {
    BitBlt(g.PicMain, 0, 0, g.PicMain.Width(), g.PicMain.Height(), picFlash, 0, 0, RasterOp::Copy);
  } else {
    // −2 and −1 name a cell beyond the sheet's right edge, which draws nothing.
    const int t = (s.HitFlash + 1) / 2;
    const CellRect cell = Cell::Blast(2 + t);
    g.Sprite(s.Player.X - 8, s.Player.Y, cell.W, cell.H, cell.X, cell.Y);
  }
  ++s.HitFlash;
}

}  // namespace pelaryn
