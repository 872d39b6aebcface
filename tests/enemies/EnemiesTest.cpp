// Enemies, their shots, the collisions with points and combo, the heart and the ship's end.

#include <gtest/gtest.h>

#include "../TestGame.h"
#include "audio/SoundEffects.h"
#include "enemies/Collisions.h"
#include "enemies/Combo.h"
#include "enemies/Enemies.h"
#include "enemies/EnemyShots.h"
#include "enemies/Item.h"
#include "game/Phase.h"
#include "player/ShipDestruction.h"

namespace pelaryn {

using testing::Scene;

namespace {

Entity& PlaceEnemy(GameState& s, int i, int kind, int life, int x = 100, int y = 100) {
  Entity& e = s.Enemies[i];
  e.Kind = static_cast<int16_t>(kind);
  e.Life() = static_cast<int16_t>(life);
  e.X = static_cast<int16_t>(x);
  e.Y = static_cast<int16_t>(y);
  return e;
}

void PlaceShot(GameState& s, int j, int x, int y) {
  s.PlayerShots[j].Active() = 1;
  s.PlayerShots[j].X = static_cast<int16_t>(x);
  s.PlayerShots[j].Y = static_cast<int16_t>(y);
}

}  // namespace

TEST(Enemies, FreeSlotsDrawSixNumbersEachAndBeetlesTwoMore) {
  for (const int level : {0, 10}) {
    Scene t;
    t.s.Level = static_cast<int16_t>(level);
    for (int frame = 0; frame < 30; ++frame) {
      GameState before = t.s;
      const uint64_t draws = t.random.Draws();
      MoveEnemies(t.g);
      uint64_t expected = 0;
      for (int i = 0; i < EnemyCount; ++i) {
        if (before.Enemies[i].Life() == 0 && before.EnemyShotState[i] == 0) {
          expected += t.s.Enemies[i].Kind == 3 ? 8 : 6;
        }
      }
      ASSERT_EQ(t.random.Draws() - draws, expected) << "level " << level;
    }
  }
}

TEST(Enemies, KindsFollowTheLevelAndAppearanceCountsAreKept) {
  Scene low;  // levels 0-1: only blobs
  for (int frame = 0; frame < 2000; ++frame) {
    MoveEnemies(low.g);
    for (const Entity& e : low.s.Enemies) {
      if (e.Life() > 0) {
        ASSERT_EQ(e.Kind, 1);
      }
    }
  }
  EXPECT_GT(low.s.EnemiesAppeared, 50);

  Scene high;
  high.s.Level = 4;
  bool seen[4] = {};
  for (int frame = 0; frame < 3000; ++frame) {
    MoveEnemies(high.g);
    for (const Entity& e : high.s.Enemies) {
      if (e.Life() > 0) seen[e.Kind] = true;
    }
  }
  EXPECT_TRUE(seen[1] && seen[2] && seen[3]);

  // From level 297 the draw can give 2: such an enemy has two hits whatever its kind and is
  // counted twice.
  Scene extreme;
  extreme.s.Level = 300;
  int spawned = 0, doubles = 0;
  for (int frame = 0; frame < 100; ++frame) {
    for (Entity& e : extreme.s.Enemies) e.Life() = 0;
    extreme.s.EnemyShotState.fill(0);
    MoveEnemies(extreme.g);
    for (const Entity& e : extreme.s.Enemies) {
      spawned += e.Life() != 0 ? 1 : 0;
      doubles += e.Life() == 2 && e.Kind > 1 ? 1 : 0;
    }
  }
  EXPECT_EQ(spawned, 1100);
  EXPECT_GT(doubles, 0);
  EXPECT_GE(extreme.s.EnemiesAppeared, spawned + doubles);
}

TEST(Enemies, MovementWrapsAtTheSidesAndLeavesAtTopAndBottom) {
  Scene t;
  Entity& diver = PlaceEnemy(t.s, 0, 2, 3, 298, 100);
  diver.DX = 5;
  diver.DY = 42;
  t.s.EnemyShotState.fill(1);  // no spawning in any slot
  MoveEnemies(t.g);
  EXPECT_EQ(diver.X, -32);  // 303 > 300: re-enters on the left
  EXPECT_EQ(diver.DY, 37);
  const int16_t expectedDY[] = {32, 28, 24, 20, 17, 14, 11, 9, 7, 5, 3, 2, 1, 0, -1, -2, -3};
  for (const int16_t dy : expectedDY) {
    MoveEnemies(t.g);
    ASSERT_EQ(diver.DY, dy);
  }
  Entity& left = PlaceEnemy(t.s, 1, 1, 2, -30, 100);
  left.DX = -3;
  left.DY = 0;
  MoveEnemies(t.g);
  EXPECT_EQ(left.X, 300);
  Entity& low = PlaceEnemy(t.s, 2, 1, 2, 50, 395);
  low.DX = 1;
  low.DY = 6;
  MoveEnemies(t.g);
  EXPECT_EQ(low.Life(), 0);
  // A wreck drifts with the scroll and counts up from -10, ring first.
  Entity& wreck = PlaceEnemy(t.s, 3, 1, -10, 50, 50);
  t.s.BackSetting.ScrollTate = 3;
  t.s.BackSetting.ScrollYoko = -2;
  MoveEnemies(t.g);
  EXPECT_EQ(wreck.Y, 53);  // round(50 + 3.3)
  EXPECT_EQ(wreck.X, 48);  // round(50 - 2.2)
  EXPECT_EQ(wreck.Life(), -9);
  t.s.BackSetting.ScrollTate = 10;
  t.s.BackSetting.ScrollYoko = 5;
  MoveEnemies(t.g);
  EXPECT_EQ(wreck.Y, 64);  // 53 + round(11.0)
  EXPECT_EQ(wreck.X, 54);  // 48 + round(5.5), the tie to even
}

TEST(Enemies, ShotsAimAtTheShipAndNeedlesFallAtTheirOwnSpeed) {
  Scene t;
  t.s.Player.X = 100;
  t.s.Player.Y = 300;
  PlaceEnemy(t.s, 0, 1, 2, 100, 100);  // straight above: no sideways speed
  PlaceEnemy(t.s, 1, 3, 4, 200, 50);
  t.s.Level = 6;
  for (int tries = 0; tries < 50 && !(t.s.EnemyShotState[0] && t.s.EnemyShotState[1]); ++tries) {
    const uint64_t draws = t.random.Draws();
    const int before = (t.s.EnemyShotState[0] == 0) + (t.s.EnemyShotState[1] == 0);
    MoveEnemyShots(t.g);
    ASSERT_EQ(t.random.Draws() - draws, 2u * before);
  }
  ASSERT_EQ(t.s.EnemyShotState[0], 1);
  EXPECT_EQ(t.s.EnemyShotDX[0], 0);
  EXPECT_GE(t.s.EnemyShotDY[0], 5);
  EXPECT_EQ(t.s.EnemyShotDX[1], 0);
  EXPECT_EQ(t.s.EnemyShotDY[1], 9);  // 4 + 4 + 6 \ 6, whatever speed was drawn

  // A shot aimed with the ship on the enemy's own corner falls straight down.
  Scene same;
  same.s.Player.X = 100;
  same.s.Player.Y = 100;
  PlaceEnemy(same.s, 0, 2, 3, 100, 100);
  for (int tries = 0; tries < 50 && !same.s.EnemyShotState[0]; ++tries) MoveEnemyShots(same.g);
  EXPECT_EQ(same.s.EnemyShotDX[0], 0);
  EXPECT_EQ(same.s.EnemyShotDY[0], same.s.EnemyShotSpeed[0]);

  // Shots leave as soon as their top edge is above 0.
  same.s.EnemyShotState[0] = 1;
  same.s.EnemyShotY[0] = 3;
  same.s.EnemyShotDY[0] = -4;
  MoveEnemyShots(same.g);
  EXPECT_EQ(same.s.EnemyShotState[0], 0);
}

TEST(Enemies, EnemyShotsHitOnlyInsideTheShipsWindow) {
  Scene t;
  t.s.Player.X = 100;
  t.s.Player.Y = 300;
  for (int dx = -1; dx <= 9; ++dx) {
    t.s.EnemyShotState[0] = 1;
    t.s.EnemyShotX[0] = static_cast<int16_t>(100 + dx);
    t.s.EnemyShotY[0] = 310;
    t.s.InvincibleFrames = 0;
    t.s.Life = 10;
    CheckEnemyHits(t.g);
    const bool hit = t.s.Life == 9;
    EXPECT_EQ(hit, dx >= 1 && dx <= 7) << dx;
    if (hit) {
      EXPECT_EQ(t.s.EnemyShotState[0], 0);
      EXPECT_EQ(t.s.HitFlash, -6);
      EXPECT_EQ(t.s.InvincibleFrames, 11);
    }
  }
  // While the ship is invulnerable the shot passes through and keeps flying.
  t.s.EnemyShotState[0] = 1;
  t.s.EnemyShotX[0] = 104;
  t.s.InvincibleFrames = 5;
  t.s.Life = 10;
  CheckEnemyHits(t.g);
  EXPECT_EQ(t.s.EnemyShotState[0], 1);
  EXPECT_EQ(t.s.Life, 10);
}

TEST(Enemies, KillsPayPointsTimesTheChainAndFeedTheComboTimer) {
  Scene t;
  // First kill of a beetle with no chain running.
  PlaceEnemy(t.s, 0, 3, 1);
  PlaceShot(t.s, 0, 110, 110);
  t.s.ComboTimer = 0;
  CheckEnemyHits(t.g);
  EXPECT_EQ(t.s.Score, 5);
  EXPECT_EQ(t.s.Combo, 0);
  EXPECT_EQ(t.s.ComboTimer, 16);
  EXPECT_EQ(t.s.Enemies[0].Life(), -10);
  EXPECT_EQ(t.s.EnemiesShotDown, 1);
  EXPECT_EQ(t.s.PlayerShots[0].Active(), 0);

  // A blob hit once before, killed with the timer at 5 and the chain at 2.
  PlaceEnemy(t.s, 1, 1, 1);
  PlaceShot(t.s, 1, 110, 110);
  t.s.ComboTimer = 5;
  t.s.Combo = 2;
  t.s.Score = 0;
  CheckEnemyHits(t.g);
  EXPECT_EQ(t.s.ComboTimer, 13);
  EXPECT_EQ(t.s.Combo, 3);
  EXPECT_EQ(t.s.MaxCombo, 3);
  EXPECT_EQ(t.s.Score, 4);
  EXPECT_EQ(t.s.HiScore, 100);

  // Hits that do not kill push the timer past 39; the next kill caps it again.
  PlaceEnemy(t.s, 2, 2, 3);
  PlaceShot(t.s, 2, 110, 110);
  PlaceShot(t.s, 3, 115, 105);
  t.s.ComboTimer = 39;
  CheckEnemyHits(t.g);
  EXPECT_EQ(t.s.ComboTimer, 43);
  EXPECT_EQ(t.s.Enemies[2].Life(), 1);
  PlaceShot(t.s, 4, 110, 110);
  CheckEnemyHits(t.g);
  EXPECT_EQ(t.s.ComboTimer, 39);
  EXPECT_EQ(t.s.Combo, 4);

  // Shot edges: overlapping by one pixel hits, touching does not.
  PlaceEnemy(t.s, 5, 1, 2, 200, 200);
  PlaceShot(t.s, 5, 192, 200);  // 200 - 8: right edge touches the enemy's left edge
  PlaceShot(t.s, 6, 200, 184);  // 200 - 16: bottom edge touches its top edge
  CheckEnemyHits(t.g);
  EXPECT_EQ(t.s.Enemies[5].Life(), 2);
  PlaceShot(t.s, 7, 193, 185);
  CheckEnemyHits(t.g);
  EXPECT_EQ(t.s.Enemies[5].Life(), 1);
  EXPECT_GE(t.Sounds(sound::Hit), 3);
}

TEST(Enemies, TheHeartDropsFromDiversAndBeetlesAndRepairsTheShip) {
  Scene t;
  int appeared = 0;
  Entity source;
  source.X = 40;
  source.Y = 60;
  for (int n = 0; n < 20000; ++n) {
    t.s.Item = Entity{};
    ReleaseHeart(t.g, source);
    appeared += t.s.Item.Active();
    ASSERT_GE(t.s.Item.DY, 3);
    ASSERT_LE(t.s.Item.DY, 6);
  }
  EXPECT_NEAR(appeared / 20000.0, 1 - 0.5 / 0.65, 0.01);
  EXPECT_EQ(t.s.Item.X, 40);
  EXPECT_EQ(t.s.Item.SrcX, 32);
  EXPECT_EQ(t.s.Item.W, 16);

  // Blobs never drop it, and no numbers are drawn for it.
  Scene blob;
  PlaceEnemy(blob.s, 0, 1, 1);
  PlaceShot(blob.s, 0, 110, 110);
  const uint64_t draws = blob.random.Draws();
  CheckEnemyHits(blob.g);
  EXPECT_EQ(blob.random.Draws(), draws);

  // At 19 lives a heart still pays 2 points.
  t.s.Item = {.X = 150, .Y = 310, .State = 1, .W = 16, .H = 16, .DY = 3, .SrcX = 32, .SrcY = 16};
  t.s.Life = 19;
  t.s.Score = 0;
  MoveItem(t.g);
  EXPECT_EQ(t.s.Item.Active(), 0);
  EXPECT_EQ(t.s.Life, 19);
  EXPECT_EQ(t.s.Score, 2);

  // Past the bottom it is drawn once more and then gone.
  t.s.Item.Active() = 1;
  t.s.Item.X = 10;
  t.s.Item.Y = 398;
  MoveItem(t.g);
  EXPECT_EQ(t.s.Item.Y, 401);
  EXPECT_EQ(t.s.Item.Active(), 0);
}

TEST(Enemies, AHeartCaughtAsTheLastLifeGoesRevivesTheShip) {
  Scene t;
  t.s.Life = 1;
  ShipHit(t.g, true, t.s.EnemyShotState[0]);
  EXPECT_EQ(t.s.Life, 0);
  EXPECT_EQ(t.s.Player.State, -50);
  t.s.Item = {.X = 150, .Y = 310, .State = 1, .W = 16, .H = 16, .DY = 3, .SrcX = 32, .SrcY = 16};
  bool over = false;
  t.game.OnGameOver = [&] { over = true; };
  t.Frames(1);
  EXPECT_EQ(t.s.Life, 1);
  t.Frames(60);
  EXPECT_FALSE(over);
}

TEST(Enemies, TheDestroyedShipExplodesThirtyFiveFramesThenFifteenQuietOnes) {
  Scene t;
  t.s.BossInterval = 1000000;  // no boss in the way
  t.s.Life = 1;
  ShipHit(t.g, true, t.s.EnemyShotState[0]);
  const int damageBefore = t.Sounds(sound::Damage);
  uint64_t overAt = 0;
  t.game.OnGameOver = [&] { overAt = t.game.CurrentFrame(); };
  const uint64_t start = t.game.CurrentFrame();
  int frames = 0;
  while (t.game.RunFrame() && frames < 100) ++frames;
  EXPECT_EQ(overAt - start, 51u);
  EXPECT_EQ(t.Sounds(sound::Damage) - damageBefore, 35);
  EXPECT_EQ(t.game.PendingRequest(), Game::Request::Restart);
}

TEST(Enemies, OnlyAChainOfTenOrMoreShowsItsPopupWhenItRunsOut) {
  Scene t;
  t.s.Combo = 10;
  t.s.ComboTimer = 2;
  StartComboPopup(t.s);
  EXPECT_EQ(t.s.ComboPopupTimer, 0);  // still running
  StartComboPopup(t.s);
  EXPECT_EQ(t.s.ComboTimer, 0);
  EXPECT_EQ(t.s.ComboPopupTimer, 50);
  EXPECT_EQ(t.s.ComboPopupDigits, 3);
  EXPECT_EQ(t.s.ComboPopupValue, 10);
  StartComboPopup(t.s);  // a timer at 0 stays there and starts nothing again
  EXPECT_EQ(t.s.ComboTimer, 0);
  for (int frame = 0; frame < 50; ++frame) ComboPopup(t.g);
  EXPECT_EQ(t.s.ComboPopupTimer, 0);

  Scene nine;
  nine.s.Combo = 9;
  nine.s.ComboTimer = 1;
  StartComboPopup(nine.s);
  EXPECT_EQ(nine.s.ComboPopupTimer, 0);
}

TEST(Enemies, ExplosionsTakeFourRandomNumbersEachThreeForTheShipElevenForTheBoss) {
  Scene ship;
  ship.s.Player.State = -50;
  std::vector<uint64_t> draws;
  for (int frame = 0; frame < 51; ++frame) {
    const uint64_t before = ship.random.Draws();
    const bool goesOn = PlayDestroyedShip(ship.g);
    draws.push_back(ship.random.Draws() - before);
    EXPECT_EQ(goesOn, frame < 50) << frame;
  }
  EXPECT_EQ(draws[0], 12u);
  EXPECT_EQ(draws[34], 12u);
  EXPECT_EQ(draws[35], 0u);  // the quiet frames
  EXPECT_EQ(ship.s.Player.State, 0);

  Scene boss;
  boss.s.Boss.Life() = -25;
  boss.s.Boss.W = 64;
  const uint64_t start = boss.random.Draws();
  DestructionEffects(boss.g);
  EXPECT_EQ(boss.random.Draws() - start, 44u);
  boss.s.Boss.Life() = -4;
  const uint64_t flare = boss.random.Draws();
  DestructionEffects(boss.g);
  EXPECT_EQ(boss.random.Draws() - flare, 0u);
}

}  // namespace pelaryn
