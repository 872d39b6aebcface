// The ranking window's online tab against a real pelaryn-server on the loopback: the boards and
// a page, the player's own runs marked, a hostile name shown as the characters it is, a run
// played from the list, and the reason when there is nothing to show.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include "BoardServer.h"
#include "persist/Ranking.h"
#include "platform/desktop/online/OwnRuns.h"
#include "platform/desktop/ui/FrmRanking.h"
#include "render/Surface.h"

namespace pelaryn {
namespace {

class OnlineRankingTest : public BoardTest {
 protected:
  // The window with the online tab opened, once its requests are answered.
  std::unique_ptr<FrmRanking> OpenOnline(OnlineRankingSetup setup) {
    auto window = std::make_unique<FrmRanking>(state, logo, nullptr, std::move(setup));
    window->findChild<QTabWidget*>(QStringLiteral("tabRanking"))->setCurrentIndex(1);
    AwaitIdle(Tab(*window));
    return window;
  }
  static void AwaitIdle(OnlineRanking& tab) {
    TurnUntil(&tab, &OnlineRanking::Answered, [&tab] { return !tab.Busy(); });
  }
  static OnlineRanking& Tab(FrmRanking& w) {
    return *w.findChild<OnlineRanking*>(QStringLiteral("tabOnline"));
  }
  static QString Status(FrmRanking& w) {
    return w.findChild<QLabel*>(QStringLiteral("lblOnlineStatus"))->text();
  }

  GameState state;
  Surface logo{8, 8};
};

TEST_F(OnlineRankingTest, WithNothingToShowTheTabSaysWhyAndTheLocalTabStillWorks) {
  struct Case {
    QString server;
    const char* said;
  };
  const Case cases[] = {
      {{}, "ボードのアドレスが設定されていません"},
      {LoopbackAddress(FreePort()), "ボードに届きませんでした"},
  };
  for (const Case& c : cases) {
    ResetRanking(state);
    state.Ranking[0].Name = "LOCAL";
    std::unique_ptr<FrmRanking> w = OpenOnline({c.server, {}});
    EXPECT_FALSE(Tab(*w).Busy());
    EXPECT_TRUE(Status(*w).contains(QString::fromUtf8(c.said))) << Status(*w).toStdString();
    EXPECT_EQ(w->findChild<QTableWidget*>(QStringLiteral("tblOnline"))->rowCount(), 0);
    EXPECT_FALSE(w->findChild<QPushButton*>(QStringLiteral("cmdPlay"))->isEnabled());
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("lblRankName(0)"))->text(),
              QStringLiteral("LOCAL"));
  }
}

TEST_F(OnlineRankingTest, ListsTheBoardMarksOwnRunsShowsNamesAsTextAndPlaysARun) {
  BoardServer server(db, 0);
  const QString hostile = QStringLiteral("<img src=x>");
  BoardClient client(Outbox({outboxFolder}));
  // The game over keeps the name typed in it; the still game, with none, takes the hostile one.
  client.SetServer(server.Address(), hostile);
  client.Submit(gameOver);
  ASSERT_EQ(Settle(client, 1).at(0).What, SubmitOutcome::Kind::Ranked);
  client.Submit(StillGame());
  const SubmitOutcome mine = Settle(client, 1).at(0);
  ASSERT_EQ(mine.What, SubmitOutcome::Kind::Ranked);
  OnlineRankingSetup setup{server.Address(), {mine.Id}};

  std::unique_ptr<FrmRanking> w = OpenOnline(setup);
  EXPECT_EQ(w->findChild<QComboBox*>(QStringLiteral("cboBoard"))->currentData().toString(),
            QStringLiteral("standard"));
  const nlohmann::json board = Get(server.Address() + QStringLiteral("/api/v1/boards/standard"));
  auto* table = w->findChild<QTableWidget*>(QStringLiteral("tblOnline"));
  ASSERT_EQ(table->rowCount(), 2) << Status(*w).toStdString();
  for (int r = 0; r < 2; ++r) {
    const nlohmann::json& row = board["rows"][static_cast<std::size_t>(r)];
    const bool own = row["id"] == mine.Id;
    EXPECT_EQ(table->item(r, 0)->text(), own ? QStringLiteral("★") : QString()) << r;
    EXPECT_EQ(table->item(r, 1)->text(), QString::number(r + 1));
    EXPECT_EQ(table->item(r, 2)->text(), own ? hostile : QString::fromStdString(row["name"]));
    EXPECT_EQ(table->item(r, 3)->text(), QString::number(row["score"].get<long long>()));
  }
  EXPECT_FALSE(w->findChild<QPushButton*>(QStringLiteral("cmdNext"))->isEnabled());
  EXPECT_FALSE(w->findChild<QPushButton*>(QStringLiteral("cmdPrevious"))->isEnabled());

  // 再生: the run's replay comes, reads as one, and the window closes with it.
  table->selectRow(1);
  w->findChild<QPushButton*>(QStringLiteral("cmdPlay"))->click();
  AwaitIdle(Tab(*w));
  ASSERT_TRUE(w->Chosen()) << Status(*w).toStdString();
  EXPECT_EQ(w->result(), QDialog::Accepted);
  EXPECT_EQ(w->Chosen()->Result.Score, board["rows"][1]["score"].get<long long>());
  EXPECT_EQ(w->ChosenCaption(), QStringLiteral("オンライン 2位 ") + table->item(1, 2)->text());

  // A window closed while the board has not answered yet takes its request along.
  Tab(*w).Reload();
  ASSERT_TRUE(Tab(*w).Busy());
  w.reset();
  QEventLoop settle;
  QTimer::singleShot(500, &settle, &QEventLoop::quit);
  settle.exec();
}

TEST(OwnRuns, KeepsTheLatestIdsOnceEach) {
  QTemporaryDir folder;
  const QString prefs = folder.filePath(QStringLiteral("pelaryn.conf"));
  RememberOwnRun(prefs, 5);
  RememberOwnRun(prefs, 0);
  RememberOwnRun(prefs, -3);
  RememberOwnRun(prefs, 7);
  RememberOwnRun(prefs, 5);
  EXPECT_EQ(ReadOwnRuns(prefs), (QList<qint64>{7, 5}));
  // Past the bound, every new id pushes out the oldest one.
  for (qint64 id = 100; id < 100 + kOwnRunsKept; ++id) {
    RememberOwnRun(prefs, id);
    ASSERT_EQ(ReadOwnRuns(prefs).size(), std::min<qint64>(id - 100 + 3, kOwnRunsKept)) << id;
  }
  const QList<qint64> kept = ReadOwnRuns(prefs);
  ASSERT_EQ(kept.size(), kOwnRunsKept);
  EXPECT_EQ(kept.front(), 100);
  EXPECT_EQ(kept.back(), 100 + kOwnRunsKept - 1);
}

}  // namespace
}  // namespace pelaryn
