// The settings window on the real widgets: what it shows, how its controls depend on each other,
// what the reset buttons do, and exactly what 更新, OK and 取り消し leave in the game.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "Modal.h"
#include "base/Platform.h"
#include "game/Game.h"
#include "platform/desktop/DesktopPlatform.h"
#include "platform/desktop/MainWindow.h"
#include "platform/desktop/ui/FrmConfig.h"
#include "render/Pictures.h"

namespace pelaryn {
namespace {

using testing::Child;
using testing::Click;
using testing::TextOf;

struct FakeHost : SettingsHost {
  GameState state;
  int reloads = 0;
  std::string pathAtReload;
  GameState& Settings() override { return state; }
  void ReloadBackground() override {
    ++reloads;
    pathAtReload = state.BackSetting.BackImagePath;
  }
};

struct ChooserCall {
  std::string Title;
  std::string Filter;
  std::string InitialDir;
};

GameState Sample() {
  GameState s;
  s.BackSetting.BackImagePath = "/pics/sky.bmp";
  s.BackSetting.ScrollYoko = -7;
  s.BackSetting.ScrollTate = 12;
  s.TitleBgm = {"/m/title.mid", true};
  s.Bgm[0] = {"/m/1.mid", false};
  s.Bgm[1] = {"/m/2.mid", true};
  s.BossBgm[0] = {"/m/sun.mid", true};
  s.BossBgm[1] = {"/m/moon.mid", false};
  s.InitialDifficulty = 37;
  s.DifficultySkip = 4;
  s.UseJoystick = true;
  s.JoySensitivity = 6000;
  s.TitleAnimation = false;
  return s;
}

class Config : public ::testing::Test {
 protected:
  FakeHost host;
  std::vector<ChooserCall> calls;
  std::string answer;
  std::unique_ptr<FrmConfig> window;

