#include "enemies/Collisions.h"

#include <algorithm>

#include "audio/SoundEffects.h"
#include "base/Arith.h"
#include "enemies/Item.h"

namespace pelaryn {
namespace {

bool ShotHitsShip(const GameState& s, int i) {
  const Entity& p = s.Player;
  const int x = s.EnemyShotX[i], y = s.EnemyShotY[i];
  return p.X < x && x < p.X + p.W - s.EnemyShotW && p.Y < y && y < p.Y + p.H;
}

bool Overlaps(const Entity& shot, const Entity& e) {
  return e.X - shot.W < shot.X && shot.X < e.X + e.W && e.Y - shot.H < shot.Y && shot.Y < e.Y + e.H;
}

void Destroyed(GameContext& g, Entity& e) {
  GameState& s = g.s;
  if (s.ComboTimer > 0) {
    s.Combo = Sat16(s.Combo + 1);
    s.ComboTimer = Sat16(std::min(s.ComboTimer + 5 + 2 * e.Kind, 39));
    if (s.Combo > s.MaxCombo) s.MaxCombo = s.Combo;
  } else {
    s.Combo = 0;
    s.ComboTimer = Sat16(2 * e.Kind + 10);
  }
  // The chain can outgrow 16 bits only after thousands of kills; the points are taken wide.
  const int64_t points = int64_t{2 * e.Kind - 1} * (s.Combo + 1);
  s.Score = Sat32(s.Score + points);
  e.Life() = -10;
  s.EnemiesShotDown = Sat32(int64_t{s.EnemiesShotDown} + 1);
  PlaySoundEffect(g, sound::Hit, false);
  if (e.Kind > 1 && s.Item.Active() == 0) ReleaseHeart(g, e);
}

}  // namespace

void ShipHit(GameContext& g, bool interrupt, int16_t& weaponState) {
  GameState& s = g.s;
  PlaySoundEffect(g, sound::Damage, interrupt);
  weaponState = 0;
  s.HitFlash = -6;
  s.Life = Sat16(s.Life - 1);
  if (s.Life == 0) s.Player.State = -50;
  s.InvincibleFrames = static_cast<int16_t>(500 / s.FramePeriod);
}

void CheckEnemyHits(GameContext& g) {
  GameState& s = g.s;
  for (int i = 0; i < EnemyCount; ++i) {
    if (s.EnemyShotState[i] == 1 && s.InvincibleFrames == 0 && ShotHitsShip(s, i)) {
      ShipHit(g, true, s.EnemyShotState[i]);
    }
    Entity& e = s.Enemies[i];
    for (Entity& shot : s.PlayerShots) {
      if (shot.Active() != 1 || e.Life() <= 0 || !Overlaps(shot, e)) continue;
      --e.Life();
      if (s.ComboTimer > 0) s.ComboTimer = Sat16(s.ComboTimer + 1 + e.Kind / 2);
      shot.Active() = 0;
      if (e.Life() == 0) Destroyed(g, e);
      if (s.Score > s.HiScore) s.HiScore = s.Score;
    }
  }
}

}  // namespace pelaryn
