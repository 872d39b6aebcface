// The windows in English: which language a system gets, the core's messages in both languages,
// and every window built in English with no Japanese left and no text cut off.

#include <gtest/gtest.h>

#include <QFontInfo>

#include <QAbstractButton>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

#include "base/GameState.h"
#include "base/Messages.h"
#include "platform/desktop/Language.h"
#include "platform/desktop/MainWindow.h"
#include "platform/desktop/ui/CoreTexts.h"
#include "platform/desktop/ui/FrmConfig.h"
#include "platform/desktop/ui/FrmControls.h"
#include "platform/desktop/ui/FrmRanking.h"
#include "platform/desktop/ui/FrmReplay.h"
#include "platform/desktop/ui/FrmVersion.h"
#include "render/Surface.h"
#include "replay/ReplayVerdict.h"

namespace pelaryn {
namespace {

TEST(Language, TheFirstSystemLanguageWeHaveWinsAndJapaneseOtherwise) {
  struct Case {
    QStringList system;
    LanguageChoice choice;
    Language expected;
  };
  const Case cases[] = {
      {{"en-GB", "ja-JP"}, LanguageChoice::System, Language::English},
      {{"en_US"}, LanguageChoice::System, Language::English},
      {{"ja-JP", "en-US"}, LanguageChoice::System, Language::Japanese},
      {{"fr-FR", "en-US", "ja"}, LanguageChoice::System, Language::English},
      {{"fr-FR", "de"}, LanguageChoice::System, Language::Japanese},
      {{"C"}, LanguageChoice::System, Language::Japanese},
      {{}, LanguageChoice::System, Language::Japanese},
      {{"EN"}, LanguageChoice::System, Language::English},
      {{"ja-JP"}, LanguageChoice::English, Language::English},
      {{"en-US"}, LanguageChoice::Japanese, Language::Japanese},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChosenLanguage(c.choice, c.system), c.expected) << c.system.join(',').toStdString();
  }
  for (const LanguageChoice choice :
       {LanguageChoice::System, LanguageChoice::Japanese, LanguageChoice::English}) {
    LanguageChoice read = LanguageChoice::System;
    ASSERT_TRUE(LanguageChoiceFromText(LanguageChoiceText(choice), read));
    EXPECT_EQ(read, choice);
  }
  LanguageChoice unchanged = LanguageChoice::English;
  EXPECT_FALSE(LanguageChoiceFromText(QStringLiteral("fr"), unchanged));
  EXPECT_EQ(unchanged, LanguageChoice::English);
}

const Message kMessages[] = {
    {MessageId::GameOver, 48, ""},
    {MessageId::RankingEntry, 3, ""},
    {MessageId::SaveFailed, 0, "pelaryn.cfg: disk full"},
    {MessageId::ReplayDiffers, 1234, "0.99"},
    {MessageId::ReplayOtherVersion, 0, "0.98"},
    {MessageId::ReplayEndingClaimed, 0, ""},
    {MessageId::ReplayScoreClaimed, 5035, "35"},
    {MessageId::ReplayComboClaimed, 12, "11"},
    {MessageId::ReplayRatioClaimed, 40, "41"},
    {MessageId::ReplayLevelClaimed, 13, "12"},
};

TEST(Language, TheCoresMessagesAreTheGamesOwnWordsInJapaneseAndEnglishInEnglish) {
  // Japanese: the desktop says exactly what the game's own table says, and the menu is the
  // game's menu table.
  for (const Message& m : kMessages) {
    EXPECT_EQ(MessageBodyText(m).toStdString(), MessageText(m));
    EXPECT_EQ(MessageTitleText(m.Id).toStdString(), MessageTitle(m.Id));
  }
  for (const ReplayFault fault : {ReplayFault::NotReplay, ReplayFault::OtherFormat,
                                  ReplayFault::CutShort, ReplayFault::Damaged}) {
    EXPECT_EQ(ReplayFaultWords(fault).toStdString(), ReplayFaultText(fault));
  }
  EXPECT_EQ(OtherVersionWords().toStdString(), OtherVersionText());
  for (std::size_t i = 0; i < MenuItems.size(); ++i) {
    EXPECT_STREQ(MenuCaptionSources()[i], MenuItems[i].Caption) << i;
  }
  Translation english;
  ASSERT_TRUE(english.Use(Language::English));
  EXPECT_EQ(MessageBodyText(kMessages[0]), QStringLiteral("Game over — enemies destroyed: 48%"));
  EXPECT_EQ(MessageBodyText(kMessages[1]),
            QStringLiteral("You made No. 3 in the ranking!\nEnter your name (about six letters)"));
  EXPECT_EQ(MenuCaption(MenuId::Start), QStringLiteral("Start"));
  EXPECT_EQ(MenuCaption(MenuId::Exit), QStringLiteral("E&xit"));
  EXPECT_TRUE(english.Use(Language::Japanese));
  EXPECT_EQ(MenuCaption(MenuId::Start), QStringLiteral("スタート"));
}

bool HasJapanese(const QString& text) {
  static const QRegularExpression japanese(
      QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
  return japanese.match(text).hasMatch();
}

// Every text a player reads in `window` and its children: none Japanese (the language list
// names Japanese in Japanese, on purpose), none wider than the room it was given.
void ExpectEnglish(QWidget& window, const char* name) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window)) << name;
  EXPECT_FALSE(HasJapanese(window.windowTitle()))
      << name << ": " << window.windowTitle().toStdString();
  auto check = [&](const QString& text, const QWidget* widget) {
    EXPECT_FALSE(HasJapanese(text))
        << name << " " << widget->objectName().toStdString() << ": " << text.toStdString();
  };
  auto fits = [&](const QString& text, const QWidget* widget) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
      widest = std::max(widest, widget->fontMetrics().horizontalAdvance(line));
    }
    EXPECT_LE(widest, widget->width()) << name << " cuts " << text.toStdString();
  };
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    if (!label->isVisible()) continue;
    check(label->text(), label);
    if (!label->wordWrap() && label->pixmap().isNull()) fits(label->text(), label);
  }
  for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    if (!button->isVisible()) continue;
    check(button->text(), button);
    fits(button->text(), button);
  }
  for (const QGroupBox* box : window.findChildren<QGroupBox*>()) check(box->title(), box);
  for (const QTableWidget* table : window.findChildren<QTableWidget*>()) {
    for (int c = 0; c < table->columnCount(); ++c) {
      if (const QTableWidgetItem* item = table->horizontalHeaderItem(c)) check(item->text(), table);
    }
  }
  for (const QComboBox* combo : window.findChildren<QComboBox*>()) {
    if (combo->currentText() != QStringLiteral("日本語")) check(combo->currentText(), combo);
  }
  window.hide();
}

