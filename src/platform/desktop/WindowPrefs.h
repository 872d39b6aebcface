#pragma once

#include <QSize>
#include <QString>

namespace pelaryn {

// How the player left the window: its size when not full screen, and whether it was full screen.
// Kept apart from the game's settings file, whose format is the game's own.
struct WindowPrefs {
  QSize Size;  // empty when the file holds no usable size
  bool FullScreen = false;
};

// `$XDG_CONFIG_HOME/pelaryn/window.conf`, or empty when the system names no configuration folder.
QString WindowPrefsPath();

// A missing, unreadable or hand-mangled file gives what it can: a size that is not a whole number
// is dropped, any other is brought within `minimum` … `available` (the minimum wins on a screen
// smaller than the window can be), and full screen needs an explicit true.
WindowPrefs ReadWindowPrefs(const QString& path, QSize minimum, QSize available);

// False when the file could not be written.
bool WriteWindowPrefs(const QString& path, const WindowPrefs& prefs);

}  // namespace pelaryn
