// The desktop's client of the score board: what each answer means, and a real pelaryn-server on
// the loopback taking runs, refusing a second copy, and receiving what waited in the outbox
// while it was away. Without an address the server hears nothing.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <nlohmann/json.hpp>
#include <vector>

#include "BoardServer.h"
#include "platform/desktop/online/BoardAnswer.h"
#include "platform/desktop/online/BoardClient.h"
#include "platform/desktop/online/Outbox.h"

namespace pelaryn {
namespace {

using Kind = SubmitOutcome::Kind;

TEST(BoardAnswer, EachAnswerSettlesTheRunOrLeavesItWaiting) {
  struct Case {
    int status;
    const char* body;
    SubmitOutcome expected;
  };
  const Case cases[] = {
      {201,
       R"({"board":"standard","frames":662,"id":7,"name":"PELA","rank":12,"score":35})",
       {Kind::Ranked, 12, QStringLiteral("standard"), {}, 7}},
      // Stored, whatever the answer's words: sending it again would only be a duplicate.
      {201, "<html>", {Kind::Ranked, 0, {}, {}, 0}},
      {409, R"({"error":"already on the board","id":3})", {Kind::Duplicate, 0, {}, {}, 3}},
      {422,
       R"({"check":"start","error":"refused: the start's Life is 30000"})",
       {Kind::Refused, 0, {}, QStringLiteral("refused: the start's Life is 30000"), 0}},
      {400, "", {Kind::Refused, 0, {}, QStringLiteral("HTTP 400"), 0}},
      {413, R"({"error":7})", {Kind::Refused, 0, {}, QStringLiteral("HTTP 413"), 0}},
      {429, R"({"error":"too many"})", {Kind::Retry, 0, {}, {}, 0}},
      {499, "", {Kind::Refused, 0, {}, QStringLiteral("HTTP 499"), 0}},
      {500, "", {Kind::Retry, 0, {}, {}, 0}},
      {503, R"({"error":"every worker is busy"})", {Kind::Retry, 0, {}, {}, 0}},
      {0, "", {Kind::Retry, 0, {}, {}, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadSubmitAnswer(c.status, QByteArray(c.body)), c.expected)
        << c.status << " " << c.body;
  }
}

TEST(BoardAnswer, TheRunGoesUnderTheBoardsOwnPathWithTheNameWhole) {
  const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
      {{"http://127.0.0.1:8080", ""}, "http://127.0.0.1:8080/api/v1/runs"},
      {{"https://board.example.org/pelaryn/", "me"},
       "https://board.example.org/pelaryn/api/v1/runs?name=me"},
      {{"http://h", "A&B +星"}, "http://h/api/v1/runs?name=A%26B%20%2B%E6%98%9F"},
  };
  for (const auto& [in, url] : cases) {
    EXPECT_EQ(SubmitUrl(QString::fromUtf8(in.first), QString::fromUtf8(in.second))
                  .toString(QUrl::FullyEncoded),
              QString::fromUtf8(url));
  }
}

class BoardClientTest : public ::testing::Test {
 protected:
  // Turns the event loop until `count` outcomes have come, as the game's yield would.
  std::vector<SubmitOutcome> Await(BoardClient& client, std::size_t count) {
    std::vector<SubmitOutcome> outcomes;
    QEventLoop loop;
    QObject::connect(&client, &BoardClient::Settled, &loop, [&](const SubmitOutcome& outcome) {
      outcomes.push_back(outcome);
      if (outcomes.size() >= count) loop.quit();
    });
    // Only so that a lost answer fails the test instead of hanging it.
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (outcomes.size() < count) loop.exec();
    return outcomes;
  }
  // A second game over, standing still, from this build's sim.
  QByteArray StillGame() {
    const QString path = folder.filePath(QStringLiteral("still.pelrpy"));
    EXPECT_EQ(QProcess::execute(qEnvironmentVariable("PELARYN_SIM"),
                                {QStringLiteral("--record"), path, QStringLiteral("--frames"),
                                 QStringLiteral("100000")}),
              0);
    return Bytes(path);
  }