struct FakeHost : SettingsHost {
  GameState state;
  GameState& Settings() override { return state; }
  void ReloadBackground() override {}
};

TEST(Language, EveryWindowBuiltInEnglishHasNoJapaneseLeftAndNothingCutOff) {
  FakeHost host;
  {
    Translation english;
    ASSERT_TRUE(english.Use(Language::English));
    // Latin letters in a Latin face, so that "Options…" ends on its line.
    EXPECT_EQ(QFontInfo(QApplication::font()).family(), QStringLiteral("DejaVu Sans"));
    FrmConfig config(host, ".", {}, nullptr);
    ExpectEnglish(config, "options");
    const Surface logo(100, 40);
    FrmRanking ranking(host.state, logo, nullptr);
    ExpectEnglish(ranking, "ranking");
    FrmReplay replays([] { return std::vector<ReplayFolder::Entry>{}; },
                      [](QWidget&) { return std::string(); }, nullptr);
    ExpectEnglish(replays, "replays");
    FrmVersion about(
        logo, ProgramVersion(), [] {}, nullptr);
    ExpectEnglish(about, "about");
    FrmControls controls(Preferences(), {}, nullptr);
    ExpectEnglish(controls, "controls");
  }

  // The menus, worded when the preferences ask for English.
  MainWindow window;
  Preferences prefs;
  prefs.Language = LanguageChoice::English;
  window.SetPrefs(prefs);
  EXPECT_EQ(window.WindowLanguage(), Language::English);
  for (const QAction* action : window.menuBar()->actions()) {
    EXPECT_FALSE(HasJapanese(action->text())) << action->text().toStdString();
    if (!action->menu()) continue;
    for (const QAction* item : action->menu()->actions()) {
      EXPECT_FALSE(HasJapanese(item->text())) << item->text().toStdString();
    }
  }
  EXPECT_FALSE(HasJapanese(window.windowTitle()));
  prefs.Language = LanguageChoice::Japanese;
  window.SetPrefs(prefs);
  EXPECT_EQ(window.menuBar()->actions().first()->text(), QStringLiteral("ゲーム"));
  EXPECT_EQ(QApplication::font().family(), QStringLiteral("IPAPGothic"));
}

}  // namespace
}  // namespace pelaryn
