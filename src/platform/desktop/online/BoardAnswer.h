#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace pelaryn {

// What became of one run sent to the score board.
struct SubmitOutcome {
  enum class Kind {
    Ranked,     // stored: `Rank` on `Board`
    Duplicate,  // the same game was already there: nothing left to do
    Refused,    // the board will never take these bytes: `Reason` says why
    Retry,      // not decided (no network, the server down or busy): send it again later
  };
  Kind What = Kind::Retry;
  int Rank = 0;
  QString Board;
  QString Reason;
  long long Id = 0;  // the board's id of the run, when it gave one

  bool operator==(const SubmitOutcome&) const = default;
};

// `status` is the HTTP status (0 when no answer came at all), `body` the answer's JSON.
SubmitOutcome ReadSubmitAnswer(int status, const QByteArray& body);

// `server` + `/api/v1/…`, a path under the board's own when it has one.
QUrl BoardUrl(const QString& server, const QString& path);
// Where a run is sent, with the player's name when there is one.
QUrl SubmitUrl(const QString& server, const QString& name);

// The window title's few words on an outcome.
QString OutcomeNote(const SubmitOutcome& outcome);

}  // namespace pelaryn
