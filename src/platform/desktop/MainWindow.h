#pragma once

#include <QMainWindow>
#include <array>

#include "base/Menu.h"

class QAction;

namespace pelaryn {

class Game;
class PlayField;

// The main window: the menu bar built from the game's menu table, and the play field.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow();

  void Attach(Game& game) { game_ = &game; }
  PlayField& Field() { return *field_; }
  // Makes check marks and enabled states match the game's menu model.
  void SyncMenu();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  Game* game_ = nullptr;
  PlayField* field_ = nullptr;
  std::array<QAction*, MenuItemCount> actions_{};
};

}  // namespace pelaryn
