#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <optional>

#include "platform/desktop/KeyBindings.h"
#include "platform/desktop/Language.h"
#include "platform/pad/PadBindings.h"

namespace pelaryn {

// The player's own choices: the window, the keys and pad buttons, the loudness, and how the
// window behaves. Kept apart from the game's settings file, whose format is the game's own, and
// never part of a game: a replay plays the same whatever they are.
struct Preferences {
  QSize WindowSize;  // empty when none is kept
  // The window's frame's top left corner, when one is kept.
  std::optional<QPoint> WindowPosition;
  bool FullScreen = false;
  KeyBindings Keys = KeyBindings::Defaults();
  PadBindings Pad;
  int MusicVolume = 100;  // percent of the loudness the pieces are mixed at
  int EffectVolume = 100;
  bool Muted = false;
  // The soundfont the music is made with; empty for the one our pieces are balanced for.
  QString SoundFont;
  bool PauseOnFocusLoss = true;
  bool GentleFlash = false;
  LanguageChoice Language = LanguageChoice::System;
  // The score board's address; while it is empty the game talks to no server at all.
  QString OnlineServer;
  // Sent with every run, shown for a game whose score asked for no name.
  QString OnlineName;
  // Whether each game over's replay is sent to the board.
  bool OnlineSubmit = false;

  bool operator==(const Preferences&) const = default;
};

// `$XDG_CONFIG_HOME/pelaryn/pelaryn.conf`, or empty when the system names no configuration
// folder.
QString PreferencesPath();
// Where the window's size was kept before there was a preferences file.
QString LegacyWindowPrefsPath(const QString& preferencesPath);

// Each value is read on its own: one that is missing, malformed or out of range keeps its
// default and takes nothing else with it. A size is brought within `minimum` … `available` (the
// minimum wins on a screen smaller than the window can be). Without a preferences file, the
// window's size and full screen are taken from the older window file, if there is one.
Preferences ReadPreferences(const QString& path, QSize minimum, QSize available);

// False when the file could not be written.
bool WritePreferences(const QString& path, const Preferences& prefs);

// Whether `text` can be a score board's address: an http or https URL naming a host, with no
// query or fragment of its own (the requests add theirs).
bool IsBoardAddress(const QString& text);

// The longest name the board keeps, in characters.
constexpr int kOnlineNameLength = 16;

// The largest whole enlargement of the field that fits within 85 % of the screen's available
// width and height; at least 1.
int FirstWindowScale(QSize available);

}  // namespace pelaryn
