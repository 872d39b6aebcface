#include <gtest/gtest.h>

#include "../TestGame.h"
#include "persist/GameFiles.h"
#include "persist/Ranking.h"

namespace pelaryn {
namespace {

struct MenuLook {
  int16_t Running;
  bool StartEnabled;
  bool PauseEnabled;
  bool PauseChecked;
  bool operator==(const MenuLook&) const = default;
};

MenuLook Look(const GameState& s) {
  return {s.Running, s.Menu.Enabled(MenuId::Start), s.Menu.Enabled(MenuId::Pause),
          s.Menu.Checked(MenuId::Pause)};
}

constexpr MenuLook TitleLook{0, true, false, false};
constexpr MenuLook RunningLook{1, false, true, false};
constexpr MenuLook PausedLook{0, false, true, true};

TEST(Menu, ItemsAreEnabledAndCheckedAsEachStateRequires) {
  testing::TestGame t(false);
  std::vector<MenuLook> looks;
  t.game.OnTitleStart = [&] {
    looks.push_back(Look(t.s));
    t.game.MenuCommand(MenuId::Pause);  // disabled on the title: nothing happens
    t.game.MenuCommand(MenuId::Start);
  };
  t.Start();
  looks.push_back(Look(t.s));
  t.Frames(2);
  t.platform.OnWait = [&] {
    looks.push_back(Look(t.s));
    t.game.MenuCommand(MenuId::Se);  // the switches work inside the pause too
    t.game.MenuCommand(MenuId::Autoshot);
    t.game.MenuCommand(MenuId::Start);  // disabled during a game
    t.game.MenuCommand(MenuId::Pause);
  };
  t.s.InitialDifficulty = 7;
  t.game.MenuCommand(MenuId::Pause);
  looks.push_back(Look(t.s));
  EXPECT_EQ(looks, (std::vector<MenuLook>{TitleLook, RunningLook, PausedLook, RunningLook}));
  EXPECT_FALSE(t.s.SoundEffectsOn);
  EXPECT_FALSE(t.s.Menu.Checked(MenuId::Se));
  EXPECT_TRUE(t.s.AutoShot);
  EXPECT_TRUE(t.s.Menu.Checked(MenuId::Autoshot));
  EXPECT_EQ(t.s.Level, 0);  // Start was ignored: it would have set the difficulty
}

TEST(Menu, ResetAndExitUnwindFromTheTitleThePauseAndTheGame) {
  testing::TestGame t(false);
  int titles = 0, games = 0;
  std::vector<std::string> order;
  t.game.OnTitleStart = [&] {
    ++titles;
    // The first title is reset at once; the others start a game.
    t.game.MenuCommand(titles == 1 ? MenuId::Reset : MenuId::Start);
  };
  t.game.OnGameStarted = [&](GameState&) { ++games; };
  t.platform.OnYield = [&] {
    if (t.game.InTitle() || t.game.CurrentFrame() != 5) return;
    if (games == 1) {
      order.push_back("reset in play");
      t.game.MenuCommand(MenuId::Reset);
    } else if (games == 2) {
      order.push_back("pause");
      t.game.MenuCommand(MenuId::Pause);
    }
  };
  int waits = 0;
  t.platform.OnWait = [&] {
    ++waits;
    if (games == 3) t.game.MenuCommand(MenuId::Se);  // only program end can save this
    t.game.MenuCommand(games == 2 ? MenuId::Reset : MenuId::Exit);
    order.push_back(games == 2 ? "reset in pause" : "exit in pause");
  };
  t.platform.OnYield = [&, first = t.platform.OnYield] {
    first();
    if (games == 3 && t.game.CurrentFrame() == 3) t.game.MenuCommand(MenuId::Pause);
  };
  EXPECT_EQ(t.game.Run(), 0);
  EXPECT_EQ(titles, 4);
  EXPECT_EQ(games, 3);
  EXPECT_EQ(waits, 2);
  EXPECT_EQ(order, (std::vector<std::string>{"reset in play", "pause", "reset in pause",
                                             "exit in pause"}));
  // Program end stopped the music and wrote both files.
  EXPECT_FALSE(t.platform.RecordedMusic().IsOpen());
  EXPECT_TRUE(DecodeFileText(*t.platform.Files().Read(SettingsFileName)).starts_with("#FALSE#"));
  EXPECT_TRUE(t.platform.Files().Read(RankingFileName).has_value());
}

TEST(StartUp, ReadsBothFilesOverTheDefaultsAndTakesTheHighScoreFromTheRanking) {
  testing::TestGame t(false);
  std::string error;
  t.platform.Files().Write(SettingsFileName, "#FALSE#,#TRUE#,#FALSE#,12,3\r\n", error);
  t.platform.Files().Write(RankingFileName, "\"TOP\",1234,5,6\r\n", error);
  t.Start();
  EXPECT_FALSE(t.s.SoundEffectsOn);
  EXPECT_FALSE(t.s.Menu.Checked(MenuId::Se));
  EXPECT_TRUE(t.s.AutoShot);
  EXPECT_TRUE(t.s.Menu.Checked(MenuId::Autoshot));
  EXPECT_EQ(t.s.Level, 12);  // Start takes the initial difficulty
  EXPECT_EQ(t.s.DifficultySkip, 3);
  EXPECT_EQ(t.s.Ranking[0].Name, "TOP");
  EXPECT_EQ(t.s.HiScore, 1234);
  EXPECT_EQ(t.s.Ranking[1].Score, 90);
  EXPECT_EQ(t.s.BackSetting.ScrollTate, 3);  // the file ended before line 2
}

TEST(Menu, ResetEmptiesTheBackgroundSavesAndClearsTheFieldButNotItsPicture) {
  testing::TestGame t;
  t.s.SoundEffectsOn = false;  // changed in memory only, as the menu would
  t.Frames(30);
  const Surface before = t.game.PlayField();
  t.game.MenuCommand(MenuId::Reset);
  EXPECT_EQ(t.game.PendingRequest(), Game::Request::Restart);
  EXPECT_TRUE(t.game.BackgroundPicture().Empty());
  EXPECT_FALSE(t.platform.RecordedMusic().IsOpen());
  for (const Entity& enemy : t.s.Enemies) EXPECT_EQ(enemy.State, 0);
  EXPECT_EQ(t.game.PlayField().Pixel(150, 200), before.Pixel(150, 200));
  const std::string saved = DecodeFileText(*t.platform.Files().Read(SettingsFileName));
  EXPECT_TRUE(saved.starts_with("#FALSE#,")) << saved;
}

// Plays until the ship's last explosion has run out.
void PlayToGameOver(testing::TestGame& t) {
  bool over = false;
  t.game.OnGameOver = [&] { over = true; };
  t.s.Life = 0;
  for (int i = 0; i < 2000 && !over; ++i) t.game.RunFrame();
  ASSERT_TRUE(over);
}

TEST(GameOver, TheResultTheNameTheRankingAndTheFilesInThatOrder) {
  testing::TestGame t;
  t.platform.RecordedDialogs().SetName("AB\"C");
  t.s.Score = 95;
  t.s.MaxCombo = 12;
  t.s.EnemiesAppeared = 9;
  t.s.EnemiesShotDown = 7;
  PlayToGameOver(t);
  const auto& shown = t.platform.RecordedDialogs().Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].Kind, "Message");
  EXPECT_EQ(shown[0].Title, "pelaryn");
  EXPECT_EQ(shown[0].Text, "おしまい\r\n撃墜率 : 77%");
  EXPECT_EQ(shown[1].Kind, "Input");
  EXPECT_EQ(shown[1].Title, "NAME ENTRY");
  EXPECT_EQ(shown[1].Text,
            "2位にランクインです！\r\n名前を入力してください\r\n"
            "（半角なら６文字程度、全角なら４文字以内にしてください）");
  EXPECT_EQ(shown[2].Kind, "Ranking");
  EXPECT_EQ(t.s.ShotRatio, 77);
  EXPECT_EQ(t.s.Ranking[0].Score, 100);
  EXPECT_EQ(t.s.Ranking[1].Name, "AB”C");  // one field in the file, and it reads the same
  EXPECT_EQ(t.s.Ranking[2].Score, 90);
  EXPECT_EQ(t.s.Ranking[9].Score, 20);
  const std::string bytes = *t.platform.Files().Read(RankingFileName);
  EXPECT_NE(bytes.find("\"AB\x81\x68"
                       "C\",95,12,77\r\n"),
            std::string::npos);
  EXPECT_EQ(t.game.PendingRequest(), Game::Request::Restart);
  EXPECT_EQ(t.game.PlayField().Pixel(150, 200), Rgb(0, 0, 0));
}

