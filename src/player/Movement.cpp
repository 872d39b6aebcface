#include "player/Movement.h"

#include <algorithm>

#include "base/Arith.h"

namespace pelaryn {
namespace {

void Push(GameState& s, int16_t& speed, int by) {
  if (s.BackSetting.Kansei) speed = static_cast<int16_t>(std::clamp(speed + by, -20, 20));
}

}  // namespace

void MoveLeft(GameContext& g) {
  Entity& p = g.s.Player;
  p.X = Sat16(p.X - p.StepX());
  if (p.X < 0) p.X = 0;
  Push(g.s, g.s.BackSetting.ScrollYoko, +1);
}

void MoveRight(GameContext& g) {
  Entity& p = g.s.Player;
  p.X = Sat16(p.X + p.StepX());
  const int limit = g.PicMain.Width() - p.W;
  if (p.X > limit) p.X = Sat16(limit);
  Push(g.s, g.s.BackSetting.ScrollYoko, -1);
}

void MoveUp(GameContext& g) {
  Entity& p = g.s.Player;
  p.Y = Sat16(p.Y - p.StepY());
  if (p.Y < 0) p.Y = 0;
  Push(g.s, g.s.BackSetting.ScrollTate, +1);
}

void MoveDown(GameContext& g) {
  Entity& p = g.s.Player;
  p.Y = Sat16(p.Y + p.StepY());
  const int limit = g.PicMain.Height() - p.H;
  if (p.Y > limit) p.Y = Sat16(limit);
  Push(g.s, g.s.BackSetting.ScrollTate, -1);
}

}  // namespace pelaryn
