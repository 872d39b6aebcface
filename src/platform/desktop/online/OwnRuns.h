#pragma once

#include <QList>
#include <QString>

namespace pelaryn {

// The board's ids of the runs this player has sent, kept in the preferences file
// (`Online/Runs`) so that the online ranking can mark them. Only the latest are kept.
inline constexpr int kOwnRunsKept = 200;

QList<qint64> ReadOwnRuns(const QString& preferencesPath);
// Adds `id` (an id of 0 or less is none) as the newest; an id kept already moves to the end.
void RememberOwnRun(const QString& preferencesPath, qint64 id);

}  // namespace pelaryn
