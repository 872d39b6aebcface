#include "enemies/Item.h"

#include "audio/SoundEffects.h"
#include "base/Arith.h"
#include "render/Cells.h"

namespace pelaryn {

void ReleaseHeart(GameContext& g, const Entity& enemy) {
  Entity& item = g.s.Item;
  item.Active() = Sat16(Round(0.65 * g.random.Next()));
  item.X = enemy.X;
  item.Y = enemy.Y;
  item.DY = Sat16(Round(3 * g.random.Next() + 3));
  item.SrcX = Cell::Heart.X;
  item.SrcY = Cell::Heart.Y;
  item.W = 16;
  item.H = 16;
}

void MoveItem(GameContext& g) {
  GameState& s = g.s;
  Entity& item = s.Item;
  const Entity& p = s.Player;
  item.Y = Sat16(item.Y + item.DY);
  g.Sprite(item.X, item.Y, item.W, item.H, item.SrcX, item.SrcY);
  if (item.Y > g.PicMain.Height()) item.Active() = 0;
  if (p.X - item.W < item.X && item.X < p.X + p.W && p.Y - item.H < item.Y && item.Y < p.Y + p.H) {
    PlaySoundEffect(g, sound::GetItem, false);
    item.Active() = 0;
    if (s.Life < 19) ++s.Life;
    s.Score = Sat32(int64_t{s.Score} + 2);
  }
}

}  // namespace pelaryn
