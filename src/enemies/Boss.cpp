#include "enemies/Boss.h"

#include <algorithm>
#include <cmath>

#include "audio/Music.h"
#include "audio/SoundEffects.h"
#include "base/Arith.h"
#include "enemies/BossWeapons.h"
#include "render/Cells.h"

namespace pelaryn {
namespace {

constexpr double Pi = 3.1415;  // the game's own value, which its paths depend on

void MoveSun(GameContext& g) {
  Entity& b = g.s.Boss;
  const int width = g.PicMain.Width();
  b.X = Sat16(b.X + b.DX);
  if (width - b.W < b.X || b.X < 0) b.DX = Sat16(-b.DX);
  const int middle = (width - b.W) / 2;
  b.DY = b.X <= middle ? 5 : -5;
  b.Y = Sat16(b.Y + b.DY);
}

void MoveMoon(GameContext& g) {
  GameState& s = g.s;
  Entity& b = s.Boss;
  const int32_t period = s.FramePeriod;
  const double t = s.PhaseFrames - 2000 / period;
  const double twoSeconds = 2000.0 / period, oneSecond = 1000.0 / period;
  if (s.PhaseFrames < 10000 / period) {
    b.X = Sat16(Round(130 * std::sin(t * Pi / twoSeconds) + 115));
    b.Y = Sat16(Round(60 * std::sin(t * Pi / oneSecond) + 30));
  } else {
    b.X = Sat16(Round(150 * std::sin(t * Pi / oneSecond) + 115));
    b.Y = Sat16(Round(30 - (std::cos(t * Pi / oneSecond) - 1) * 180));
  }
}

void Defeat(GameContext& g) {
  GameState& s = g.s;
  s.Boss.Life() = -25;
  s.Level = Sat16(int64_t{s.Level} + 1 + s.DifficultySkip);
  PlaySoundEffect(g, sound::Hit, false);
  for (int i = 0; i <= LastSlot(s.BossBulletMax, BossBulletCount); ++i) s.BossBullets[i].State = 0;
  for (int i = 0; i <= LastSlot(s.BossBombMax, BossBombCount); ++i) s.BossBombs[i].State = 0;
  for (int i = 0; i <= LastSlot(s.BossRainMax, BossRainCount); ++i) s.BossRain[i].State = 0;
  s.BossBulletMax = static_cast<int16_t>(std::min(3 * s.Level + 20, BossBulletCount - 1));
  s.BossBombMax = static_cast<int16_t>(std::min(s.Level / 4 + 2, BossBombCount - 1));
  s.BossRainMax = static_cast<int16_t>(std::min(s.Level + 10, BossRainCount - 1));
  s.PhaseFrames = 0;
  s.BossActive = false;
  StopMusicAndClearField(g);
}

}  // namespace

void InitBoss(GameContext& g) {
  GameState& s = g.s;
  Entity& b = s.Boss;
  b.Kind = Sat16(Floor(2 * g.random.Next()));
  const int16_t life = Sat16(10 * int64_t{s.Level} + 50);
  if (b.Kind == 0) {
    b.SrcX = Cell::Sun(0).X;
    b.SrcY = Cell::Sun(0).Y;
    b.X = 60;
    b.Y = 100;
    b.DX = 10;
    b.W = 64;
    b.H = 48;
  } else {
    b.SrcX = Cell::Moon.X;
    b.SrcY = Cell::Moon.Y;
    b.X = 120;
    b.Y = 30;
    b.DX = 0;
    b.DY = 0;
    b.W = 64;
    b.H = 64;
  }
  b.Life() = life;
  b.Bonus() = Sat16(s.Score / 10);
}

void MoveBoss(GameContext& g) {
  if (g.s.Boss.Kind == 0) {
    MoveSun(g);
  } else {
    MoveMoon(g);
  }
  BossAttack(g);
}

void CheckBossHits(GameContext& g) {
  GameState& s = g.s;
  Entity& b = s.Boss;
  for (Entity& shot : s.PlayerShots) {
    if (!(b.X < shot.X && shot.X < b.X + b.W && b.Y - shot.H < shot.Y && shot.Y < b.Y + b.H &&
          shot.Active() == 1 && b.Life() > 0)) {
      continue;
    }
    --b.Life();
    shot.Active() = 0;
    s.Score = Sat32(int64_t{s.Score} + 1);
    PlaySoundEffect(g, sound::BossHit, false);
    if (b.Life() == 0) Defeat(g);
  }
  CheckBossWeaponHits(g);
}

}  // namespace pelaryn
