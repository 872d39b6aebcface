// The frame skeleton: start-up defaults, the animation clock, the scroll-speed rules, the ship
// and the hit effect, as the running game shows them.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "../ScratchPath.h"
#include "../TestGame.h"
#include "platform/picture/PictureFile.h"
#include "player/Scroll.h"
#include "replay/StateCodec.h"

namespace pelaryn {

using testing::TestGame;

TEST(Frame, StartUpGivesTheDefaultGame) {
  TestGame t;
  const GameState& s = t.s;
  EXPECT_EQ(s.Player.X, 150);
  EXPECT_EQ(s.Player.Y, 320);
  EXPECT_EQ(s.HiScore, 100);
  EXPECT_EQ(s.Ranking[9].Score, 10);
  EXPECT_EQ(s.Ranking[3].Name, "KEVA");
  EXPECT_EQ(s.Running, 1);
  EXPECT_EQ(s.FramePeriod, 45);
  EXPECT_EQ(s.BackSetting.ScrollTate, 3);
  for (const BgmEntry* e : {&s.TitleBgm, &s.Bgm[0], &s.Bgm[1], &s.BossBgm[0], &s.BossBgm[1]}) {
    EXPECT_TRUE(e->Enabled);
  }
  EXPECT_EQ(s.Bgm[1].Path, std::string(PELARYN_RUNTIME_DIR) + "/sound/2.mid");
  EXPECT_FALSE(s.Menu.Enabled(MenuId::Start));
  EXPECT_TRUE(s.Menu.Enabled(MenuId::Pause));
  EXPECT_TRUE(s.Menu.Checked(MenuId::Se));
  EXPECT_FALSE(s.Menu.Checked(MenuId::Autoshot));
  EXPECT_EQ(t.game.BackgroundPicture().Width() >= 300, true);
}

TEST(Frame, ValuesStartUpDoesNotSetCarryOverIntoTheNextGame) {
  TestGame t;
  t.Frames(7);
  t.s.ComboTimer = 5;
  t.s.BackSetting.OffsetX = 42;
  t.s.Boss.X = 77;
  const int16_t blinkStep = t.s.BlinkStep;
  t.s.Life = 3;
  t.Start();
  EXPECT_EQ(t.s.ComboTimer, 5);
  EXPECT_EQ(t.s.BackSetting.OffsetX, 42);
  EXPECT_EQ(t.s.Boss.X, 77);
  EXPECT_EQ(t.s.BlinkStep, blinkStep);
  EXPECT_EQ(t.s.Life, 10);
}

TEST(Frame, TheAnimationClockAlternatesElevenFramesEach) {
  TestGame t;
  std::string frames;
  for (int i = 0; i < 44; ++i) {
    t.Frames(1);
    frames += static_cast<char>('0' + t.s.BlinkFrame);
    ASSERT_GE(t.s.BlinkPhase, 0);
    ASSERT_LE(t.s.BlinkPhase, 11);
  }
  // The phase starts at 0 with no step yet, so the very first half-period is one frame longer.
  EXPECT_EQ(frames, "00000011111111111000000000001111111111100000");
}

TEST(Frame, GuriguriRoundsTiesToEvenAndKeepsSpeedsWithinTwenty) {
  EXPECT_EQ(GuriguriStep(3, 0.25), 4);   // 4.5 -> 4
  EXPECT_EQ(GuriguriStep(3, 0.75), 2);   // 1.5 -> 2
  EXPECT_EQ(GuriguriStep(20, 0.0), 23);  // the limit comes afterwards

  TestGame t;
  t.s.BackSetting.Guriguri = true;
  t.s.BackSetting.ScrollYoko = 20;
  t.s.BackSetting.ScrollTate = -20;
  const uint64_t drawsBefore = t.game.RandomSource().Draws();
  t.Frames(40);  // the quiet start of the phase: only the walk draws
  EXPECT_EQ(t.game.RandomSource().Draws() - drawsBefore, 80u);
  for (int i = 0; i < 3000; ++i) {
    t.Frames(1);
    ASSERT_LE(std::abs(t.s.BackSetting.ScrollYoko), 20);
    ASSERT_LE(std::abs(t.s.BackSetting.ScrollTate), 20);
  }
}

TEST(Frame, InertiaRunsASpeedDownOneStepEveryFifthFrame) {
  TestGame t;
  t.s.BackSetting.Kansei = true;
  t.s.BackSetting.ScrollTate = 12;
  t.s.BackSetting.ScrollYoko = -2;
  t.Frames(1);  // PhaseFrames 0 before this frame: the first decay
  EXPECT_EQ(t.s.BackSetting.ScrollTate, 11);
  EXPECT_EQ(t.s.BackSetting.ScrollYoko, -1);
  t.Frames(54);  // decays on frames 6, 11, ... 51
  EXPECT_EQ(t.s.BackSetting.ScrollTate, 1);
  EXPECT_EQ(t.s.BackSetting.ScrollYoko, 0);
  t.Frames(1);
  EXPECT_EQ(t.s.BackSetting.ScrollTate, 0);
  t.Frames(20);
  EXPECT_EQ(t.s.BackSetting.ScrollTate, 0);
}

TEST(Frame, TheShipStandsAtItsPlaceAndAHitPlaysSixFramesOfEffect) {
  TestGame t;
  t.s.BackSetting.ScrollTate = 0;
  t.Frames(1);
  // The ship's opaque pixels are on the field exactly where the sheet has them.
  const SpriteSheet& sheet = t.Sheet();
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (sheet.Mask.Pixel(x, y) == Rgb(0, 0, 0)) {
        ASSERT_EQ(t.Field().Pixel(150 + x, 320 + y), sheet.Chr.Pixel(x, y));
      }
    }
  }
  Surface plain = t.Field();

  t.s.HitFlash = -6;
  std::vector<int16_t> flash;
  std::vector<bool> allRed;
  std::vector<bool> changed;
  for (int i = 0; i < 7; ++i) {
    t.Frames(1);
    flash.push_back(t.s.HitFlash);
    bool red = true, differs = false;
    for (int y = 100; y < 400; y += 9) {
      for (int x = 0; x < 300; x += 7) red = red && t.Field().Pixel(x, y) == Rgb(255, 0, 0);
    }
    for (int y = 320; y < 352; ++y) {
      for (int x = 142; x < 174; ++x)
        differs = differs || t.Field().Pixel(x, y) != plain.Pixel(x, y);
    }
    allRed.push_back(red);
    changed.push_back(differs);
  }
  EXPECT_EQ(flash, (std::vector<int16_t>{-5, -4, -3, -2, -1, 0, 0}));
  EXPECT_EQ(allRed, (std::vector<bool>{false, true, false, false, false, false, false}));
  // Ring, flash, flare, flare, then nothing (the cell lies beyond the sheet).
  EXPECT_EQ(changed, (std::vector<bool>{true, true, true, true, false, false, false}));
}

}  // namespace pelaryn