  void Open(const GameState& s) {
    host.state = s;
    window = std::make_unique<FrmConfig>(
        host, "/opt/game",
        [this](QWidget&, const std::string& title, std::string_view filter,
               const std::string& dir) {
          calls.push_back({title, std::string(filter), dir});
          return answer;
        },
        nullptr);
  }
  QScrollBar& Bar(const char* name) { return Child<QScrollBar>(*window, name); }
  QCheckBox& Check(const char* name) { return Child<QCheckBox>(*window, name); }
  QLineEdit& Edit(const char* name) { return Child<QLineEdit>(*window, name); }
  std::string Path(const char* name) { return Edit(name).text().toStdString(); }
  bool RenewEnabled() { return Child<QPushButton>(*window, "cmdRenew").isEnabled(); }
};

TEST_F(Config, OpensShowingTheSettingsWithApplyDisabled) {
  Open(Sample());
  EXPECT_EQ(window->windowTitle().toStdString(), "設定");
  EXPECT_EQ(Path("txtBack"), "/pics/sky.bmp");
  EXPECT_EQ(Bar("hscYoko").value(), -7);
  EXPECT_EQ(Bar("hscTate").value(), 12);
  EXPECT_EQ(TextOf(*window, "lblYoko"), "-7");
  EXPECT_EQ(TextOf(*window, "lblTate"), "12");
  EXPECT_FALSE(Check("chkKansei").isChecked());
  EXPECT_FALSE(Check("chkGuriguri").isChecked());
  EXPECT_TRUE(Bar("hscYoko").isEnabled());
  EXPECT_TRUE(Bar("hscTate").isEnabled());
  EXPECT_EQ(Path("txtBGMTitle"), "/m/title.mid");
  EXPECT_EQ(Path("txtBGM(0)"), "/m/1.mid");
  EXPECT_EQ(Path("txtBGM(1)"), "/m/2.mid");
  EXPECT_EQ(Path("txtBGMBoss(0)"), "/m/sun.mid");
  EXPECT_EQ(Path("txtBGMBoss(1)"), "/m/moon.mid");
  EXPECT_TRUE(Check("chkBGMTitle").isChecked());
  EXPECT_FALSE(Check("chkBGM1(0)").isChecked());
  EXPECT_FALSE(Edit("txtBGM(0)").isEnabled());
  EXPECT_TRUE(Edit("txtBGM(1)").isEnabled());
  EXPECT_TRUE(Check("chkBGMBoss(0)").isChecked());
  EXPECT_FALSE(Check("chkBGMBoss(1)").isChecked());
  EXPECT_FALSE(Edit("txtBGMBoss(1)").isEnabled());
  EXPECT_EQ(Bar("hscBossNumInt").value(), 37);
  EXPECT_EQ(TextOf(*window, "lblBossNumInt"), "37");
  EXPECT_EQ(Bar("hscBossSkip").value(), 4);
  EXPECT_EQ(TextOf(*window, "lblBossSkip"), "4");
  EXPECT_TRUE(Check("chkJoy").isChecked());
  EXPECT_TRUE(Bar("hscJoySence").isEnabled());
  EXPECT_EQ(Bar("hscJoySence").value(), 6000);
  EXPECT_FALSE(Check("chkTitleAnim").isChecked());
  EXPECT_FALSE(RenewEnabled());
}

TEST_F(Config, SlidersHaveTheirRangesAndSteps) {
  Open(Sample());
  const auto expect = [this](const char* name, int min, int max, int large) {
    EXPECT_EQ(Bar(name).minimum(), min) << name;
    EXPECT_EQ(Bar(name).maximum(), max) << name;
    EXPECT_EQ(Bar(name).pageStep(), large) << name;
  };
  expect("hscYoko", -20, 20, 5);
  expect("hscTate", -20, 20, 5);
  expect("hscBossNumInt", 0, 50, 10);
  expect("hscBossSkip", 0, 10, 2);
  expect("hscJoySence", 0, 32767, 2000);
  EXPECT_EQ(Bar("hscJoySence").singleStep(), 500);
}

TEST_F(Config, ZeroAndDefaultValuesShowTheirOwnNumbers) {
  GameState s = Sample();
  s.InitialDifficulty = 0;
  s.DifficultySkip = 0;
  s.BackSetting.ScrollYoko = 0;
  s.BackSetting.ScrollTate = 0;
  Open(s);
  EXPECT_EQ(TextOf(*window, "lblBossNumInt"), "0");
  EXPECT_EQ(TextOf(*window, "lblBossSkip"), "0");
  EXPECT_EQ(TextOf(*window, "lblYoko"), "0");
  EXPECT_EQ(TextOf(*window, "lblTate"), "0");
}

TEST_F(Config, InertiaAndDriftExcludeEachOtherAndLockTheSpeeds) {
  GameState s = Sample();
  s.BackSetting.Guriguri = true;
  Open(s);
  EXPECT_TRUE(Check("chkGuriguri").isChecked());
  EXPECT_FALSE(Bar("hscYoko").isEnabled());
  EXPECT_FALSE(Bar("hscTate").isEnabled());

  Check("chkKansei").click();
  EXPECT_TRUE(Check("chkKansei").isChecked());
  EXPECT_FALSE(Check("chkGuriguri").isChecked());
  EXPECT_FALSE(Bar("hscYoko").isEnabled());
  EXPECT_FALSE(Bar("hscTate").isEnabled());
  EXPECT_TRUE(RenewEnabled());

  Check("chkGuriguri").click();
  EXPECT_TRUE(Check("chkGuriguri").isChecked());
  EXPECT_FALSE(Check("chkKansei").isChecked());
  EXPECT_FALSE(Bar("hscYoko").isEnabled());

  Check("chkGuriguri").click();
  EXPECT_FALSE(Check("chkGuriguri").isChecked());
  EXPECT_TRUE(Bar("hscYoko").isEnabled());
  EXPECT_TRUE(Bar("hscTate").isEnabled());

  // A file with both options on opens with inertia only, as the second tick wins.
  s.BackSetting.Kansei = true;
  Open(s);
  EXPECT_TRUE(Check("chkKansei").isChecked());
  EXPECT_FALSE(Check("chkGuriguri").isChecked());
  EXPECT_FALSE(Bar("hscTate").isEnabled());
  EXPECT_FALSE(RenewEnabled());
}

TEST_F(Config, MusicRowsAndSensitivityFollowTheirBoxes) {
  GameState s = Sample();
  s.UseJoystick = false;
  Open(s);
  EXPECT_FALSE(Bar("hscJoySence").isEnabled());
  Check("chkJoy").click();
  EXPECT_TRUE(Bar("hscJoySence").isEnabled());
  EXPECT_TRUE(RenewEnabled());

  for (const char* row : {"BGMTitle", "BGM1(0)", "BGMBoss(1)"}) {
    const std::string check = std::string("chk") + row;
    std::string text = std::string("txt") + row;
    if (text == "txtBGM1(0)") text = "txtBGM(0)";
    const bool before = Check(check.c_str()).isChecked();
    Check(check.c_str()).click();
    EXPECT_EQ(Edit(text.c_str()).isEnabled(), !before) << row;
    Check(check.c_str()).click();
    EXPECT_EQ(Edit(text.c_str()).isEnabled(), before) << row;
  }
}

TEST_F(Config, ScrollNumbersWaitForTheThumbDifficultyNumbersFollowIt) {
  Open(Sample());
  QScrollBar& yoko = Bar("hscYoko");
  yoko.setSliderDown(true);
  yoko.setSliderPosition(15);
  EXPECT_EQ(TextOf(*window, "lblYoko"), "-7");
  yoko.setSliderDown(false);
  EXPECT_EQ(TextOf(*window, "lblYoko"), "15");
  EXPECT_TRUE(RenewEnabled());

  QScrollBar& level = Bar("hscBossNumInt");
  level.setSliderDown(true);
  level.setSliderPosition(21);
  EXPECT_EQ(TextOf(*window, "lblBossNumInt"), "21");
  level.setSliderDown(false);
  QScrollBar& skip = Bar("hscBossSkip");
  skip.triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(TextOf(*window, "lblBossSkip"), "6");
}

TEST_F(Config, EveryEditEnablesApplyAndApplyDisablesIt) {
  Open(Sample());
  QTest::keyClicks(&Edit("txtBack"), "x");
  EXPECT_TRUE(RenewEnabled());
  Click(*window, "cmdRenew");
  EXPECT_FALSE(RenewEnabled());
  Check("chkTitleAnim").click();
  EXPECT_TRUE(RenewEnabled());
  Click(*window, "cmdRenew");
  Bar("hscJoySence").triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_TRUE(RenewEnabled());
  Click(*window, "cmdRenew");
  Bar("hscTate").triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_TRUE(RenewEnabled());
}

TEST_F(Config, ResetButtonsChangeOnlyTheControls) {
  GameState s = Sample();
  s.BackSetting.Kansei = true;
  Open(s);
  Click(*window, "cmdNull");
  EXPECT_EQ(Path("txtBack"), "");
  EXPECT_TRUE(Check("chkKansei").isChecked());
  EXPECT_EQ(TextOf(*window, "lblTate"), "12");
  EXPECT_TRUE(RenewEnabled());

  Click(*window, "cmdDefo");
  EXPECT_EQ(Path("txtBack"), "/opt/game/back.bmp");
  EXPECT_EQ(Bar("hscYoko").value(), 0);
  EXPECT_EQ(Bar("hscTate").value(), 3);
  EXPECT_EQ(TextOf(*window, "lblYoko"), "0");
  EXPECT_EQ(TextOf(*window, "lblTate"), "3");
  EXPECT_FALSE(Check("chkKansei").isChecked());
  EXPECT_FALSE(Check("chkGuriguri").isChecked());
  EXPECT_TRUE(Bar("hscYoko").isEnabled());

  Check("chkGuriguri").click();
  Click(*window, "cmdNull");
  EXPECT_FALSE(Check("chkGuriguri").isChecked());

  Click(*window, "cmdDiffReset");
  EXPECT_EQ(Bar("hscBossNumInt").value(), 0);
  EXPECT_EQ(Bar("hscBossSkip").value(), 0);
  EXPECT_EQ(TextOf(*window, "lblBossNumInt"), "0");

  Click(*window, "cmdBGMReset");
  EXPECT_EQ(Path("txtBGMTitle"), "/opt/game/sound/title.mid");
  EXPECT_EQ(Path("txtBGM(0)"), "/opt/game/sound/1.mid");
  EXPECT_EQ(Path("txtBGM(1)"), "/opt/game/sound/2.mid");
  EXPECT_EQ(Path("txtBGMBoss(0)"), "/opt/game/sound/boss1.mid");
  EXPECT_EQ(Path("txtBGMBoss(1)"), "/opt/game/sound/boss2.mid");
  for (const char* box :
       {"chkBGMTitle", "chkBGM1(0)", "chkBGM1(1)", "chkBGMBoss(0)", "chkBGMBoss(1)"}) {
    EXPECT_TRUE(Check(box).isChecked()) << box;
  }
  EXPECT_TRUE(Edit("txtBGM(0)").isEnabled());

  EXPECT_EQ(host.reloads, 0);
  EXPECT_EQ(host.state.BackSetting.BackImagePath, "/pics/sky.bmp");
  EXPECT_EQ(host.state.InitialDifficulty, 37);
  EXPECT_EQ(host.state.Bgm[0].Path, "/m/1.mid");
}

// Sets every control away from Sample().
void EditEverything(FrmConfig& w) {
  Child<QLineEdit>(w, "txtBack").setText("/pics/new.jpg");
  Child<QScrollBar>(w, "hscYoko").setValue(-20);
  Child<QScrollBar>(w, "hscTate").setValue(5);
  Child<QCheckBox>(w, "chkGuriguri").click();
  Child<QLineEdit>(w, "txtBGMTitle").setText("/n/t.mid");
  Child<QCheckBox>(w, "chkBGMTitle").click();
  Child<QLineEdit>(w, "txtBGM(0)").setText("/n/a.mid");
  Child<QCheckBox>(w, "chkBGM1(0)").click();
  Child<QLineEdit>(w, "txtBGM(1)").setText("/n/b.mid");
  Child<QLineEdit>(w, "txtBGMBoss(0)").setText("/n/s.mid");
  Child<QCheckBox>(w, "chkBGMBoss(0)").click();
  Child<QLineEdit>(w, "txtBGMBoss(1)").setText("/n/m.mid");
  Child<QCheckBox>(w, "chkBGMBoss(1)").click();
  Child<QScrollBar>(w, "hscBossNumInt").setValue(50);
  Child<QScrollBar>(w, "hscBossSkip").setValue(10);
  Child<QScrollBar>(w, "hscJoySence").setValue(32767);
  Child<QCheckBox>(w, "chkJoy").click();
  Child<QCheckBox>(w, "chkTitleAnim").click();
}

TEST_F(Config, ApplyCopiesEveryControlAndRestartsTheBackground) {
  Open(Sample());
  window->show();
  EditEverything(*window);
  Click(*window, "cmdRenew");
  EXPECT_FALSE(window->isHidden());
  const GameState& s = host.state;
  EXPECT_EQ(s.BackSetting.BackImagePath, "/pics/new.jpg");
  EXPECT_EQ(s.BackSetting.ScrollYoko, -20);
  EXPECT_EQ(s.BackSetting.ScrollTate, 5);
  EXPECT_TRUE(s.BackSetting.Guriguri);
  EXPECT_FALSE(s.BackSetting.Kansei);
  EXPECT_EQ(host.reloads, 1);
  EXPECT_EQ(host.pathAtReload, "/pics/new.jpg");
  EXPECT_EQ(s.TitleBgm.Path, "/n/t.mid");
  EXPECT_FALSE(s.TitleBgm.Enabled);
  EXPECT_EQ(s.Bgm[0].Path, "/n/a.mid");
  EXPECT_TRUE(s.Bgm[0].Enabled);
  EXPECT_EQ(s.Bgm[1].Path, "/n/b.mid");
  EXPECT_TRUE(s.Bgm[1].Enabled);
  EXPECT_EQ(s.BossBgm[0].Path, "/n/s.mid");
  EXPECT_FALSE(s.BossBgm[0].Enabled);
  EXPECT_EQ(s.BossBgm[1].Path, "/n/m.mid");
  EXPECT_TRUE(s.BossBgm[1].Enabled);
  EXPECT_EQ(s.InitialDifficulty, 50);
  EXPECT_EQ(s.DifficultySkip, 10);
  EXPECT_FALSE(s.UseJoystick);
  EXPECT_EQ(s.JoySensitivity, 32767);
  EXPECT_TRUE(s.TitleAnimation);
  EXPECT_FALSE(RenewEnabled());
}

TEST_F(Config, OkAppliesAndClosesCancelDropsEveryEdit) {
  Open(Sample());
  window->show();
  Click(*window, "cmdOK");
  EXPECT_TRUE(window->isHidden());
  EXPECT_EQ(host.reloads, 1);  // unchanged settings are applied again: the scroll restarts
  EXPECT_EQ(host.state.InitialDifficulty, 37);

  Open(Sample());
  window->show();
  EditEverything(*window);
  Click(*window, "cmdCancel");
  EXPECT_TRUE(window->isHidden());
  EXPECT_EQ(host.reloads, 1);
  const GameState& s = host.state;
  const GameState before = Sample();
  EXPECT_EQ(s.BackSetting.BackImagePath, before.BackSetting.BackImagePath);
  EXPECT_EQ(s.BackSetting.ScrollYoko, before.BackSetting.ScrollYoko);
  EXPECT_EQ(s.BackSetting.Guriguri, before.BackSetting.Guriguri);
  EXPECT_EQ(s.TitleBgm.Path, before.TitleBgm.Path);
  EXPECT_EQ(s.Bgm[0].Enabled, before.Bgm[0].Enabled);
  EXPECT_EQ(s.BossBgm[1].Path, before.BossBgm[1].Path);
  EXPECT_EQ(s.InitialDifficulty, before.InitialDifficulty);
  EXPECT_EQ(s.JoySensitivity, before.JoySensitivity);
  EXPECT_EQ(s.UseJoystick, before.UseJoystick);
  EXPECT_EQ(s.TitleAnimation, before.TitleAnimation);
}

// A hand-edited file may hold numbers no slider can show: the thumb goes to the nearest end, the
// number stays and is shown, and only moving that slider (or its reset) replaces it.
TEST_F(Config, NumbersOutsideASliderAreKeptUntilItMoves) {
  GameState s = Sample();
  s.InitialDifficulty = 99;
  s.DifficultySkip = -3;
  s.BackSetting.ScrollYoko = 35;
  s.BackSetting.ScrollTate = -21;
  s.JoySensitivity = -1;
  Open(s);
  EXPECT_EQ(Bar("hscBossNumInt").value(), 50);
  EXPECT_EQ(TextOf(*window, "lblBossNumInt"), "99");
  EXPECT_EQ(Bar("hscBossSkip").value(), 0);
  EXPECT_EQ(TextOf(*window, "lblBossSkip"), "-3");
  EXPECT_EQ(Bar("hscYoko").value(), 20);
  EXPECT_EQ(TextOf(*window, "lblYoko"), "35");
  EXPECT_EQ(TextOf(*window, "lblTate"), "-21");
  EXPECT_FALSE(RenewEnabled());

  Click(*window, "cmdRenew");
  EXPECT_EQ(host.state.InitialDifficulty, 99);
  EXPECT_EQ(host.state.DifficultySkip, -3);
  EXPECT_EQ(host.state.BackSetting.ScrollYoko, 35);
  EXPECT_EQ(host.state.BackSetting.ScrollTate, -21);
  EXPECT_EQ(host.state.JoySensitivity, -1);

  Bar("hscBossNumInt").triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(TextOf(*window, "lblBossNumInt"), "49");
  Bar("hscJoySence").triggerAction(QAbstractSlider::SliderSingleStepAdd);
  Click(*window, "cmdDefo");
  EXPECT_EQ(TextOf(*window, "lblTate"), "3");
  Click(*window, "cmdDiffReset");
  EXPECT_EQ(TextOf(*window, "lblBossSkip"), "0");
  Click(*window, "cmdRenew");
  EXPECT_EQ(host.state.InitialDifficulty, 0);
  EXPECT_EQ(host.state.DifficultySkip, 0);
  EXPECT_EQ(host.state.BackSetting.ScrollYoko, 0);
  EXPECT_EQ(host.state.BackSetting.ScrollTate, 3);
  EXPECT_EQ(host.state.JoySensitivity, 500);
}

TEST_F(Config, BrowseButtonsAskWithTheirTitleFilterAndFolder) {
  GameState s = Sample();
  s.Bgm[1].Path = "sound/2.mid";
  s.BossBgm[0].Path = "";
  Open(s);
  answer = "/chosen/" + std::string(600, 'n') + ".mid";  // longer than any old path buffer
  Click(*window, "cmdBGM(1)");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Title, "BGMのオープン");
  EXPECT_EQ(calls[0].Filter, "MIDIファイル(*.mid)|*.mid");
  EXPECT_EQ(calls[0].InitialDir, "/opt/game/sound");
  EXPECT_EQ(Path("txtBGM(1)"), answer);
  EXPECT_TRUE(RenewEnabled());
  Click(*window, "cmdRenew");

