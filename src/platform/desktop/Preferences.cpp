#include "platform/desktop/Preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

#include "base/Field.h"

namespace pelaryn {
namespace {

constexpr auto kWidth = "Window/Width";
constexpr auto kHeight = "Window/Height";
constexpr auto kX = "Window/X";
constexpr auto kY = "Window/Y";
constexpr auto kFullScreen = "Window/FullScreen";
constexpr auto kPauseOnFocusLoss = "Window/PauseOnFocusLoss";
constexpr auto kGentleFlash = "Window/GentleFlash";
constexpr auto kLanguage = "Window/Language";
constexpr auto kPadShot = "Pad/Shot";
constexpr auto kPadSpread = "Pad/Spread";
constexpr auto kMusic = "Sound/Music";
constexpr auto kEffects = "Sound/Effects";
constexpr auto kMuted = "Sound/Muted";
constexpr auto kSoundFont = "Sound/SoundFont";
constexpr auto kOnlineServer = "Online/Server";
constexpr auto kOnlineName = "Online/Name";
constexpr auto kOnlineSubmit = "Online/Submit";
constexpr std::array<const char*, KeyActionCount> kActionNames{"Left", "Right", "Up",
                                                               "Down", "Shot",  "Spread"};

// A few dozen lines are all the file ever holds; anything much larger was not written by us, and
// a FIFO or device under the name would stall the start-up on its first read.
constexpr qint64 kMaxFileBytes = 64 * 1024;

bool Usable(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && info.size() <= kMaxFileBytes;
}

int Clamped(qlonglong value, int minimum, int available) {
  return static_cast<int>(std::max<qlonglong>(minimum, std::min<qlonglong>(value, available)));
}

QString KeyName(std::size_t action, std::size_t slot) {
  return QStringLiteral("Keys/%1%2").arg(QLatin1String(kActionNames[action])).arg(slot + 1);
}

// A value as the file spells it; a list (a comma in the line) is no value of ours.
std::optional<QString> Text(const QSettings& file, const QString& key) {
  const QVariant value = file.value(key);
  if (!value.isValid() || value.typeId() == QMetaType::QStringList) return std::nullopt;
  return value.toString().trimmed();
}

std::optional<qlonglong> Number(const QSettings& file, const QString& key) {
  const std::optional<QString> text = Text(file, key);
  bool ok = false;
  const qlonglong value = text ? text->toLongLong(&ok) : 0;
  return ok ? std::optional(value) : std::nullopt;
}

void ReadFlag(const QSettings& file, const QString& key, bool& out) {
  const std::optional<QString> text = Text(file, key);
  if (!text) return;
  if (text->compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0 || *text == u"1") {
    out = true;
  } else if (text->compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0 || *text == u"0") {
    out = false;
  }
}

void ReadPercent(const QSettings& file, const QString& key, int& out) {
  const std::optional<qlonglong> value = Number(file, key);
  if (value && *value >= 0 && *value <= 100) out = static_cast<int>(*value);
}

void ReadWindow(const QSettings& file, QSize minimum, QSize available, Preferences& prefs) {
  const std::optional<qlonglong> width = Number(file, kWidth);
  const std::optional<qlonglong> height = Number(file, kHeight);
  if (width && height) {
    prefs.WindowSize = QSize(Clamped(*width, minimum.width(), available.width()),
                             Clamped(*height, minimum.height(), available.height()));
  }
  // Whether it is still on a screen is the window's to find out, with the screens at hand.
  const std::optional<qlonglong> x = Number(file, kX);
  const std::optional<qlonglong> y = Number(file, kY);
  constexpr qlonglong kFar = 1 << 20;
  if (x && y && std::abs(*x) < kFar && std::abs(*y) < kFar) {
    prefs.WindowPosition = QPoint(static_cast<int>(*x), static_cast<int>(*y));
  }
  // Full screen only on an explicit yes: a mangled value leaves the player in a window.
  prefs.FullScreen = false;
  ReadFlag(file, kFullScreen, prefs.FullScreen);
}

void ReadButton(const QSettings& file, const QString& key, std::string& out) {
  const std::optional<QString> text = Text(file, key);
  if (!text) return;
  const std::string name = text->toStdString();
  if (name.empty() || IsPadButtonName(name)) out = name;
}

// A name the board would refuse or show as something else is none: no control characters.
bool PlainName(const QString& name) {
  return name.toUcs4().size() <= kOnlineNameLength &&
         std::none_of(name.begin(), name.end(), [](QChar c) {
           return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
         });
}

}  // namespace

bool IsBoardAddress(const QString& text) {
  const QUrl url(text, QUrl::StrictMode);
  return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
         !url.host().isEmpty() && !url.hasQuery() && !url.hasFragment() && url.userInfo().isEmpty();
}

QString PreferencesPath() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (folder.isEmpty()) return {};
  return folder + QStringLiteral("/pelaryn/pelaryn.conf");
}

