#include "player/Shots.h"

#include "base/Arith.h"
#include "render/Cells.h"

namespace pelaryn {
namespace {

int FreeSlot(const GameState& s) {
  for (int i = 0; i < PlayerShotCount; ++i) {
    if (s.PlayerShots[i].Active() == 0) return i;
  }
  return -1;
}

}  // namespace

void FireStraight(GameContext& g) {
  const int i = FreeSlot(g.s);
  if (i < 0) return;
  Entity& shot = g.s.PlayerShots[i];
  const Entity& p = g.s.Player;
  shot.DX = 0;
  shot.DY = 16;
  shot.Active() = 1;
  shot.X = Sat16(Round(p.W * 0.5 + p.X - 3));
  shot.Y = p.Y;
}

void FireSpread(GameContext& g) {
  const int i = FreeSlot(g.s);
  if (i < 0) return;
  Entity& shot = g.s.PlayerShots[i];
  const Entity& p = g.s.Player;
  shot.DX = static_cast<int16_t>(6 - 4 * (i % 4));
  shot.DY = 12;
  shot.Active() = 1;
  shot.X = Sat16(Round(p.W * 0.5 + p.X));
  shot.Y = p.Y;
}

void MoveShots(GameContext& g) {
  for (Entity& shot : g.s.PlayerShots) {
    if (shot.Active() != 1) continue;
    shot.X = Sat16(shot.X + shot.DX);
    shot.Y = Sat16(shot.Y - shot.DY);
    if (shot.X > g.PicMain.Width() || shot.Y < -shot.H || shot.X < -shot.W) shot.Active() = 0;
    g.Sprite(shot.X, shot.Y, shot.W, shot.H, Cell::PlayerShot.X, Cell::PlayerShot.Y);
  }
}

}  // namespace pelaryn
