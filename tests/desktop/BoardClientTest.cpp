// The desktop's client of the score board: what each answer means, and a real pelaryn-server on
// the loopback receiving what waited in the outbox while it was away, and refusing a second copy
// and broken bytes. Without an address nothing is kept and nothing is sent.

#include <gtest/gtest.h>

#include <QDir>
#include <set>

#include "BoardServer.h"
#include "platform/desktop/online/BoardAnswer.h"

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
      {408, "", {Kind::Retry, 0, {}, {}, 0}},
      {499, "", {Kind::Refused, 0, {}, QStringLiteral("HTTP 499"), 0}},
      {500, "", {Kind::Retry, 0, {}, {}, 0}},
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

using BoardClientTest = BoardTest;

TEST_F(BoardClientTest, EveryRunWaitsInTheOutboxUntilTheBoardHasDecidedOnIt) {
  const QString name = QStringLiteral("星&Co");
  const QByteArray still = StillGame();
  {
    BoardClient offline(Outbox({outboxFolder}));
    offline.SetServer({}, name);
    offline.Submit(gameOver);
    offline.SendOutbox();
    EXPECT_EQ(offline.InFlight(), 0);
    EXPECT_FALSE(QDir(outboxFolder).exists());
  }
  // Nobody answers at the address: the runs wait.
  const int port = FreePort();
  {
    BoardClient client(Outbox({outboxFolder}));
    client.SetServer(LoopbackAddress(port), name);
    client.Submit(gameOver);
    client.Submit(still);
    const std::vector<SubmitOutcome> outcomes = Settle(client, 2);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].What, Kind::Retry);
    EXPECT_EQ(outcomes[1].What, Kind::Retry);
    EXPECT_EQ(Waiting().size(), 2);
    // The same run put again waits once.
    EXPECT_FALSE(Outbox({outboxFolder}).Put(still).isEmpty());
    EXPECT_EQ(Waiting().size(), 2);
  }
  // The board back at the next start: the next run's answer takes along what waited.
  BoardServer server(db, port);
  BoardClient client(Outbox({outboxFolder}));
  client.SetServer(server.Address(), name);
  client.Submit(gameOver);
  EXPECT_EQ(client.InFlight(), 1);  // on its way, and the caller already free
  std::vector<SubmitOutcome> outcomes = Settle(client, 2);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(OutcomeNote(outcomes[0]), QStringLiteral("オンライン 1位 (standard)"));
  EXPECT_EQ(outcomes[1].What, Kind::Ranked);
  EXPECT_TRUE(Waiting().isEmpty());
  const nlohmann::json board = Get(server.Address() + QStringLiteral("/api/v1/boards/standard"));
  std::set<long long> listed;
  for (const nlohmann::json& row : board.value("rows", nlohmann::json::array())) {
    listed.insert(row.value("id", 0LL));
  }
  EXPECT_EQ(listed, (std::set<long long>{outcomes[0].Id, outcomes[1].Id})) << board.dump();
  // A name typed at no game over: the one from the preferences, whole.
  const nlohmann::json run =
      Get(server.Address() + QStringLiteral("/api/v1/runs/%1").arg(outcomes[1].Id));
  EXPECT_EQ(run.value("name", ""), "星&Co") << run.dump();

  // Decided is done with, whatever the word: the runs leave the outbox, a refusal with its reason.
  const std::pair<QByteArray, Kind> decided[] = {
      {gameOver, Kind::Duplicate},
      {gameOver.left(gameOver.size() / 2), Kind::Refused},
  };
  for (const auto& [replay, what] : decided) {
    client.Submit(replay);
    outcomes = Settle(client, 1);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].What, what);
    EXPECT_EQ(outcomes[0].Reason.isEmpty(), what != Kind::Refused);
    EXPECT_TRUE(OutcomeNote(outcomes[0]).contains(outcomes[0].Reason));
    EXPECT_TRUE(Waiting().isEmpty());
  }
}

}  // namespace
}  // namespace pelaryn
