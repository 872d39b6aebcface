#pragma once

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>

#include "platform/desktop/online/BoardAnswer.h"
#include "platform/desktop/online/Outbox.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace pelaryn {

// Sends runs to the score board in the background: a request is started and left to the event
// loop that the game's yield turns, and its answer arrives as a signal, so the frame loop never
// waits for the network. Every run waits in the outbox until the board has decided on it.
class BoardClient : public QObject {
  Q_OBJECT

 public:
  explicit BoardClient(Outbox outbox, QObject* parent = nullptr);

  // The board's address and the name runs are sent with. Without an address no request is
  // ever made and nothing is put in the outbox.
  void SetServer(const QString& server, const QString& name);
  // Puts a replay's bytes in the outbox and sends them.
  void Submit(const QByteArray& replay);
  // Sends every run that waits and is not on its way already.
  void SendOutbox();
  // How many requests have had no answer yet.
  int InFlight() const { return static_cast<int>(sending_.size()); }

 signals:
  // The board's word on one run (or that it could not be reached), once per request.
  void Settled(const pelaryn::SubmitOutcome& outcome);

 private:
  void Send(const QString& path);
  // `path`: the run's outbox file, empty for a run that could not be put there.
  void Post(const QByteArray& replay, const QString& path);
  void Finished(QNetworkReply* reply, const QString& path);

  Outbox outbox_;
  QNetworkAccessManager* network_;
  QString server_;
  QString name_;
  // The outbox files on their way, so that none goes twice at once.
  QSet<QString> sending_;
  // The outbox files the board has decided on since the start.
  QSet<QString> settled_;
};

}  // namespace pelaryn
