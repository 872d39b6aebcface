#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pelaryn {

// Runs waiting to reach the score board, one file each, in `replays/outbox/` of the folder the
// replays are kept in (the fallback folder's when that one cannot be written). A run stays until
// the board has decided on it, so that no game is lost to a network that was away.
class Outbox {
 public:
  // `folders`: where the outbox may be, the preferred first.
  explicit Outbox(QStringList folders);

  // Writes the run's bytes (atomically; the same bytes twice are one file): its path, or empty
  // when no folder could take it.
  QString Put(const QByteArray& replay);
  // Every waiting run's path, oldest first.
  QStringList Waiting() const;
  // The run's bytes, or empty when the file is gone or is no run of ours.
  static QByteArray Read(const QString& path);
  static void Remove(const QString& path);

 private:
  QStringList folders_;
};

}  // namespace pelaryn
