#include "platform/desktop/online/Outbox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace pelaryn {
namespace {

// The board takes nothing larger; a larger file under the name is not one we wrote.
constexpr qint64 kMaxRunBytes = 1024 * 1024;
const QString kSuffix = QStringLiteral(".pelrpy");

}  // namespace

Outbox::Outbox(QStringList folders) : folders_(std::move(folders)) {
  folders_.removeAll(QString());
}

QString Outbox::Put(const QByteArray& replay) {
  // Named by the bytes, so a run put twice (kept and then sent by hand) waits once.
  const QString name =
      QString::fromLatin1(QCryptographicHash::hash(replay, QCryptographicHash::Sha256).toHex()) +
      kSuffix;
  for (const QString& folder : folders_) {
    if (!QDir().mkpath(folder)) continue;
    const QString path = QDir(folder).filePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) continue;
    if (file.write(replay) != replay.size() || !file.commit()) continue;
    return path;
  }
  return {};
}

QStringList Outbox::Waiting() const {
  QFileInfoList files;
  for (const QString& folder : folders_) {
    files += QDir(folder).entryInfoList({QStringLiteral("*") + kSuffix}, QDir::Files);
  }
  std::stable_sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
    return a.lastModified() < b.lastModified();
  });
  QStringList paths;
  for (const QFileInfo& file : files) paths << file.absoluteFilePath();
  return paths;
}

QByteArray Outbox::Read(const QString& path) {
  QFile file(path);
  if (!QFileInfo(path).isFile() || file.size() > kMaxRunBytes) return {};
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.read(kMaxRunBytes);
}

void Outbox::Remove(const QString& path) {
  QFile::remove(path);
}

}  // namespace pelaryn