  answer.clear();  // cancelled
  Click(*window, "cmdBGMBoss(0)");
  Click(*window, "cmdOpen");
  Click(*window, "cmdBGM_T");
  Click(*window, "cmdBGMBoss(1)");
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[1].Title, "ボス戦BGMのオープン");
  EXPECT_EQ(calls[1].InitialDir, "");
  EXPECT_EQ(calls[2].Title, "背景のオープン");
  EXPECT_EQ(calls[2].Filter, "画像ファイル(*.bmp,*.jpg,*.gif)|*.bmp;*.jpg;*.gif;*.png");
  EXPECT_EQ(calls[2].InitialDir, "/pics");
  EXPECT_EQ(calls[3].Title, "タイトルBGMのオープン");
  EXPECT_EQ(calls[4].InitialDir, "/m");
  EXPECT_EQ(Path("txtBack"), "/pics/sky.bmp");
  EXPECT_FALSE(RenewEnabled());
}

TEST_F(Config, EveryCaptionFits) {
  Open(Sample());
  testing::ExpectCaptionsFit(*window, "settings.png");
}

// Through the real menu and the real game: the window is modal, and what it applies reaches the
// game at once.
TEST(ConfigInTheGame, AppliedFromTheMenuTheGameShowsNoPictureAndStartsAtTheCorner) {
  Pictures pictures;
  ASSERT_TRUE(LoadEmbeddedPictures(pictures));
  MainWindow window;
  DesktopPlatform platform(window, pictures);
  Game game(platform, pictures);
  window.Attach(game);
  game.OnTitleStart = [&] { game.MenuCommand(MenuId::Start); };
  game.FormLoad();
  game.EnterMainLoop();
  game.State().BackSetting.OffsetX = 17;
  game.State().BackSetting.OffsetY = 23;
  const uint64_t frame = game.CurrentFrame();

  testing::OnNextModal<FrmConfig>([](FrmConfig& w) {
    EXPECT_TRUE(w.isModal());
    Click(w, "cmdNull");
    Child<QScrollBar>(w, "hscTate").setValue(-4);
    Click(w, "cmdOK");
  });
  game.MenuCommand(MenuId::Option);
  EXPECT_EQ(game.CurrentFrame(), frame);
  const GameState& s = game.State();
  EXPECT_EQ(s.BackSetting.BackImagePath, "");
  EXPECT_EQ(s.BackSetting.ScrollTate, -4);
  EXPECT_EQ(s.BackSetting.OffsetX, 0);
  EXPECT_EQ(s.BackSetting.OffsetY, 0);
  const Surface& back = game.BackgroundPicture();
  ASSERT_EQ(back.Width(), 300);
  ASSERT_EQ(back.Height(), 400);
  for (int y = 0; y < 400; y += 7) {
    for (int x = 0; x < 300; x += 7) ASSERT_EQ(back.Pixel(x, y), Rgb(0, 0, 0));
  }

  testing::OnNextModal<FrmConfig>([](FrmConfig& w) {
    Child<QScrollBar>(w, "hscTate").setValue(9);
    Click(w, "cmdCancel");
  });
  game.MenuCommand(MenuId::Option);
  EXPECT_EQ(s.BackSetting.ScrollTate, -4);
}

}  // namespace
}  // namespace pelaryn
