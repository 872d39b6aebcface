#include "platform/desktop/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QMenuBar>
#include <QScreen>
#include <cstdio>

#include "game/Game.h"
#include "platform/desktop/PlayField.h"
#include "platform/desktop/WindowPrefs.h"

namespace pelaryn {

MainWindow::MainWindow() {
  setWindowTitle(QStringLiteral("ヴェルガード"));
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/icon-%1.png").arg(size), QSize(size, size));
  }
  setWindowIcon(icon);
  field_ = new PlayField(this);
  setCentralWidget(field_);

  std::array<QMenu*, MenuItemCount> menus{};
  for (const MenuItemInfo& item : MenuItems) {
    const auto index = static_cast<std::size_t>(item.Id);
    if (item.Parent == item.Id) {
      menus[index] = menuBar()->addMenu(QString::fromUtf8(item.Caption));
      continue;
    }
    QAction* action =
        menus[static_cast<std::size_t>(item.Parent)]->addAction(QString::fromUtf8(item.Caption));
    action->setCheckable(item.Checkable);
    action->setChecked(item.DesignChecked);
    if (item.FunctionKey > 0) {
      action->setShortcut(QKeySequence(Qt::Key_F1 + (item.FunctionKey - 1)));
      action->setShortcutContext(Qt::WindowShortcut);
    }
    const MenuId id = item.Id;
    connect(action, &QAction::triggered, this, [this, id, action] {
      // The game owns the check mark; the click only reports itself.
      if (game_) {
        action->setChecked(game_->State().Menu.Checked(id));
        game_->MenuCommand(id);
        SyncMenu();
      }
    });
    actions_[index] = action;
  }
  // Not in the game's menu table: full screen is the window's business, not the game's. On the
  // window itself, so that the key works with the menu bar closed or hidden.
  auto* fullScreen = new QAction(this);
  fullScreen->setShortcut(QKeySequence(Qt::Key_F11));
  fullScreen->setShortcutContext(Qt::WindowShortcut);
  connect(fullScreen, &QAction::triggered, this, &MainWindow::ToggleFullScreen);
  addAction(fullScreen);
  adjustSize();
}

void MainWindow::ShowAsPreferred(const QString& path) {
  prefsPath_ = path;
  const QScreen* display = screen();
  const QSize available = display ? display->availableGeometry().size() : size();
  const WindowPrefs prefs = ReadWindowPrefs(path, minimumSizeHint(), available);
  if (!prefs.Size.isEmpty()) resize(prefs.Size);
  preferFullScreen_ = prefs.FullScreen;
  show();
}

void MainWindow::ApplyPreferredFullScreen() {
  if (preferFullScreen_) showFullScreen();
  preferFullScreen_ = false;
}

void MainWindow::SavePreferences() {
  if (prefsPath_.isEmpty()) return;
  if (WriteWindowPrefs(prefsPath_, {normalGeometry().size(), isFullScreen()})) return;
  if (prefsWarned_) return;
  prefsWarned_ = true;
  std::fprintf(stderr, "pelaryn: the window's size could not be saved in %s\n",
               prefsPath_.toLocal8Bit().constData());
}

void MainWindow::ToggleFullScreen() {
  if (isFullScreen()) {
    showNormal();
  } else {
    showFullScreen();
  }
  SavePreferences();
}

void MainWindow::SyncMenu() {
  if (!game_) return;
  const MenuModel& menu = game_->State().Menu;
  for (const MenuItemInfo& item : MenuItems) {
    QAction* action = actions_[static_cast<std::size_t>(item.Id)];
    if (!action) continue;
    if (action->isChecked() != menu.Checked(item.Id)) action->setChecked(menu.Checked(item.Id));
    if (action->isEnabled() != menu.Enabled(item.Id)) action->setEnabled(menu.Enabled(item.Id));
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The window stays until the game has unwound its loops and written its files.
  event->ignore();
  if (game_) game_->RequestExit();
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) field_->ReleaseAllKeys();
  QMainWindow::changeEvent(event);
}

}  // namespace pelaryn
