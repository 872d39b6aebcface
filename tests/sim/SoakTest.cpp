// Long games under the sanitizers: a restless player through five boss fights at the lowest and
// at a high starting difficulty, checking after every frame what must always hold.

#include <gtest/gtest.h>

#include <random>

#include "../TestGame.h"

namespace pelaryn {
namespace {

// Steers under the boss when there is one, wanders otherwise, dodges up and down at random and
// fires all the time. The lives are topped up so that the game never ends.
class RestlessPlayer {
 public:
  explicit RestlessPlayer(unsigned seed) : random_(seed) {}

  KeyScript NextFrame(const GameState& s, uint64_t frame) {
    if (frame % 30 == 0) targetX_ = std::uniform_int_distribution<int>(0, 284)(random_);
    const int goal = s.BossActive ? s.Boss.X + s.Boss.W / 2 - 8 : targetX_;
    KeyScript keys;
    if (s.Player.X > goal + 3) keys.Hold(frame, frame, vk::Left);
    if (s.Player.X < goal - 3) keys.Hold(frame, frame, vk::Right);
    const int vertical = std::uniform_int_distribution<int>(0, 9)(random_);
    if (vertical == 0) keys.Hold(frame, frame, vk::Numpad8);
    if (vertical == 1 || s.Player.Y < 250) keys.Hold(frame, frame, vk::Down);
    keys.Hold(frame, frame, vk::Z);
    if (frame % 7 == 0) keys.Hold(frame, frame, vk::X);
    return keys;
  }

 private:
  std::mt19937 random_;
  int targetX_ = 150;
};

void CheckInvariants(const GameState& s) {
  ASSERT_GE(s.BossBulletMax, 0);
  ASSERT_LT(s.BossBulletMax, BossBulletCount);
  ASSERT_GE(s.BossBombMax, 0);
  ASSERT_LT(s.BossBombMax, BossBombCount);
  ASSERT_GE(s.BossRainMax, 0);
  ASSERT_LT(s.BossRainMax, BossRainCount);
  ASSERT_EQ(s.BossActive, s.Boss.Life() > 0);
  ASSERT_GE(s.Boss.Life(), -25);
  ASSERT_LE(s.PhaseFrames, s.BossActive ? 445 : 1334);
  ASSERT_LE(s.EnemiesShotDown, s.EnemiesAppeared);
  ASSERT_GE(s.HiScore, s.Score);
  ASSERT_LE(s.Life, 19);
  ASSERT_GE(s.ComboTimer, 0);
  ASSERT_TRUE(s.Item.Active() == 0 || s.Item.Active() == 1);
  ASSERT_TRUE(s.Player.X >= 0 && s.Player.X <= 284 && s.Player.Y >= 0 && s.Player.Y <= 368);
  for (int i = 0; i < EnemyCount; ++i) {
    const Entity& e = s.Enemies[i];
    ASSERT_GE(e.Life(), -10);
    ASSERT_LE(e.Life(), 4);
    if (e.Life() > 0) {
      ASSERT_TRUE(e.Kind >= 1 && e.Kind <= 3);
    }
    ASSERT_TRUE(s.EnemyShotState[i] == 0 || s.EnemyShotState[i] == 1);
  }
  for (const Entity& shot : s.PlayerShots) ASSERT_TRUE(shot.Active() == 0 || shot.Active() == 1);
}

void PlayFiveBosses(int difficulty, int skip) {
  testing::TestGame t(false);
  t.game.OnSettingsLoaded = [&](GameState& s) {
    s.InitialDifficulty = static_cast<int16_t>(difficulty);
    s.DifficultySkip = static_cast<int16_t>(skip);
    s.AutoShot = true;
  };
  t.Start();
  ASSERT_EQ(t.s.Level, difficulty);
  RestlessPlayer player(static_cast<unsigned>(difficulty * 31 + skip));
  int defeats = 0;
  int16_t level = t.s.Level;
  bool over = false;
  t.game.OnGameOver = [&] { over = true; };
  for (uint64_t frame = 1; frame <= 60000 && defeats < 5; ++frame) {
    t.platform.SetKeys(player.NextFrame(t.s, frame));
    if (t.s.Life < 3) t.s.Life = 10;
    ASSERT_TRUE(t.game.RunFrame());
    ASSERT_NO_FATAL_FAILURE(CheckInvariants(t.s)) << "frame " << frame;
    if (t.s.Level != level) {
      ASSERT_EQ(t.s.Level, level + 1 + skip);
      level = t.s.Level;
      ++defeats;
    }
  }
  EXPECT_FALSE(over);
  EXPECT_EQ(defeats, 5);
}

}  // namespace

TEST(Soak, FiveBossFightsFromTheLowestDifficultyWithSkips) {
  PlayFiveBosses(0, 2);
}

TEST(Soak, FiveBossFightsFromDifficultyFifty) {
  PlayFiveBosses(50, 0);
}

}  // namespace pelaryn