QString LegacyWindowPrefsPath(const QString& preferencesPath) {
  if (preferencesPath.isEmpty()) return {};
  return QFileInfo(preferencesPath).absolutePath() + QStringLiteral("/window.conf");
}

Preferences ReadPreferences(const QString& path, QSize minimum, QSize available) {
  Preferences prefs;
  if (path.isEmpty()) return prefs;
  if (!QFileInfo(path).exists()) {
    // Carried over once: from the first save on, the preferences file holds the window too.
    const QString legacy = LegacyWindowPrefsPath(path);
    if (Usable(legacy))
      ReadWindow(QSettings(legacy, QSettings::IniFormat), minimum, available, prefs);
    return prefs;
  }
  if (!Usable(path)) return prefs;
  const QSettings file(path, QSettings::IniFormat);
  ReadWindow(file, minimum, available, prefs);
  ReadFlag(file, kPauseOnFocusLoss, prefs.PauseOnFocusLoss);
  ReadFlag(file, kGentleFlash, prefs.GentleFlash);
  if (const std::optional<QString> language = Text(file, kLanguage)) {
    LanguageChoiceFromText(*language, prefs.Language);
  }
  for (std::size_t a = 0; a < KeyActionCount; ++a) {
    for (std::size_t s = 0; s < KeysPerAction; ++s) {
      const std::optional<QString> text = Text(file, KeyName(a, s));
      if (!text) continue;
      if (const std::optional<KeyCode> key = KeyFromText(*text)) prefs.Keys.Keys[a][s] = *key;
    }
  }
  prefs.Keys.Tidy();
  ReadButton(file, kPadShot, prefs.Pad.Shot);
  ReadButton(file, kPadSpread, prefs.Pad.Spread);
  if (prefs.Pad.Shot == prefs.Pad.Spread) prefs.Pad.Spread.clear();
  ReadPercent(file, kMusic, prefs.MusicVolume);
  ReadPercent(file, kEffects, prefs.EffectVolume);
  ReadFlag(file, kMuted, prefs.Muted);
  // Whether it loads is the music's to find out; a name that is no path is none.
  if (const std::optional<QString> font = Text(file, kSoundFont)) {
    if (QFileInfo(*font).isAbsolute()) prefs.SoundFont = *font;
  }
  // An address that is none would only fail at each game over: no address at all.
  if (const std::optional<QString> server = Text(file, kOnlineServer)) {
    if (IsBoardAddress(*server)) prefs.OnlineServer = *server;
  }
  if (const std::optional<QString> name = Text(file, kOnlineName)) {
    if (PlainName(*name)) prefs.OnlineName = *name;
  }
  ReadFlag(file, kOnlineSubmit, prefs.OnlineSubmit);
  return prefs;
}

bool WritePreferences(const QString& path, const Preferences& prefs) {
  if (path.isEmpty()) return false;
  if (QFileInfo(path).isDir()) return false;
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSettings file(path, QSettings::IniFormat);
  if (!prefs.WindowSize.isEmpty()) {
    file.setValue(kWidth, prefs.WindowSize.width());
    file.setValue(kHeight, prefs.WindowSize.height());
  }
  if (prefs.WindowPosition) {
    file.setValue(kX, prefs.WindowPosition->x());
    file.setValue(kY, prefs.WindowPosition->y());
  }
  file.setValue(kFullScreen, prefs.FullScreen);
  file.setValue(kPauseOnFocusLoss, prefs.PauseOnFocusLoss);
  file.setValue(kGentleFlash, prefs.GentleFlash);
  file.setValue(kLanguage, LanguageChoiceText(prefs.Language));
  for (std::size_t a = 0; a < KeyActionCount; ++a) {
    for (std::size_t s = 0; s < KeysPerAction; ++s) {
      file.setValue(KeyName(a, s), KeyToText(prefs.Keys.Keys[a][s]));
    }
  }
  file.setValue(kPadShot, QString::fromStdString(prefs.Pad.Shot));
  file.setValue(kPadSpread, QString::fromStdString(prefs.Pad.Spread));
  file.setValue(kMusic, prefs.MusicVolume);
  file.setValue(kEffects, prefs.EffectVolume);
  file.setValue(kMuted, prefs.Muted);
  file.setValue(kSoundFont, prefs.SoundFont);
  file.setValue(kOnlineServer, prefs.OnlineServer);
  file.setValue(kOnlineName, prefs.OnlineName);
  file.setValue(kOnlineSubmit, prefs.OnlineSubmit);
  file.sync();
  return file.status() == QSettings::NoError;
}

int FirstWindowScale(QSize available) {
  const int across = available.width() * 85 / 100 / FieldWidth;
  const int down = available.height() * 85 / 100 / FieldHeight;
  return std::max(1, std::min(across, down));
}

}  // namespace pelaryn
