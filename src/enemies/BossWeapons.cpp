#include "enemies/BossWeapons.h"

#include <cmath>

#include "audio/SoundEffects.h"
#include "base/Arith.h"
#include "enemies/Collisions.h"
#include "render/Cells.h"

namespace pelaryn {
namespace {

constexpr double Pi = 3.1415;  // the game's own value, which the burst ring depends on

struct Point {
  int16_t X, Y;
};

Point BossCentre(const Entity& b) {
  return {Sat16(b.X + b.W / 2), Sat16(b.Y + b.H / 2)};
}

void Spray(GameContext& g) {
  GameState& s = g.s;
  const bool launching = s.PhaseFrames < 10000 / s.FramePeriod;
  for (int i = 0; i <= LastSlot(s.BossBulletMax, BossBulletCount); ++i) {
    Entity& b = s.BossBullets[i];
    if (launching && b.State == 0) {
      const Point c = BossCentre(s.Boss);
      b.State = 1;
      b.X = c.X;
      b.Y = c.Y;
      b.DX = Sat16(Round(18 * g.random.Next() - 9));
      b.DY = Sat16(Round(4 * g.random.Next() + 4));
    } else if (b.State != 0) {
      b.X = Sat16(b.X + b.DX);
      b.Y = Sat16(b.Y + b.DY);
      g.Sprite(b.X, b.Y, Cell::Bullet.W, Cell::Bullet.H, Cell::Bullet.X, Cell::Bullet.Y);
      if (b.X > g.PicMain.Width() || b.Y > g.PicMain.Height() || b.X < 0 || b.Y < 0) b.State = 0;
    }
  }
}

void SteerFireball(GameContext& g, Entity& f) {
  GameState& s = g.s;
  Random& r = g.random;
  const double r1 = r.Next(), r2 = r.Next();
  const int ex = s.Player.X - f.X;
  f.DX = Sat16(Round(f.DX + (ex / 120) * r1 + 1.2 * r2 * Sign(int64_t{ex})));
  const double r3 = r.Next(), r4 = r.Next();
  const int ey = s.Player.Y - f.Y;
  f.DY = Sat16(Round(f.DY + (ey / 150) * r3 + r4 * Sign(int64_t{ey})));
  f.X = Sat16(f.X + f.DX);
  f.Y = Sat16(f.Y + f.DY);
  f.DY = std::clamp<int16_t>(f.DY, -12, 12);
  f.DX = std::clamp<int16_t>(f.DX, -10, 10);
  const CellRect cell = Cell::Fireball(s.BlinkFrame);
  g.Sprite(f.X, f.Y, cell.W, cell.H, cell.X, cell.Y);
  if (f.X > g.PicMain.Width() + 50 || f.Y > g.PicMain.Height() + 50 || f.Y < -20 || f.X < -50) {
    f.State = 0;
  }
}

void Fireballs(GameContext& g) {
  GameState& s = g.s;
  const bool launching = s.PhaseFrames > 12000 / s.FramePeriod;
  for (int i = 0; i <= LastSlot(s.BossBombMax, BossBombCount); ++i) {
    Entity& f = s.BossBombs[i];
    if (launching && f.State == 0) {
      PlaySoundEffect(g, sound::BombShot, false);
      const Point c = BossCentre(s.Boss);
      f.State = 2;
      f.X = c.X;
      f.Y = c.Y;
      const int side = Sign(i - 3.5);
      const int reach = i % 2 == 0 ? 5 : 10;
      f.DX = Sat16(Round(2 * g.random.Next() * side * reach));
      f.DY = Sat16(Round(10 * g.random.Next() - 5));
      // A fireball is as large as its picture, whatever the slot held before.
      f.W = 16;
      f.H = 16;
    } else if (f.State != 0) {
      SteerFireball(g, f);
    }
  }
}

void LaunchNeedle(GameContext& g) {
  GameState& s = g.s;
  for (int i = 0; i <= LastSlot(s.BossRainMax, BossRainCount); ++i) {
    Entity& n = s.BossRain[i];
    if (n.State != 0) continue;
    const Point c = BossCentre(s.Boss);
    n.State = Sat16(Floor(g.random.Next() + 0.7));
    n.X = c.X;
    n.Y = c.Y;
    n.W = 8;
    n.H = 16;
    n.DX = 0;
    n.DY = Sat16(Round(8 * g.random.Next() + 8));
    n.SrcX = Cell::Beam.X;
    n.SrcY = Cell::Beam.Y;
    return;
  }
}

void FallNeedles(GameContext& g) {
  GameState& s = g.s;
  for (int i = 0; i <= LastSlot(s.BossRainMax, BossRainCount); ++i) {
    Entity& n = s.BossRain[i];
    if (n.State <= 0) continue;
    n.Y = Sat16(n.Y + n.DY);
    if (n.Y > g.PicMain.Height()) n.State = 0;
    g.Sprite(n.X, n.Y, n.W, n.H, n.SrcX, n.SrcY);
  }
}

void LaunchBomb(GameContext& g) {
  GameState& s = g.s;
  const Entity& boss = s.Boss;
  Random& r = g.random;
  for (int i = 0; i <= LastSlot(s.BossBombMax, BossBombCount); ++i) {
    Entity& b = s.BossBombs[i];
    if (b.State != 0) continue;
    b.State = Sat16(Floor(r.Next() + s.Level / 40.0 + 0.05));
    if (b.State > 0) b.State = 5;
    const Point c = BossCentre(boss);
    b.X = c.X;
    b.Y = c.Y;
    b.W = 16;
    b.H = 16;
    const int ax = s.Player.X - boss.X - boss.W / 2;
    const int ay = s.Player.Y - boss.Y - boss.H / 2;
    b.Dist() = Sat16(Round(std::sqrt(static_cast<double>(ax) * ax + static_cast<double>(ay) * ay)));
    const int64_t v = Sat32(Round(3 * r.Next() + 5 + s.Level));
    // With the ship's corner exactly on the boss's centre there is no aim; the throw is then made
    // of its random terms alone.
    const double towardsX = b.Dist() != 0 ? static_cast<double>(ax) / b.Dist() : 0.0;
    const double towardsY = b.Dist() != 0 ? static_cast<double>(ay) / b.Dist() : 0.0;
    b.DX = Sat16(Round(3 * r.Next() - 6 + towardsX * static_cast<double>(v)));
    b.DY = Sat16(Round(4 * r.Next() - 6 + towardsY * static_cast<double>(v)));
    b.Fuse() = Sat16(Round((20 * r.Next() + b.Dist() - 2 * s.Level) * 40));
    b.SrcX = Cell::GlassSphere.X;
    b.SrcY = Cell::GlassSphere.Y;
    return;
  }
}

void Burst(GameContext& g, const Entity& bomb) {
  GameState& s = g.s;
  int next = 0;
  for (int k = 0; k < 8; ++k) {
    const int last = LastSlot(s.BossBulletMax, BossBulletCount);
    while (next <= last && s.BossBullets[next].State != 0) ++next;
    if (next > last) return;  // the table is full: the rest of the ring is not made
    Entity& b = s.BossBullets[next];
    b.X = Sat16(bomb.X + bomb.W / 2);
    b.Y = Sat16(bomb.Y + bomb.H / 2);
    b.DX = Sat16(Round(6 * std::cos(k * Pi / 4)));
    b.DY = Sat16(Round(6 * std::sin(k * Pi / 4)));
    b.State = 1;
  }
}

void FlyBombs(GameContext& g) {
  GameState& s = g.s;
  for (int i = 0; i <= LastSlot(s.BossBombMax, BossBombCount); ++i) {
    Entity& b = s.BossBombs[i];
    if (b.State <= 0) continue;
    // A bomb that leaves the field is switched off but still flies, burns and may burst now.
    if (b.X > g.PicMain.Width() || b.Y > g.PicMain.Height() || b.Y < -b.H || b.X < -b.W) {
      b.State = 0;
    }
    g.Sprite(b.X, b.Y, b.W, b.H, b.SrcX, b.SrcY);
    b.X = Sat16(b.X + b.DX);
    b.Y = Sat16(b.Y + b.DY);
    b.Fuse() = Sat16(b.Fuse() - (int64_t{s.Level / 2} + 1) * b.Dist());
    if (b.Fuse() <= 0) {
      b.State = 0;
      Burst(g, b);
    }
  }
}

void FlyBurstBullets(GameContext& g) {
  GameState& s = g.s;
  for (int i = 0; i <= LastSlot(s.BossBulletMax, BossBulletCount); ++i) {
    Entity& b = s.BossBullets[i];
    if (b.State <= 0) continue;
    if (b.X > g.PicMain.Width() || b.Y > g.PicMain.Height() || b.Y < -b.H || b.X < -b.W) {
      b.State = 0;
    }
    g.Sprite(b.X, b.Y, Cell::Bullet.W, Cell::Bullet.H, Cell::Bullet.X, Cell::Bullet.Y);
    b.X = Sat16(b.X + b.DX);
    b.Y = Sat16(b.Y + b.DY);
  }
}

// The ship's box against boss weapons is smaller than its picture: 2 pixels off each side,
// 3 off the top and bottom.
bool TouchesShip(const GameState& s, int x, int y, int w, int h) {
  const Entity& p = s.Player;
  return p.X - w + 2 < x && x < p.X + p.W - 2 && p.Y - h + 3 < y && y < p.Y + p.H - 3;
}

}  // namespace

void BossAttack(GameContext& g) {
  GameState& s = g.s;
  const int32_t period = s.FramePeriod;
  if (s.Boss.Kind == 0) {
    Spray(g);
    Fireballs(g);
    return;
  }
  if (s.PhaseFrames < 9000 / period) LaunchNeedle(g);
  FallNeedles(g);
  if (11000 / period < s.PhaseFrames && s.PhaseFrames < 18000 / period) LaunchBomb(g);
  FlyBombs(g);
  FlyBurstBullets(g);
}

void CheckBossWeaponHits(GameContext& g) {
  GameState& s = g.s;
  for (int i = 0; i <= LastSlot(s.BossBulletMax, BossBulletCount); ++i) {
    Entity& b = s.BossBullets[i];
    if (b.State == 1 && s.InvincibleFrames == 0 && TouchesShip(s, b.X, b.Y, 0, 0)) {
      ShipHit(g, true, b.State);
      break;
    }
  }
  if (s.Boss.Kind == 1) {
    for (int i = 0; i <= LastSlot(s.BossRainMax, BossRainCount); ++i) {
      Entity& n = s.BossRain[i];
      if (n.State == 1 && s.InvincibleFrames == 0 && TouchesShip(s, n.X, n.Y, 8, 16)) {
        ShipHit(g, true, n.State);
        break;
      }
    }
  }
  for (int i = 0; i <= LastSlot(s.BossBombMax, BossBombCount); ++i) {
    Entity& b = s.BossBombs[i];
    if (s.Boss.Kind == 0 && b.State != 0 && s.InvincibleFrames == 0 &&
        TouchesShip(s, b.X, b.Y, b.W, b.H)) {
      ShipHit(g, false, b.State);
    }
    for (Entity& shot : s.PlayerShots) {
      if (shot.Active() == 1 && b.State > 0 && b.X - shot.W < shot.X && shot.X < b.X + b.W &&
          b.Y - shot.H < shot.Y && shot.Y < b.Y + b.H) {
        --b.State;
        if (b.State == 0) s.Score = Sat32(int64_t{s.Score} + 4);
        shot.Active() = 0;
      }
    }
  }
}

}  // namespace pelaryn