TEST(GameOver, AScoreThatReachesNoPlaceOnlyShowsTheResultAndStillSaves) {
  testing::TestGame t;
  t.s.Score = 10;  // equal to the last place is not enough
  PlayToGameOver(t);
  const auto& shown = t.platform.RecordedDialogs().Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, "おしまい\r\n撃墜率 : 0%");  // no enemy appeared
  EXPECT_EQ(DecodeFileText(*t.platform.Files().Read(RankingFileName)), RankingFileText(t.s));
}

TEST(Ranking, PlacesRatiosAndNames) {
  GameState s;
  ResetRanking(s);
  EXPECT_EQ(RankingPlace(s, 100), 1);  // equal to the first goes below it
  EXPECT_EQ(RankingPlace(s, 101), 0);
  EXPECT_EQ(RankingPlace(s, 11), 9);
  EXPECT_EQ(RankingPlace(s, 10), std::nullopt);
  InsertRankEntry(s, 9, 11, 50, 3);
  EXPECT_EQ(s.Ranking[8].Score, 20);
  EXPECT_EQ(s.Ranking[9].Score, 11);
  EXPECT_EQ(s.Ranking[9].ShotRatio, 50);
  EXPECT_EQ(s.Ranking[9].MaxCombo, 3);
  InsertRankEntry(s, 0, 500, 1, 2);
  EXPECT_EQ(s.Ranking[0].Score, 500);
  EXPECT_EQ(s.Ranking[1].Score, 100);
  EXPECT_EQ(s.Ranking[9].Score, 20);  // the old last row fell off

  EXPECT_EQ(ComputeShotRatio(7, 9), 77);
  EXPECT_EQ(ComputeShotRatio(0, 0), 0);
  EXPECT_EQ(ComputeShotRatio(5, -3), 0);
  EXPECT_EQ(ComputeShotRatio(2147483647, 2147483647), 100);  // no overflow on the way
  EXPECT_EQ(ComputeShotRatio(2147483647, 1), 100);
  EXPECT_EQ(ComputeShotRatio(-4, 9), 0);

  EXPECT_EQ(RankingName("\"quoted\""), "”quoted”");
  EXPECT_EQ(RankingName("名前"), "名前");

  s.HiScore = 5000;
  ResetRanking(s);
  EXPECT_EQ(s.HiScore, 100);
  EXPECT_EQ(s.Ranking[0].Name, "KEVA");
  EXPECT_EQ(s.Ranking[9].Score, 10);
}

}  // namespace
}  // namespace pelaryn
