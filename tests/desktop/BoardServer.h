#pragma once

// What the desktop's tests of the board share: a real pelaryn-server, the runs they send it, the
// client that sends them, and the event loop turned as the game's yield turns it.

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <nlohmann/json.hpp>
#include <ostream>
#include <vector>

#include "platform/desktop/online/BoardClient.h"
#include "platform/desktop/online/Outbox.h"

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace pelaryn {

inline void PrintTo(const SubmitOutcome& o, std::ostream* out) {
  *out << "{What " << static_cast<int>(o.What) << ", Rank " << o.Rank << ", Board \""
       << o.Board.toStdString() << "\", Reason \"" << o.Reason.toStdString() << "\", Id " << o.Id
       << "}";
}

inline QString LoopbackAddress(int port) {
  return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

// A pelaryn-server of this build on the loopback, its board in a scratch SQLite file.
class BoardServer {
 public:
  BoardServer(const QString& db, int port) {
    process_.setProgram(qEnvironmentVariable("PELARYN_SERVER"));
    process_.setArguments({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port),
                           QStringLiteral("--db"), QStringLiteral("sqlite:") + db,
                           QStringLiteral("--workers"), QStringLiteral("1"),
                           QStringLiteral("--submissions-per-minute"), QStringLiteral("0")});
    process_.start();
    QByteArray line;
    while (!line.contains('\n') && process_.waitForReadyRead(60000)) line += process_.readLine();
    const QByteArray prefix = "pelaryn-server: listening on http://127.0.0.1:";
    EXPECT_TRUE(line.startsWith(prefix)) << line.toStdString();
    port_ = line.mid(prefix.size()).trimmed().toInt();
  }
  ~BoardServer() {
    process_.terminate();
    process_.waitForFinished(60000);
  }
  int Port() const { return port_; }
  QString Address() const { return LoopbackAddress(port_); }

 private:
  QProcess process_;
  int port_ = 0;
};

// The answer's JSON to a GET.
inline nlohmann::json Get(const QString& url) {
  QNetworkAccessManager network;
  QNetworkReply* reply = network.get(QNetworkRequest(QUrl(url)));
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  loop.exec();
  const QByteArray body = reply->readAll();
  reply->deleteLater();
  return nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
}

inline QByteArray Bytes(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return file.readAll();
}

// Turns the event loop until `done()` holds after one of `sender`'s `signal`s.
template <typename Sender, typename Signal, typename Done>
void TurnUntil(const Sender* sender, Signal signal, Done done) {
  QEventLoop loop;
  QObject::connect(sender, signal, &loop, [&] {
    if (done()) loop.quit();
  });
  // Only so that a lost answer fails the test instead of hanging it.
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  if (!done()) loop.exec();
}

class BoardTest : public ::testing::Test {
 protected:
  // A game over standing still, from this build's sim: no name was typed in it.
  QByteArray StillGame() {
    const QString path = folder.filePath(QStringLiteral("still.pelrpy"));
    EXPECT_EQ(QProcess::execute(qEnvironmentVariable("PELARYN_SIM"),
                                {QStringLiteral("--record"), path, QStringLiteral("--frames"),
                                 QStringLiteral("100000")}),
              0);
    return Bytes(path);
  }
  // A port a board has just let go of: nobody answers there now.
  int FreePort() { return BoardServer(folder.filePath(QStringLiteral("gone.db")), 0).Port(); }
  // The board's words on the next `count` runs `client` hears about.
  static std::vector<SubmitOutcome> Settle(BoardClient& client, std::size_t count) {
    std::vector<SubmitOutcome> outcomes;
    const QMetaObject::Connection heard = QObject::connect(
        &client, &BoardClient::Settled,
        [&outcomes](const SubmitOutcome& outcome) { outcomes.push_back(outcome); });
    TurnUntil(&client, &BoardClient::Settled, [&] { return outcomes.size() >= count; });
    QObject::disconnect(heard);
    return outcomes;
  }
  QStringList Waiting() const { return Outbox({outboxFolder}).Waiting(); }

  QTemporaryDir folder;
  QString db = folder.filePath(QStringLiteral("board.db"));
  QString outboxFolder = folder.filePath(QStringLiteral("replays/outbox"));
  QByteArray gameOver = Bytes(QStringLiteral(PELARYN_RECORDED_DIR "/game-over.pelrpy"));
};

}  // namespace pelaryn
