#include "enemies/EnemyShots.h"

#include <cmath>

#include "base/Arith.h"
#include "render/Cells.h"

namespace pelaryn {
namespace {

void Fire(GameContext& g, int i) {
  GameState& s = g.s;
  const Entity& e = s.Enemies[i];
  s.EnemyShotState[i] = Sat16(Round(g.random.Next() + 0.1));
  s.EnemyShotX[i] = Sat16(Round(e.X + e.W * 0.5));
  s.EnemyShotY[i] = Sat16(e.Y + e.H);
  s.EnemyShotSpeed[i] = Sat16(Round((g.random.Next() + 1) * s.EnemyShotBaseSpeed + s.Level / 6));
  if (e.Kind == 3) {
    s.EnemyShotDX[i] = 0;
    s.EnemyShotDY[i] = Sat16(s.EnemyShotBaseSpeed + 4 + s.Level / 6);
    return;
  }
  s.EnemyShotAimX[i] = Sat16(s.Player.X - e.X);
  s.EnemyShotAimY[i] = Sat16(s.Player.Y - e.Y);
  const int64_t ax = s.EnemyShotAimX[i], ay = s.EnemyShotAimY[i];
  const int64_t d = Sat32(Round(std::sqrt(static_cast<double>(ax * ax + ay * ay))));
  if (d == 0) {
    // The ship sits exactly on the enemy's corner: there is no direction, so the shot drops.
    s.EnemyShotDX[i] = 0;
    s.EnemyShotDY[i] = s.EnemyShotSpeed[i];
    return;
  }
  s.EnemyShotDX[i] = Sat16(Sat16(int64_t{s.EnemyShotSpeed[i]} * ax) / d);
  s.EnemyShotDY[i] = Sat16(Sat16(int64_t{s.EnemyShotSpeed[i]} * ay) / d);
}

void Fly(GameContext& g, int i) {
  GameState& s = g.s;
  s.EnemyShotX[i] = Sat16(s.EnemyShotX[i] + s.EnemyShotDX[i]);
  s.EnemyShotY[i] = Sat16(s.EnemyShotY[i] + s.EnemyShotDY[i]);
  if (s.EnemyShotX[i] > g.PicMain.Width() || s.EnemyShotY[i] > g.PicMain.Height() ||
      s.EnemyShotX[i] < -s.EnemyShotW || s.EnemyShotY[i] < 0) {
    s.EnemyShotState[i] = 0;
  }
  if (s.Enemies[i].Kind == 3) {
    g.Sprite(s.EnemyShotX[i], s.EnemyShotY[i], s.EnemyShotW, 2 * s.EnemyShotH, Cell::Beam.X,
             Cell::Beam.Y);
  } else {
    g.Sprite(s.EnemyShotX[i], s.EnemyShotY[i], s.EnemyShotW, s.EnemyShotH, Cell::Bullet.X,
             Cell::Bullet.Y);
  }
}

}  // namespace

void MoveEnemyShots(GameContext& g) {
  GameState& s = g.s;
  for (int i = 0; i < EnemyCount; ++i) {
    if (s.EnemyShotState[i] == 0 && s.Enemies[i].Life() > 0) Fire(g, i);
    if (s.EnemyShotState[i] == 1) Fly(g, i);
  }
}

}  // namespace pelaryn
