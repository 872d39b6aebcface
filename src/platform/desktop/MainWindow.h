#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>

#include "base/Menu.h"

class QAction;

namespace pelaryn {

class Game;
class PlayField;

// The main window: the menu bar built from the game's menu table, and the play field. F11 switches
// between full screen and the window; both the size and the choice outlast the program in a
// preferences file of the window's own.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow();

  void Attach(Game& game) { game_ = &game; }
  PlayField& Field() { return *field_; }
  // Makes check marks and enabled states match the game's menu model.
  void SyncMenu();

  // Reads the preferences at `path` (empty: none are kept) and shows the window at their size.
  void ShowAsPreferred(const QString& path);
  // Full screen, if the preferences ask for it, once the window is on screen: some window
  // managers ignore a full screen asked for before the window is mapped.
  void ApplyPreferredFullScreen();
  // Writes the preferences back; says once on stderr when they could not be written.
  void SavePreferences();
  void ToggleFullScreen();

  // ゲーム → リプレイ… (F7): opens the replay window.
  std::function<void()> OnReplayWindow;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  Game* game_ = nullptr;
  PlayField* field_ = nullptr;
  std::array<QAction*, MenuItemCount> actions_{};
  QAction* replay_ = nullptr;
  QString title_;
  QString prefsPath_;
  bool prefsWarned_ = false;
  bool preferFullScreen_ = false;
};

}  // namespace pelaryn
