// The bosses: the phase cycle around them, their entrance, paths, weapons and defeat.

#include <gtest/gtest.h>

#include <set>

#include "../TestGame.h"
#include "audio/SoundEffects.h"
#include "enemies/Boss.h"
#include "enemies/BossWeapons.h"
#include "game/Phase.h"

namespace pelaryn {

using testing::Scene;

namespace {

void MakeSun(GameState& s) {
  s.Boss = {.X = 60, .Y = 100, .State = 50, .Kind = 0, .W = 64, .H = 48, .DX = 10, .SrcY = 128};
}

void MakeMoon(GameState& s) {
  s.Boss = {.X = 120, .Y = 30, .State = 50, .Kind = 1, .W = 64, .H = 64, .SrcY = 176};
}

int Flying(std::span<const Entity> table) {
  int n = 0;
  for (const Entity& e : table) n += e.State != 0 ? 1 : 0;
  return n;
}

}  // namespace

TEST(Boss, EnemiesStartOnFrameFortyFiveAndTheBossArrivesOnFrame1334) {
  Scene t;
  t.s.Life = 30000;
  const uint64_t draws = t.game.RandomSource().Draws();
  t.Frames(44);
  EXPECT_EQ(t.game.RandomSource().Draws(), draws);
  t.Frames(1);
  EXPECT_GT(t.game.RandomSource().Draws(), draws);
  t.Frames(1333 - 45);
  EXPECT_FALSE(t.s.BossActive);
  EXPECT_EQ(t.s.PhaseFrames, 1333);
  t.s.Score = 1234;
  t.Frames(1);
  EXPECT_TRUE(t.s.BossActive);
  EXPECT_EQ(t.s.PhaseFrames, 0);
  EXPECT_EQ(t.s.Boss.Bonus(), 123);
  EXPECT_EQ(t.s.Boss.Life(), 50);
  EXPECT_EQ(t.platform.RecordedMusic().OpenPath(), t.s.BossBgm[t.s.Boss.Kind].Path);
}

TEST(Boss, EntrancesZoomTheBossIntoPlace) {
  GameState s;
  s.FramePeriod = 45;
  MakeSun(s);
  s.PhaseFrames = 0;
  EntranceRect r = BossEntranceRect(s);
  EXPECT_EQ(r.W, 394);
  EXPECT_EQ(r.H, 378);
  EXPECT_EQ(r.X, 60 - 37);
  EXPECT_EQ(r.Y, 100 - 37);
  s.PhaseFrames = 43;
  r = BossEntranceRect(s);
  EXPECT_EQ(r.W, 179);
  EXPECT_EQ(r.H, 163);
  EXPECT_EQ(r.X, 60 - 22);

  MakeMoon(s);
  s.PhaseFrames = 0;
  r = BossEntranceRect(s);
  EXPECT_EQ(r.W, 0);
  EXPECT_EQ(r.H, 0);
  s.PhaseFrames = 43;
  r = BossEntranceRect(s);
  EXPECT_EQ(r.W, 94);  // about one and a half times its size
}

TEST(Boss, TheSunSweepsAndTheMoonFliesItsFigureOfEightThenSwoops) {
  Scene t;
  MakeSun(t.s);
  t.s.BossBulletMax = -1;  // weapons out of the way
  t.s.BossBombMax = -1;
  t.s.PhaseFrames = 100;
  std::vector<int16_t> xs;
  for (int i = 0; i < 20; ++i) {
    MoveBoss(t.g);
    xs.push_back(t.s.Boss.X);
  }
  EXPECT_EQ(xs[0], 70);
  EXPECT_EQ(t.s.Boss.Y, 100 + 5 * 5 - 5 * 15);
  EXPECT_EQ(*std::max_element(xs.begin(), xs.end()), 240);  // turns 4 pixels past the wall

  MakeMoon(t.s);
  t.s.BossRainMax = -1;
  t.s.PhaseFrames = 44;
  MoveBoss(t.g);
  EXPECT_EQ(t.s.Boss.X, 115);
  EXPECT_EQ(t.s.Boss.Y, 30);
  t.s.PhaseFrames = 244;
  MoveBoss(t.g);
  EXPECT_EQ(t.s.Boss.X, 115);
  EXPECT_EQ(t.s.Boss.Y, 390);
}

TEST(Boss, TheFightClockWrapsFrom445BackTo44) {
  Scene t;
  t.s.BossActive = true;
  MakeSun(t.s);
  t.s.PhaseFrames = 444;
  t.Frames(1);
  EXPECT_EQ(t.s.PhaseFrames, 44);
  t.Frames(1);
  EXPECT_EQ(t.s.PhaseFrames, 45);
}

TEST(Boss, DefeatRaisesTheLevelClearsTheFieldAndPaysTheBonusOverFourFrames) {
  Scene t;
  t.s.Life = 30000;
  t.s.BossActive = true;
  t.s.PhaseFrames = 100;
  MakeSun(t.s);
  t.s.Boss.Life() = 1;
  t.s.Boss.Bonus() = 103;
  t.s.Boss.Y = 150;
  t.s.BossBulletMax = -1;
  t.s.BossBombMax = -1;
  t.s.PlayerShots[0] = {.X = 100, .Y = 170, .State = 1, .W = 8, .H = 16, .DY = 0};
  t.s.BossRain[5].State = 1;
  t.s.Enemies[3].Life() = 2;
  t.s.InvincibleFrames = 7;
  const int bossHits = t.Sounds(sound::BossHit);
  const int explosions = t.Sounds(sound::Explode);
  std::vector<int32_t> scores;
  for (int frame = 0; frame < 26; ++frame) {
    t.Frames(1);
    scores.push_back(t.s.Score);
    if (frame == 0) {
      EXPECT_EQ(t.s.Boss.Life(), -24);  // -25, and the first explosion frame has run
      EXPECT_FALSE(t.s.BossActive);
      EXPECT_EQ(t.s.Level, 1);
      EXPECT_EQ(t.s.PhaseFrames, 0);
      EXPECT_EQ(t.s.BossBulletMax, 23);
      EXPECT_EQ(t.s.BossBombMax, 2);
      EXPECT_EQ(t.s.BossRainMax, 11);
      EXPECT_EQ(t.s.BossRain[5].State, 0);
      EXPECT_EQ(t.s.Enemies[3].Life(), 0);
      EXPECT_EQ(t.s.InvincibleFrames, 0);
      EXPECT_EQ(t.platform.RecordedMusic().IsOpen(), false);
    }
  }
  int paying = 0;
  for (std::size_t i = 1; i < scores.size(); ++i) paying += scores[i] != scores[i - 1] ? 1 : 0;
  EXPECT_EQ(paying, 4);
  EXPECT_EQ(scores.back() - scores.front(), 4 * 25);
  EXPECT_EQ(t.Sounds(sound::BossHit) - bossHits, 1 + 21);
  EXPECT_EQ(t.Sounds(sound::Explode) - explosions, 4);
  EXPECT_EQ(t.s.Boss.Life(), 0);
  EXPECT_TRUE(t.platform.RecordedMusic().IsOpen());  // the play music is back
}

TEST(Boss, SunFireballsFromTheFirstFourSlotsStartLeftwardsAndAreSixteenSquare) {
  std::set<int> evenDX, oddDX;
  Scene t;
  MakeSun(t.s);
  t.s.PhaseFrames = 300;
  t.s.BossBulletMax = -1;
  t.s.BossBombMax = 7;
  for (int round = 0; round < 300; ++round) {
    for (Entity& f : t.s.BossBombs) f.State = 0;
    BossAttack(t.g);
    for (int i = 0; i <= 7; ++i) {
      const Entity& f = t.s.BossBombs[i];
      ASSERT_EQ(f.State, 2);
      ASSERT_EQ(f.W, 16);
      ASSERT_EQ(f.H, 16);
      if (i < 4) {
        ASSERT_LE(f.DX, 0) << i;
      } else {
        ASSERT_GE(f.DX, 0) << i;
      }
      (i % 2 == 0 ? evenDX : oddDX).insert(f.DX);
    }
  }
  EXPECT_EQ(*evenDX.begin(), -10);
  EXPECT_EQ(*evenDX.rbegin(), 10);
  EXPECT_EQ(*oddDX.begin(), -20);
  EXPECT_EQ(*oddDX.rbegin(), 20);
  EXPECT_GE(t.Sounds(sound::BombShot), 300);
}

TEST(Boss, BombsBurstIntoRingsOfEightAndAFullTableDropsTheRest) {
  Scene t;
  MakeMoon(t.s);
  t.s.PhaseFrames = 230;  // between the needle and bomb windows
  t.s.BossRainMax = -1;
  Entity& bomb = t.s.BossBombs[0];
  bomb = {.X = 100,
          .Y = 200,
          .State = 5,
          .Kind = 1,
          .W = 16,
          .H = 16,
          .DX = 2,
          .DY = 0,
          .SrcX = 48,
          .SrcY = 16,
          .Extra = 10};
  BossAttack(t.g);
  EXPECT_EQ(bomb.State, 0);
  const int velocities[8][2] = {{6, 0},  {4, 4},   {0, 6},  {-4, 4},
                                {-6, 0}, {-4, -4}, {0, -6}, {4, -4}};
  for (int k = 0; k < 8; ++k) {
    const Entity& b = t.s.BossBullets[k];
    EXPECT_EQ(b.State, 1);
    EXPECT_EQ(b.DX, velocities[k][0]);
    EXPECT_EQ(b.DY, velocities[k][1]);
    EXPECT_EQ(b.X, 110 + velocities[k][0]);  // centre after the bomb moved, then its own step
    EXPECT_EQ(b.Y, 208 + velocities[k][1]);
  }

  Scene full;
  MakeMoon(full.s);
  full.s.PhaseFrames = 230;
  full.s.BossRainMax = -1;
  for (int i = 0; i <= 27; ++i) full.s.BossBullets[i] = {.X = 150, .Y = 150, .State = 1};
  full.s.BossBombs[0] = bomb;
  full.s.BossBombs[0].State = 5;
  full.s.BossBombs[0].Fuse() = 0;
  BossAttack(full.g);
  EXPECT_EQ(Flying(std::span(full.s.BossBullets).first(31)), 31);
  EXPECT_EQ(Flying(full.s.BossBullets), 31);  // three of the ring made it, five did not
  EXPECT_EQ(full.s.BossBullets[28].DX, 6);
  EXPECT_EQ(full.s.BossBullets[30].DX, 0);

  // A bomb that leaves the field is off, but still flies and burns that frame, and may burst.
  Scene away;
  MakeMoon(away.s);
  away.s.PhaseFrames = 230;
  away.s.BossRainMax = -1;
  away.s.BossBombs[1] = {
      .X = 305, .Y = 100, .State = 5, .Kind = 5, .W = 16, .H = 16, .DX = 3, .Extra = 10};
  BossAttack(away.g);
  EXPECT_EQ(away.s.BossBombs[1].X, 308);
  EXPECT_EQ(away.s.BossBombs[1].State, 0);
  // The ring was made around the bomb's new centre; beyond the edge it is switched off at once.
  EXPECT_EQ(away.s.BossBullets[4].X, 316 - 6);
  EXPECT_EQ(away.s.BossBullets[4].DX, -6);
  EXPECT_EQ(Flying(away.s.BossBullets), 0);
}

TEST(Boss, BulletsNeedlesAndFireballsHitTheShrunkShip) {
  Scene t;
  MakeMoon(t.s);
  t.s.Player.X = 100;
  t.s.Player.Y = 300;
  t.s.Life = 10;
  // Two bullets on the ship: the first ends the pass.
  t.s.BossBullets[0] = {.X = 105, .Y = 310, .State = 1};
  t.s.BossBullets[1] = {.X = 106, .Y = 311, .State = 1};
  t.s.BossBullets[2] = {.X = 102, .Y = 310, .State = 1};  // on the shrunk box's edge: a miss
  CheckBossHits(t.g);
  EXPECT_EQ(t.s.Life, 9);
  EXPECT_EQ(t.s.BossBullets[0].State, 0);
  EXPECT_EQ(t.s.BossBullets[1].State, 1);
  EXPECT_EQ(t.s.InvincibleFrames, 11);
  CheckBossHits(t.g);
  EXPECT_EQ(t.s.Life, 9);  // invulnerable now
  t.s.InvincibleFrames = 0;
  t.s.BossBullets[1].State = 0;
  CheckBossHits(t.g);
  EXPECT_EQ(t.s.Life, 9);
  // A needle 8 x 16 reaching into the box from above.
  t.s.BossRain[0] = {.X = 95, .Y = 288, .State = 1, .W = 8, .H = 16};
  CheckBossHits(t.g);
  EXPECT_EQ(t.s.Life, 8);
  // A moon bomb on the ship does nothing; a sun fireball hurts.
  t.s.InvincibleFrames = 0;
  t.s.BossBombs[0] = {.X = 100, .Y = 300, .State = 5, .W = 16, .H = 16};
  CheckBossHits(t.g);
  EXPECT_EQ(t.s.Life, 8);
  t.s.Boss.Kind = 0;
  CheckBossHits(t.g);
  EXPECT_EQ(t.s.Life, 7);
  EXPECT_EQ(t.s.BossBombs[0].State, 0);
}

TEST(Boss, ShotsWearDownFireballsAndBombsAndTheBoss) {
  Scene t;
  MakeMoon(t.s);
  t.s.Boss.Y = -200;  // out of the shots' way
  t.s.BossBombs[2] = {.X = 100, .Y = 100, .State = 5, .W = 16, .H = 16};
  for (int hit = 0; hit < 5; ++hit) {
    t.s.PlayerShots[hit] = {.X = 104, .Y = 100, .State = 1, .W = 8, .H = 16};
  }
  t.s.Score = 0;
  CheckBossHits(t.g);
  EXPECT_EQ(t.s.BossBombs[2].State, 0);
  EXPECT_EQ(t.s.Score, 4);
  EXPECT_EQ(Flying(t.s.BossBullets), 0);  // shot down, it does not burst

  MakeSun(t.s);
  t.s.Boss.Life() = 50;
  t.s.PlayerShots[0] = {.X = 60, .Y = 100, .State = 1, .W = 8, .H = 16};   // left edge on Boss.X
  t.s.PlayerShots[1] = {.X = 124, .Y = 100, .State = 1, .W = 8, .H = 16};  // on Boss.X + W
  t.s.PlayerShots[2] = {.X = 61, .Y = 100, .State = 1, .W = 8, .H = 16};
  CheckBossHits(t.g);
  EXPECT_EQ(t.s.Boss.Life(), 49);
  EXPECT_EQ(t.s.Score, 5);
}

TEST(Boss, NeedlesFallSevenTimesInTenAndHugeNumbersSaturate) {
  Scene t;
  MakeMoon(t.s);
  t.s.PhaseFrames = 100;
  int needles = 0;
  for (int n = 0; n < 10000; ++n) {
    t.s.BossRain[0].State = 0;
    BossAttack(t.g);
    needles += t.s.BossRain[0].State;
  }
  EXPECT_NEAR(needles / 10000.0, 0.7, 0.02);

  t.s.Score = 500000;
  InitBoss(t.g);
  EXPECT_EQ(t.s.Boss.Bonus(), 32767);
  // At level 300 a far bomb's fuse is burnt in one step and never wraps to a positive value.
  t.s.Level = 300;
  t.s.Boss.Kind = 1;
  t.s.BossBombs[0] = {
      .X = 100, .Y = 100, .State = 5, .Kind = 30000, .W = 16, .H = 16, .Extra = 500};
  t.s.PhaseFrames = 230;
  BossAttack(t.g);
  EXPECT_EQ(t.s.BossBombs[0].State, 0);
  EXPECT_EQ(t.s.BossBombs[0].Fuse(), -32768);
}

}  // namespace pelaryn
