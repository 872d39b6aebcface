#include "platform/desktop/online/BoardClient.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace pelaryn {
namespace {

// An answer to a submission is a line of JSON; anything far larger is no answer of the board's.
constexpr qint64 kMaxAnswerBytes = 64 * 1024;
// Verifying a long game takes the server a while; a server that says nothing at all for this
// long is taken for away, and the run waits for the next chance.
constexpr int kTransferTimeoutMs = 120 * 1000;

}  // namespace

BoardClient::BoardClient(Outbox outbox, QObject* parent)
    : QObject(parent), outbox_(std::move(outbox)), network_(new QNetworkAccessManager(this)) {}

void BoardClient::SetServer(const QString& server, const QString& name) {
  server_ = server;
  name_ = name;
}

void BoardClient::Submit(const QByteArray& replay) {
  if (server_.isEmpty() || replay.isEmpty()) return;
  const QString path = outbox_.Put(replay);
  if (path.isEmpty()) {
    // Nowhere to keep it: sent once all the same, from memory.
    Post(replay, {});
    return;
  }
  // Sent again by the player's choice: the board's word on it is asked afresh.
  settled_.remove(path);
  Send(path);
}

void BoardClient::SendOutbox() {
  if (server_.isEmpty()) return;
  for (const QString& path : outbox_.Waiting()) Send(path);
}

void BoardClient::Send(const QString& path) {
  if (server_.isEmpty() || sending_.contains(path)) return;
  // Decided already; a file that could not be removed must not go round again and again.
  if (settled_.contains(path)) return;
  const QByteArray replay = Outbox::Read(path);
  if (replay.isEmpty()) {
    Outbox::Remove(path);
    return;
  }
  sending_.insert(path);
  Post(replay, path);
}

void BoardClient::Post(const QByteArray& replay, const QString& path) {
  QNetworkRequest request(SubmitUrl(server_, name_));
  request.setHeader(QNetworkRequest::ContentTypeHeader,
                    QStringLiteral("application/x-pelaryn-replay"));
  request.setTransferTimeout(kTransferTimeoutMs);
  QNetworkReply* reply = network_->post(request, replay);
  connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
    if (received > kMaxAnswerBytes) reply->abort();
  });
  connect(reply, &QNetworkReply::finished, this, [this, reply, path] { Finished(reply, path); });
}

void BoardClient::Finished(QNetworkReply* reply, const QString& path) {
  reply->deleteLater();
  sending_.remove(path);
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const bool whole = reply->error() != QNetworkReply::OperationCanceledError;
  const SubmitOutcome outcome = ReadSubmitAnswer(whole ? status : 0, reply->read(kMaxAnswerBytes));
  const bool decided = outcome.What != SubmitOutcome::Kind::Retry;
  if (decided && !path.isEmpty()) {
    settled_.insert(path);
    Outbox::Remove(path);
  }
  emit Settled(outcome);
  // The server answers again: what waited from before goes now.
  if (decided) SendOutbox();
}

}  // namespace pelaryn
