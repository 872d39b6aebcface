#include "enemies/Enemies.h"

#include "base/Arith.h"
#include "render/Cells.h"

namespace pelaryn {
namespace {

void Spawn(GameContext& g, Entity& e) {
  GameState& s = g.s;
  Random& r = g.random;
  const int width = g.PicMain.Width(), height = g.PicMain.Height();
  const int64_t appeared = Floor(r.Next() + (s.Level / 3 + 1) * 0.01);
  e.Life() = Sat16(appeared);
  s.EnemiesAppeared = Sat32(s.EnemiesAppeared + appeared);
  e.X = Sat16(Round(r.Next() * width));
  e.Y = Sat16(Round(r.Next() * height * 0.1));
  e.DX = Sat16(Round(14 * r.Next() - 7));
  if (e.DX == 0) e.DX = -14;
  e.Kind = Sat16(Floor(2.3 * r.Next()) + 1);
  if (e.Kind == 3 && s.Level < 4) e.Kind = 2;
  if (s.Level <= 1) e.Kind = 1;
  e.DY = Sat16(Round(e.Kind * e.Kind * 1.5 * r.Next() * 7));
  if (e.Kind == 3) {
    e.DY = Sat16(Round(7 * r.Next() + 1));
    e.DX = Sat16(Round(20 * r.Next() - 10));
  }
  if (e.Life() == 1) e.Life() = Sat16(e.Kind + 1);
}

void MoveAlive(GameContext& g, Entity& e) {
  const GameState& s = g.s;
  const int width = g.PicMain.Width(), height = g.PicMain.Height();
  if (e.Kind == 3) {
    const int16_t swing = Sat16(int64_t{Sat16(s.BlinkPhase - 5)} * e.DX);
    e.X = Sat16(Round(e.X - swing * 0.3));
    e.Y = Sat16(e.Y + e.DY);
  } else {
    e.X = Sat16(e.X + e.DX);
    e.Y = Sat16(e.Y + e.DY);
    if (e.Kind == 2) e.DY = Sat16(Round(e.DY - 0.1 * e.DY - 1.2));
  }
  if (e.X > width) e.X = static_cast<int16_t>(-e.W);
  if (e.X < -e.W) e.X = Sat16(width);
  if (e.Y > height || e.Y < -e.H) e.Life() = 0;
  const CellRect cell = Cell::Enemy(e.Kind, s.BlinkFrame);
  g.Sprite(e.X, e.Y, e.W, e.H, cell.X, cell.Y);
}

void MoveWreck(GameContext& g, Entity& e) {
  const BackSettingRecord& b = g.s.BackSetting;
  e.X = Sat16(Round(e.X + 1.1 * b.ScrollYoko));
  e.Y = Sat16(Round(e.Y + 1.1 * b.ScrollTate));
  const CellRect blast = Cell::Blast((-e.Life()) % 2);
  g.Sprite(e.X, e.Y, blast.W, blast.H, blast.X, blast.Y);
  ++e.Life();
}

}  // namespace

void MoveEnemies(GameContext& g) {
  GameState& s = g.s;
  for (int i = 0; i < EnemyCount; ++i) {
    Entity& e = s.Enemies[i];
    if (s.EnemyShotState[i] == 0 && e.Life() == 0) Spawn(g, e);
    if (e.Life() > 0) MoveAlive(g, e);
    if (e.Life() < 0) MoveWreck(g, e);
  }
}

}  // namespace pelaryn
