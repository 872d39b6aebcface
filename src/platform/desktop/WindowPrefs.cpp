#include "platform/desktop/WindowPrefs.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace pelaryn {
namespace {

constexpr auto kWidth = "Window/Width";
constexpr auto kHeight = "Window/Height";
constexpr auto kFullScreen = "Window/FullScreen";

// A few lines are all the file ever holds; anything much larger was not written by us, and a
// FIFO or device under the name would stall the start-up on its first read.
constexpr qint64 kMaxFileBytes = 64 * 1024;

bool Usable(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && info.size() <= kMaxFileBytes;
}

int Clamped(qlonglong value, int minimum, int available) {
  return static_cast<int>(std::max<qlonglong>(minimum, std::min<qlonglong>(value, available)));
}

}  // namespace

QString WindowPrefsPath() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (folder.isEmpty()) return {};
  return folder + QStringLiteral("/pelaryn/window.conf");
}

WindowPrefs ReadWindowPrefs(const QString& path, QSize minimum, QSize available) {
  WindowPrefs prefs;
  if (path.isEmpty() || !Usable(path)) return prefs;
  const QSettings file(path, QSettings::IniFormat);
  bool widthOk = false;
  bool heightOk = false;
  const qlonglong width = file.value(kWidth).toString().trimmed().toLongLong(&widthOk);
  const qlonglong height = file.value(kHeight).toString().trimmed().toLongLong(&heightOk);
  if (widthOk && heightOk) {
    prefs.Size = QSize(Clamped(width, minimum.width(), available.width()),
                       Clamped(height, minimum.height(), available.height()));
  }
  const QString fullScreen = file.value(kFullScreen).toString().trimmed();
  prefs.FullScreen = fullScreen.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0 ||
                     fullScreen == QStringLiteral("1");
  return prefs;
}

bool WriteWindowPrefs(const QString& path, const WindowPrefs& prefs) {
  if (path.isEmpty()) return false;
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSettings file(path, QSettings::IniFormat);
  if (!prefs.Size.isEmpty()) {
    file.setValue(kWidth, prefs.Size.width());
    file.setValue(kHeight, prefs.Size.height());
  }
  file.setValue(kFullScreen, prefs.FullScreen);
  file.sync();
  return file.status() == QSettings::NoError;
}

}  // namespace pelaryn