  QTemporaryDir folder;
  QString db = folder.filePath(QStringLiteral("board.db"));
  QString outboxFolder = folder.filePath(QStringLiteral("replays/outbox"));
  QByteArray gameOver = Bytes(QStringLiteral(PELARYN_RECORDED_DIR "/game-over.pelrpy"));
};

TEST_F(BoardClientTest, AGameOverIsRankedOnceAndWithoutAnAddressTheServerHearsNothing) {
  BoardServer server(db, 0);
  {
    BoardClient offline(Outbox({outboxFolder}));
    offline.SetServer({}, QStringLiteral("星&Co"));
    offline.Submit(gameOver);
    offline.SendOutbox();
    EXPECT_EQ(offline.InFlight(), 0);
  }
  EXPECT_FALSE(QDir(outboxFolder).exists());
  const std::string metrics = Get(server.Address() + QStringLiteral("/metrics"));
  EXPECT_EQ(metrics.find("/api/v1/runs"), std::string::npos) << metrics;

  BoardClient client(Outbox({outboxFolder}));
  client.SetServer(server.Address(), QStringLiteral("星&Co"));
  client.Submit(gameOver);
  EXPECT_EQ(client.InFlight(), 1);  // on its way, and the caller already free
  std::vector<SubmitOutcome> outcomes = Await(client, 1);
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].What, Kind::Ranked);
  EXPECT_EQ(outcomes[0].Rank, 1);
  EXPECT_EQ(outcomes[0].Board, QStringLiteral("standard"));
  EXPECT_EQ(OutcomeNote(outcomes[0]), QStringLiteral("オンライン 1位 (standard)"));
  EXPECT_TRUE(Outbox({outboxFolder}).Waiting().isEmpty());
  const nlohmann::json board = Get(server.Address() + QStringLiteral("/api/v1/boards/standard"));
  ASSERT_EQ(board.value("total", 0), 1) << board.dump();
  EXPECT_EQ(board["rows"][0]["id"], outcomes[0].Id);

  // The same game again: done already, and not left waiting.
  client.Submit(gameOver);
  outcomes = Await(client, 1);
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].What, Kind::Duplicate);
  EXPECT_TRUE(Outbox({outboxFolder}).Waiting().isEmpty());
  // A name typed at no game over: the one from the preferences, whole.
  const QByteArray still = StillGame();
  client.Submit(still);
  outcomes = Await(client, 1);
  ASSERT_EQ(outcomes.size(), 1u);
  ASSERT_EQ(outcomes[0].What, Kind::Ranked);
  const nlohmann::json run =
      Get(server.Address() + QStringLiteral("/api/v1/runs/%1").arg(outcomes[0].Id));
  EXPECT_EQ(run.value("name", ""), "星&Co") << run.dump();
}

TEST_F(BoardClientTest, ARunThatFindsNoServerWaitsAndGoesWhenTheServerAnswersAgain) {
  int port = 0;
  { port = BoardServer(db, 0).Port(); }  // a port where nobody answers now
  const QByteArray still = StillGame();
  {
    BoardClient client(Outbox({outboxFolder}));
    client.SetServer(QStringLiteral("http://127.0.0.1:%1").arg(port), {});
    client.Submit(gameOver);
    client.Submit(still);
    const std::vector<SubmitOutcome> outcomes = Await(client, 2);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].What, Kind::Retry);
    EXPECT_EQ(outcomes[1].What, Kind::Retry);
    EXPECT_EQ(Outbox({outboxFolder}).Waiting().size(), 2);
    // The same run put again waits once.
    EXPECT_FALSE(Outbox({outboxFolder}).Put(still).isEmpty());
    EXPECT_EQ(Outbox({outboxFolder}).Waiting().size(), 2);
  }
  // The server back: the next run's answer takes along what waited.
  BoardServer server(db, port);
  BoardClient client(Outbox({outboxFolder}));
  client.SetServer(server.Address(), {});
  client.Submit(gameOver);
  const std::vector<SubmitOutcome> outcomes = Await(client, 2);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[0].What, Kind::Ranked);
  EXPECT_EQ(outcomes[1].What, Kind::Ranked);
  EXPECT_TRUE(Outbox({outboxFolder}).Waiting().isEmpty());
  EXPECT_EQ(Get(server.Address() + QStringLiteral("/api/v1/boards/standard")).value("total", 0), 2);
}

TEST_F(BoardClientTest, ARefusedRunLeavesTheOutboxWithItsReason) {
  BoardServer server(db, 0);
  BoardClient client(Outbox({outboxFolder}));
  client.SetServer(server.Address(), {});
  QByteArray cut = gameOver.left(gameOver.size() / 2);
  client.Submit(cut);
  const std::vector<SubmitOutcome> outcomes = Await(client, 1);
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].What, Kind::Refused);
  EXPECT_FALSE(outcomes[0].Reason.isEmpty());
  EXPECT_TRUE(OutcomeNote(outcomes[0]).contains(outcomes[0].Reason));
  EXPECT_TRUE(Outbox({outboxFolder}).Waiting().isEmpty());
}

}  // namespace
}  // namespace pelaryn
