// When music plays, loops and changes, over the recording device of the headless platform.

#include "audio/Music.h"

#include <gtest/gtest.h>

#include "../TestGame.h"
#include "audio/SoundEffects.h"
#include "game/Phase.h"

namespace pelaryn {

using testing::Scene;

TEST(Music, TheDeviceKeepsOnePieceOpenAndLoopsItFromTheStart) {
  HeadlessPlatform p("");
  RecordingMusicDevice& music = p.RecordedMusic();
  PlayMusic(p, "a.mid");
  PlayMusic(p, "b.mid");  // the alias is taken: the open fails, the play acts on a.mid
  EXPECT_EQ(music.OpenPath(), "a.mid");
  EXPECT_TRUE(music.IsPlaying());
  KeepMusicLooping(p);
  EXPECT_EQ(music.Log().back(), "play");  // still playing: nothing to do
  music.FinishPiece();
  KeepMusicLooping(p);
  EXPECT_EQ(music.Log().back(), "play from 0");
  EXPECT_TRUE(music.IsPlaying());
  StopMusic(p);
  EXPECT_FALSE(music.IsOpen());
  const std::size_t commands = music.Log().size();
  KeepMusicLooping(p);  // nothing open: the query fails and nothing is sent
  EXPECT_EQ(music.Log().size(), commands);
  PlayMusic(p, "b.mid");
  EXPECT_EQ(music.OpenPath(), "b.mid");
}

TEST(Music, PlayMusicIsChosenAtRandomOnlyWhenBothSlotsAreEnabled) {
  Scene t;
  int first = 0;
  for (int game = 0; game < 4000; ++game) {
    StopMusic(t.platform);
    const uint64_t draws = t.random.Draws();
    StartPlayMusic(t.g);
    ASSERT_EQ(t.random.Draws() - draws, 1u);
    first += t.s.BgmIndex == 0 ? 1 : 0;
    ASSERT_EQ(t.platform.RecordedMusic().OpenPath(), t.s.Bgm[t.s.BgmIndex].Path);
  }
  EXPECT_NEAR(first / 4000.0, 0.5, 0.03);

  t.s.Bgm[0].Enabled = false;
  for (int game = 0; game < 20; ++game) {
    StopMusic(t.platform);
    const uint64_t draws = t.random.Draws();
    StartPlayMusic(t.g);
    EXPECT_EQ(t.random.Draws(), draws);
    EXPECT_EQ(t.s.BgmIndex, 1);
  }
  t.s.Bgm[1].Enabled = false;
  t.s.BgmIndex = 1;
  StopMusic(t.platform);
  StartPlayMusic(t.g);
  EXPECT_EQ(t.s.BgmIndex, 1);
  EXPECT_FALSE(t.platform.RecordedMusic().IsOpen());
}

TEST(Music, TheLoopKeepsOnlyEnabledMusicAliveAndBossesChangeIt) {
  Scene t;
  t.s.Life = 30000;
  RecordingMusicDevice& music = t.platform.RecordedMusic();
  ASSERT_TRUE(music.IsOpen());
  music.FinishPiece();
  t.Frames(1);
  EXPECT_TRUE(music.IsPlaying());  // looped from the start

  // A boss whose music is off: the play music stops and nothing plays during the fight.
  t.s.BossBgm[0].Enabled = false;
  t.s.BossBgm[1].Enabled = false;
  t.s.PhaseFrames = 1333;
  t.Frames(1);
  ASSERT_TRUE(t.s.BossActive);
  EXPECT_FALSE(music.IsOpen());
  t.Frames(5);
  EXPECT_FALSE(music.IsOpen());

  // Disabled play music never loops either.
  Scene quiet;
  quiet.s.Bgm[quiet.s.BgmIndex].Enabled = false;
  quiet.platform.RecordedMusic().FinishPiece();
  const std::size_t commands = quiet.platform.RecordedMusic().Log().size();
  quiet.Frames(3);
  EXPECT_EQ(quiet.platform.RecordedMusic().Log().size(), commands);
}

TEST(Music, EffectsAreSilentWhileSwitchedOffAndClearingFreesTheField) {
  Scene t;
  t.game.MenuCommand(MenuId::Se);
  PlaySoundEffect(t.g, sound::Hit, true);
  EXPECT_EQ(t.Sounds(sound::Hit), 0);
  t.game.MenuCommand(MenuId::Se);
  PlaySoundEffect(t.g, sound::Hit, false);
  EXPECT_EQ(t.Sounds(sound::Hit), 1);

  for (int i = 0; i < 11; ++i) {
    t.s.PlayerShots[i].Active() = 1;
    t.s.Enemies[i].Life() = 3;
    t.s.Enemies[i].DX = 5;
    t.s.EnemyShotState[i] = 1;
  }
  for (Entity& e : t.s.BossBombs) e.State = 5;
  for (Entity& e : t.s.BossBullets) e.State = 1;
  t.s.BossRain[0].State = 1;
  t.s.Item.Active() = 1;
  t.s.InvincibleFrames = 9;
  StopMusicAndClearField(t.g);
  EXPECT_FALSE(t.platform.RecordedMusic().IsOpen());
  EXPECT_EQ(t.s.InvincibleFrames, 0);
  EXPECT_EQ(t.s.PlayerShots[10].Active(), 0);
  EXPECT_EQ(t.s.Enemies[4].Life(), 0);
  EXPECT_EQ(t.s.Enemies[4].DX, 0);
  EXPECT_EQ(t.s.EnemyShotState[7], 0);
  EXPECT_EQ(t.s.BossBombs[3].State, 0);  // up to BossBombMax = 3
  EXPECT_EQ(t.s.BossBombs[4].State, 5);  // beyond it: untouched
  EXPECT_EQ(t.s.BossBullets[30].State, 0);
  EXPECT_EQ(t.s.BossBullets[31].State, 1);
  EXPECT_EQ(t.s.BossRain[0].State, 1);  // the needles are not the field's to clear
  EXPECT_EQ(t.s.Item.Active(), 1);      // nor is the heart
}

}  // namespace pelaryn
