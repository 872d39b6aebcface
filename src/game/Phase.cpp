#include "game/Phase.h"

#include <cmath>

#include "audio/Music.h"
#include "audio/SoundEffects.h"
#include "base/Arith.h"
#include "enemies/Boss.h"
#include "enemies/Collisions.h"
#include "enemies/Enemies.h"
#include "enemies/EnemyShots.h"
#include "render/Cells.h"
#include "render/Explosions.h"
#include "render/StatusDisplay.h"

namespace pelaryn {
namespace {

constexpr double Pi = 3.1415;  // the game's own value, which the moon's entrance depends on

// Nothing moves, shoots or collides during the entrance; only the boss is drawn.
void DrawEntrance(GameContext& g) {
  const Entity& b = g.s.Boss;
  const EntranceRect r = BossEntranceRect(g.s);
  g.SpriteStretched(r.X, r.Y, r.W, r.H, b.SrcX, b.SrcY, b.W, b.H);
}

void Fight(GameContext& g) {
  GameState& s = g.s;
  MoveBoss(g);
  const Entity& b = s.Boss;
  const int frame = b.Kind == 0 ? b.W * s.BlinkFrame : 0;
  g.Sprite(b.X, b.Y, b.W, b.H, b.SrcX + frame, b.SrcY);
  CheckBossHits(g);
  if (s.PhaseFrames > 20000 / s.FramePeriod) s.PhaseFrames = 2000 / s.FramePeriod;
  DrawBossLifeGauge(g);
}

void EnemyPhase(GameContext& g) {
  GameState& s = g.s;
  const int32_t period = s.FramePeriod;
  if (s.PhaseFrames >= (s.BossInterval - 1000) / period || s.PhaseFrames <= 2000 / period) return;
  MoveEnemies(g);
  MoveEnemyShots(g);
  CheckEnemyHits(g);
  if (s.ComboTimer > 0) DrawComboGauge(g);
}

}  // namespace

// The sun shrinks from huge while drifting into place; the moon swings and grows to six times
// its size and back.
EntranceRect BossEntranceRect(const GameState& s) {
  const Entity& b = s.Boss;
  const int32_t period = s.FramePeriod;
  if (b.Kind == 0) {
    const int t = 5000 / period - s.PhaseFrames;
    const int u = 5000 / period - period - s.PhaseFrames;
    return {b.X - t / 3, b.Y - t / 3, b.W + 5 * u, b.H + 5 * u};
  }
  const double a = s.PhaseFrames * Pi * period;
  const double zoom = std::fabs(std::sin(a / 2100));
  return {static_cast<int>(Round(b.X + 130 * std::sin(a / 1000))),
          static_cast<int>(Round(b.Y + 50 * std::sin(a / 2000))),
          static_cast<int>(Round(zoom * 6 * b.W)), static_cast<int>(Round(zoom * 6 * b.H))};
}

void AppearanceCheck(GameContext& g) {
  GameState& s = g.s;
  s.PhaseFrames = Sat32(int64_t{s.PhaseFrames} + 1);
  if (s.PhaseFrames <= s.BossInterval / s.FramePeriod || s.BossActive) return;
  InitBoss(g);
  s.BossActive = true;
  s.PhaseFrames = 0;
  StopMusic(g.platform);
  const BgmEntry& music = s.BossBgm[s.Boss.Kind];
  if (music.Enabled) PlayMusic(g.platform, music.Path);
}

void PhaseWork(GameContext& g) {
  GameState& s = g.s;
  if (!s.BossActive) return EnemyPhase(g);
  if (s.PhaseFrames < 2000 / s.FramePeriod) return DrawEntrance(g);
  Fight(g);
}

void DestructionEffects(GameContext& g) {
  GameState& s = g.s;
  Entity& b = s.Boss;
  if (b.Life() <= -5) {
    DrawExplosions(g, 11, b.X, b.Y, 80);
    PlaySoundEffect(g, sound::BossHit, false);
  } else {
    const CellRect flare = Cell::Blast(1);
    g.SpriteStretched(b.X - 30, b.Y - 30, b.W + 60, b.W + 60, flare.X, flare.Y, flare.W, flare.H);
    PlaySoundEffect(g, sound::Explode, true);
    s.Score = Sat32(int64_t{s.Score} + b.Bonus() / 4);
  }
  ++b.Life();
  if (b.Life() == 0) {
    StopMusic(g.platform);
    StartPlayMusic(g);
  }
}

}  // namespace pelaryn
