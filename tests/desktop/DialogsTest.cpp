// The about box, the ranking window and the manual viewer as the game opens them.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <fstream>

#include "Modal.h"
#include "persist/Ranking.h"
#include "platform/desktop/ui/DesktopDialogs.h"
#include "platform/desktop/ui/FrmRanking.h"
#include "platform/desktop/ui/FrmVersion.h"
#include "platform/desktop/ui/ManualViewer.h"
#include "platform/desktop/ui/SurfaceImage.h"
#include "render/Pictures.h"

namespace pelaryn {
namespace {

using testing::Child;
using testing::Click;
using testing::OnNextModal;
using testing::TextOf;

class Windows : public ::testing::Test {
 protected:
  QWidget owner;
  Pictures pictures;
  int beeps = 0;
  std::unique_ptr<DesktopDialogs> dialogs;
  void SetUp() override {
    ASSERT_TRUE(LoadEmbeddedPictures(pictures));
    dialogs = std::make_unique<DesktopDialogs>(owner, pictures, "/opt/game", [this] { ++beeps; });
  }
};

TEST(Version, LineHasBothNumbersWithoutLeadingZeros) {
  EXPECT_EQ(VersionLine({0, 99}), "version 0.99");
  EXPECT_EQ(VersionLine({0, 7}), "version 0.7");
  EXPECT_EQ(VersionLine({2, 0}), "version 2.0");
  EXPECT_EQ(ProgramVersion().Major, 0);
  EXPECT_EQ(ProgramVersion().Minor, 99);
}

TEST_F(Windows, AboutBoxShowsTitleVersionAndPictureAndBeepsAtEachOpening) {
  int opened = 0;
  const auto check = [&](FrmVersion& w) {
    ++opened;
    EXPECT_TRUE(w.isModal());
    EXPECT_EQ(beeps, opened);
    EXPECT_EQ(w.windowTitle().toStdString(), "バージョン情報");
    EXPECT_EQ(TextOf(w, "lblTitle"), "ヴェルガード");
    const QFont font = Child<QLabel>(w, "lblTitle").font();
    EXPECT_EQ(font.family().toStdString(), "IPAPGothic");
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(font.pointSize(), 12);
    EXPECT_EQ(TextOf(w, "lblVersion"), "version 0.99");
    EXPECT_FALSE(TextOf(w, "lblEditor").empty());
    const QPixmap picture = Child<QLabel>(w, "Image1").pixmap();
    EXPECT_EQ(picture.size(), QSize(65, 65));
    EXPECT_EQ(picture.toImage().pixel(32, 32), pictures.About.Pixel(32, 32));
    Click(w, "cmdOK");
  };
  OnNextModal<FrmVersion>(check);
  dialogs->ShowAbout();
  OnNextModal<FrmVersion>(check);
  dialogs->ShowAbout();
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(beeps, 2);
}

TEST_F(Windows, AboutBoxCaptionsFit) {
  FrmVersion w(pictures.About, {0, 99}, {}, &owner);
  testing::ExpectCaptionsFit(w, "about.png");
}

GameState Ranked() {
  GameState s;
  for (int i = 0; i < RankingCount; ++i) s.Ranking[i] = DefaultRankEntry(i);
  s.Ranking[0] = {"AB", 1234, 85, 12};
  s.Ranking[3] = {"", 70, 40, 3};
  s.HiScore = 1234;
  return s;
}

TEST_F(Windows, RankingListsTheRowsInTheirColours) {
  GameState s = Ranked();
  FrmRanking w(s, pictures.RankLogo, &owner);
  EXPECT_EQ(w.windowTitle().toStdString(), "ヴェルガード");
  EXPECT_EQ(TextOf(w, "lblRankNum(0)"), "1");
  EXPECT_EQ(TextOf(w, "lblRankNum(9)"), "10");
  EXPECT_EQ(TextOf(w, "lblRankName(0)"), "AB");
  EXPECT_EQ(TextOf(w, "lblRankScore(0)"), "1234");
  EXPECT_EQ(TextOf(w, "lblRankCombo(0)"), "12");
  EXPECT_EQ(TextOf(w, "lblRankSRatio(0)"), "85");
  EXPECT_EQ(TextOf(w, "lblRankName(3)"), "");
  EXPECT_EQ(TextOf(w, "lblRankScore(3)"), "70");
  EXPECT_EQ(TextOf(w, "lblRankCombo(3)"), "3");
  EXPECT_EQ(TextOf(w, "lblRankSRatio(3)"), "40");
  EXPECT_EQ(TextOf(w, "lblRankName(9)"), "KEVA");
  EXPECT_EQ(TextOf(w, "lblRankScore(9)"), "10");
  EXPECT_EQ(TextOf(w, "lblName"), "名前");
  EXPECT_EQ(TextOf(w, "lblScore"), "得点");
  EXPECT_EQ(TextOf(w, "lblCombo"), "コンボ");
  EXPECT_EQ(TextOf(w, "lblSRatio"), "％");

  const auto colour = [&](const char* name) {
    return Child<QLabel>(w, name).palette().color(QPalette::WindowText);
  };
  for (const auto& [cell, rgb] : {std::pair{"lblRankNum(4)", QColor(0, 255, 255)},
                                  {"lblRankName(4)", QColor(0, 255, 0)},
                                  {"lblName", QColor(0, 255, 0)},
                                  {"lblRankScore(4)", QColor(255, 255, 0)},
                                  {"lblScore", QColor(255, 255, 0)},
                                  {"lblRankCombo(4)", QColor(255, 128, 0)},
                                  {"lblCombo", QColor(255, 128, 0)},
                                  {"lblRankSRatio(4)", QColor(255, 0, 0)},
                                  {"lblSRatio", QColor(255, 0, 0)}}) {
    EXPECT_EQ(colour(cell), rgb) << cell;
    EXPECT_TRUE(Child<QLabel>(w, cell).font().bold()) << cell;
    EXPECT_EQ(Child<QLabel>(w, cell).font().family().toStdString(), "IPAPGothic") << cell;
  }
  testing::ExpectCaptionsFit(w, "ranking.png");
  const int top = Child<QLabel>(w, "lblRankScore(0)").y();
  for (int i = 1; i < RankingCount; ++i) {
    const std::string cell = "lblRankScore(" + std::to_string(i) + ")";
    EXPECT_EQ(Child<QLabel>(w, cell.c_str()).y() - top, 24 * i) << cell;
  }
}

TEST_F(Windows, RankingLogoShowsAtFirstAndBlinksEveryHalfSecond) {
  GameState s = Ranked();
  FrmRanking w(s, pictures.RankLogo, &owner);
  w.show();
  QLabel& logo = Child<QLabel>(w, "picRankLogo");
  EXPECT_EQ(logo.pixmap().size(), QSize(250, 26));
  QTimer& timer = Child<QTimer>(w, "Timer1");
  EXPECT_TRUE(timer.isActive());
  EXPECT_EQ(timer.interval(), 500);
  EXPECT_TRUE(logo.isVisible());
  const int rowsAt = Child<QLabel>(w, "lblRankScore(0)").y();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !logo.isVisible(); }, 5000));
  QCoreApplication::sendPostedEvents();
  w.layout()->activate();
  EXPECT_EQ(Child<QLabel>(w, "lblRankScore(0)").y(), rowsAt);  // the rows stay where they are
  EXPECT_TRUE(QTest::qWaitFor([&] { return logo.isVisible(); }, 5000));
  Click(w, "cmdOK");
  EXPECT_TRUE(w.isHidden());
  EXPECT_FALSE(timer.isActive());
}