namespace pelaryn {

TEST(Frame, AFinishedGameStartsTheNextFromScratchWithoutNesting) {
  testing::TestGame t(false);
  int games = 0, overs = 0;
  std::vector<int16_t> livesAtStart;
  t.game.OnGameStarted = [&](GameState& s) {
    ++games;
    livesAtStart.push_back(s.Life);
    s.Life = 1;  // the first shot that lands ends it
  };
  t.game.OnGameOver = [&] {
    if (++overs == 2) t.game.RequestExit();
  };
  EXPECT_EQ(t.game.Run(), 0);
  EXPECT_EQ(games, 2);
  EXPECT_EQ(overs, 2);
  EXPECT_EQ(livesAtStart, (std::vector<int16_t>{10, 10}));
  EXPECT_FALSE(t.platform.RecordedMusic().IsOpen());
}

TEST(Frame, UnreadableBackgroundsLeaveABlackField) {
  const testing::ScratchFolder scratch("frame");
  const std::string dir = scratch.Path().string();
  const std::string text = dir + "/pelaryn-not-a-picture.bmp";
  std::ofstream(text) << "this is not a picture";
  // A BMP header that promises 100000 x 100000 pixels.
  const std::string huge = dir + "/pelaryn-huge.bmp";
  {
    unsigned char header[54] = {'B', 'M'};
    header[10] = 54;
    header[14] = 40;
    const uint32_t side = 100000;
    std::memcpy(header + 18, &side, 4);
    std::memcpy(header + 22, &side, 4);
    header[26] = 1;
    header[28] = 24;
    std::ofstream(huge, std::ios::binary).write(reinterpret_cast<const char*>(header), 54);
  }
  for (const std::string& path : {std::string(), dir + "/pelaryn-missing.bmp", text, huge}) {
    Surface out;
    std::string why;
    EXPECT_FALSE(LoadPictureFile(path, out, why)) << path;
    testing::TestGame t(false);
    t.game.OnSettingsLoaded = [&](GameState& s) { s.BackSetting.BackImagePath = path; };
    t.Start();
    EXPECT_EQ(t.game.BackgroundPicture().Width(), 300);
    EXPECT_EQ(t.game.BackgroundPicture().Height(), 400);
    t.Frames(1);
    EXPECT_EQ(t.Field().Pixel(10, 390), Rgb(0, 0, 0)) << path;
  }
}

}  // namespace pelaryn

namespace pelaryn {

// The gentler flash is the player's picture only: the same game, frame for frame, and the same
// pictures but for the hit's red frame.
TEST(Frame, AGentleFlashChangesTheHitsRedFrameAndNothingElse) {
  testing::TestGame plain;
  testing::TestGame gentle;
  gentle.game.SetGentleFlash(true);
  for (testing::TestGame* t : {&plain, &gentle}) {
    t->Frames(30);
    t->s.HitFlash = -6;
  }
  for (int n = 0; n < 10; ++n) {
    plain.Frames(1);
    gentle.Frames(1);
    ASSERT_EQ(StateFingerprint(plain.s, plain.game.RandomSource()),
              StateFingerprint(gentle.s, gentle.game.RandomSource()))
        << n;
    const bool same =
        std::equal(plain.Field().Data(), plain.Field().Data() + 300 * 400, gentle.Field().Data());
    EXPECT_EQ(same, n != 1) << n;
  }
}

}  // namespace pelaryn
