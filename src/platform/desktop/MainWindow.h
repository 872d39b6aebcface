#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "base/Menu.h"
#include "platform/desktop/Language.h"
#include "platform/desktop/Preferences.h"

class QAction;
class QMenu;
class QTimer;

namespace pelaryn {

struct Replay;

class Game;
class PlayField;

// The main window: the menu bar built from the game's menu table, and the play field. F11 switches
// between full screen and the window, F12 saves a screenshot, M mutes; the player's preferences
// (the window's size, keys, pad, loudness) outlast the program in a file of their own.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow();

  void Attach(Game& game) { game_ = &game; }
  PlayField& Field() { return *field_; }
  // Makes check marks, enabled states and the title match the game.
  void SyncMenu();

  // Reads the preferences at `path` (empty: none are kept), applies them and shows the window at
  // their size; without a kept size, as large as the screen comfortably holds, centred.
  void ShowAsPreferred(const QString& path);
  // Full screen, if the preferences ask for it, once the window is on screen: some window
  // managers ignore a full screen asked for before the window is mapped.
  void ApplyPreferredFullScreen();
  // Writes the preferences back; says once when they could not be written.
  void SavePreferences();
  void ToggleFullScreen();
  const Preferences& Prefs() const { return prefs_; }
  // The language the windows speak now.
  Language WindowLanguage() const { return translation_.Current(); }
  // Takes the player's new choices: applied at once and kept.
  void SetPrefs(const Preferences& prefs);

  // Shows `text` after the title for two seconds.
  void ShowNote(const QString& text);
  // While `replay` plays, the title names it by `caption` (a board's run: whose, which place)
  // instead of the name it holds.
  void SetPlaybackCaption(const std::shared_ptr<const Replay>& replay, const QString& caption) {
    captionOf_ = replay;
    caption_ = caption;
  }
  // F12: the play field as on screen now, into the screenshot folder; the title says how it went.
  void TakeScreenshot();
  // Where screenshots go; empty: the pictures folder.
  void SetScreenshotFolder(const QString& folder) { screenshotFolder_ = folder; }

  // ゲーム → リプレイ… (F7): opens the replay window.
  std::function<void()> OnReplayWindow;
  // 設定 → 操作とサウンド…: opens the controls-and-sound window.
  std::function<void()> OnControlsWindow;
  // The preferences the platform applies (loudness, pad, flash), each time they change.
  std::function<void(const Preferences&)> OnPreferencesApplied;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void ApplyPrefs();
  // Every caption in the language the windows speak now.
  void Retranslate();
  void PauseForFocusLoss();
  // The keyboard back to the play field once no menu or window of ours holds it.
  void ReturnKeysToField();
  bool GamePaused() const;

  Game* game_ = nullptr;
  PlayField* field_ = nullptr;
  std::array<QMenu*, MenuItemCount> menus_{};
  std::array<QAction*, MenuItemCount> actions_{};
  Translation translation_;
  QAction* replay_ = nullptr;
  QAction* controls_ = nullptr;
  QAction* mute_ = nullptr;
  QString title_;
  QString note_;
  std::weak_ptr<const Replay> captionOf_;
  QString caption_;
  QTimer* noteTimer_ = nullptr;
  QString prefsPath_;
  QString screenshotFolder_;
  Preferences prefs_;
  // Where the window's frame last stood in its normal state, once it has been on screen.
  std::optional<QPoint> normalPosition_;
  bool prefsWarned_ = false;
  bool preferFullScreen_ = false;
};

}  // namespace pelaryn