// The heading's words are drawn, so each language of the windows has its own picture.
TEST_F(Windows, RankingHeadingIsInTheWindowsLanguage) {
  for (const bool english : {false, true}) {
    dialogs->SetEnglishPictures(english);
    const Surface& wanted = english ? pictures.EnglishRankLogo : pictures.RankLogo;
    const Surface& other = english ? pictures.RankLogo : pictures.EnglishRankLogo;
    bool shown = false;
    OnNextModal<FrmRanking>([&](FrmRanking& w) {
      const QImage logo = Child<QLabel>(w, "picRankLogo").pixmap().toImage();
      EXPECT_EQ(logo, ToPixmap(wanted).toImage()) << "english " << english;
      EXPECT_NE(logo, ToPixmap(other).toImage()) << "english " << english;
      shown = true;
      Click(w, "cmdOK");
    });
    GameState s = Ranked();
    dialogs->ShowRanking(s);
    EXPECT_TRUE(shown);
  }
}

TEST_F(Windows, RankingResetAsksFirstAndCancelChangesNothing) {
  GameState s = Ranked();
  bool asked = false;
  OnNextModal<FrmRanking>([&](FrmRanking& w) {
    OnNextModal<QMessageBox>([&](QMessageBox& box) {
      asked = true;
      EXPECT_EQ(box.windowTitle().toStdString(), "ランキング初期化");
      EXPECT_EQ(box.text().toStdString(), "ランキングを初期化します。\nよろしいですか？");
      EXPECT_EQ(box.standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
      box.button(QMessageBox::Cancel)->click();
    });
    Click(w, "cmdClear");
    EXPECT_EQ(TextOf(w, "lblRankName(0)"), "AB");
    Click(w, "cmdOK");
  });
  dialogs->ShowRanking(s);
  EXPECT_TRUE(asked);
  EXPECT_EQ(s.Ranking[0].Name, "AB");
  EXPECT_EQ(s.Ranking[0].Score, 1234);
  EXPECT_EQ(s.HiScore, 1234);
}

TEST_F(Windows, RankingResetConfirmedShowsTheDefaultRows) {
  GameState s = Ranked();
  OnNextModal<FrmRanking>([&](FrmRanking& w) {
    OnNextModal<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
    Click(w, "cmdClear");
    for (int i = 0; i < RankingCount; ++i) {
      const std::string row = "(" + std::to_string(i) + ")";
      EXPECT_EQ(TextOf(w, ("lblRankName" + row).c_str()), "KEVA");
      EXPECT_EQ(TextOf(w, ("lblRankScore" + row).c_str()), std::to_string(100 - 10 * i));
      EXPECT_EQ(TextOf(w, ("lblRankCombo" + row).c_str()), "0");
      EXPECT_EQ(TextOf(w, ("lblRankSRatio" + row).c_str()), "0");
    }
    Click(w, "cmdOK");
  });
  dialogs->ShowRanking(s);
  EXPECT_EQ(s.HiScore, 100);
  EXPECT_EQ(s.Ranking[0].Name, "KEVA");
  EXPECT_EQ(s.Ranking[3].Score, 70);
}

TEST_F(Windows, RankingKeepsItsWidthForAVeryLongName) {
  GameState s = Ranked();
  FrmRanking plain(s, pictures.RankLogo, &owner);
  plain.adjustSize();
  s.Ranking[2].Name = std::string(300, 'W');
  FrmRanking longName(s, pictures.RankLogo, &owner);
  longName.adjustSize();
  EXPECT_EQ(longName.width(), plain.width());
  const QLabel& cell = Child<QLabel>(longName, "lblRankName(2)");
  EXPECT_TRUE(cell.text().endsWith(QChar(0x2026)));  // cut short where it shows, not mid-letter
  EXPECT_LE(cell.fontMetrics().horizontalAdvance(cell.text()), cell.width());
  EXPECT_EQ(cell.toolTip().size(), 300);
}

TEST_F(Windows, ManualOpensBesideTheGameAndASecondCallRaisesIt) {
  const std::string path = ::testing::TempDir() + "pelaryn-manual.html";
  std::ofstream(path) << "<html><body><h1>ヴェルガード</h1><p>Z fires.</p></body></html>";
  dialogs->ShowManual(path);  // returns at once: the game does not wait
  auto viewers = owner.findChildren<ManualViewer*>();
  ASSERT_EQ(viewers.size(), 1);
  ManualViewer* viewer = viewers.front();
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_FALSE(viewer->isModal());
  EXPECT_TRUE(viewer->isWindow());
  EXPECT_TRUE(viewer->toPlainText().contains(QStringLiteral("Z fires.")));

  viewer->hide();
  dialogs->ShowManual(path);
  EXPECT_EQ(owner.findChildren<ManualViewer*>().size(), 1);
  EXPECT_TRUE(viewer->isVisible());

  viewer->close();  // closing frees it; the next call builds a new one
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(owner.findChildren<ManualViewer*>().empty());
  dialogs->ShowManual(path);
  EXPECT_EQ(owner.findChildren<ManualViewer*>().size(), 1);
}

TEST_F(Windows, AMissingManualSaysSoInTheViewer) {
  dialogs->ShowManual("/nonexistent/pelaryn.html");
  const auto viewers = owner.findChildren<ManualViewer*>();
  ASSERT_EQ(viewers.size(), 1);
  EXPECT_TRUE(viewers.front()->isVisible());
  EXPECT_TRUE(viewers.front()->toPlainText().contains(QStringLiteral("見つかりません")));
  EXPECT_TRUE(viewers.front()->toPlainText().contains(QStringLiteral("/nonexistent/pelaryn.html")));
}

}  // namespace
}  // namespace pelaryn
