#pragma once

// A real pelaryn-server for the desktop's tests of the board, and plain requests to it.

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <nlohmann/json.hpp>

namespace pelaryn {

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
  QString Address() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }

 private:
  QProcess process_;
  int port_ = 0;
};

// The answer's JSON to a GET (the plain text of /metrics as a string).
inline nlohmann::json Get(const QString& url) {
  QNetworkAccessManager network;
  QNetworkReply* reply = network.get(QNetworkRequest(QUrl(url)));
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  loop.exec();
  const QByteArray body = reply->readAll();
  reply->deleteLater();
  if (url.endsWith(QStringLiteral("/metrics"))) return body.toStdString();
  return nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
}

inline QByteArray Bytes(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return file.readAll();
}

}  // namespace pelaryn
