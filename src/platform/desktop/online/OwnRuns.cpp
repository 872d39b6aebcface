#include "platform/desktop/online/OwnRuns.h"

#include <QSettings>
#include <QStringList>

namespace pelaryn {
namespace {

const QString kKey = QStringLiteral("Online/Runs");

}  // namespace

QList<qint64> ReadOwnRuns(const QString& preferencesPath) {
  const QSettings file(preferencesPath, QSettings::IniFormat);
  QList<qint64> ids;
  // Whatever a hand may have written there: only positive numbers are ids.
  for (const QString& text : file.value(kKey).toStringList()) {
    bool number = false;
    const qint64 id = text.trimmed().toLongLong(&number);
    if (number && id > 0 && !ids.contains(id)) ids.append(id);
  }
  if (ids.size() > kOwnRunsKept) ids = ids.mid(ids.size() - kOwnRunsKept);
  return ids;
}

void RememberOwnRun(const QString& preferencesPath, qint64 id) {
  if (id <= 0 || preferencesPath.isEmpty()) return;
  QList<qint64> ids = ReadOwnRuns(preferencesPath);
  ids.removeAll(id);
  ids.append(id);
  if (ids.size() > kOwnRunsKept) ids = ids.mid(ids.size() - kOwnRunsKept);
  QStringList texts;
  for (const qint64 kept : ids) texts.append(QString::number(kept));
  QSettings file(preferencesPath, QSettings::IniFormat);
  file.setValue(kKey, texts);
}

}  // namespace pelaryn
