#include "platform/desktop/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
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
  // Not in the game's menu table either: replays are the desktop's own. Above 終了, with the
  // game's other commands.
  replay_ = new QAction(QStringLiteral("リプレイ…"), this);
  replay_->setShortcut(QKeySequence(Qt::Key_F7));
  replay_->setShortcutContext(Qt::WindowShortcut);
  connect(replay_, &QAction::triggered, this, [this] {
    if (OnReplayWindow) OnReplayWindow();
    SyncMenu();
  });
  menus[static_cast<std::size_t>(MenuId::Game)]->insertAction(
      actions_[static_cast<std::size_t>(MenuId::Exit)], replay_);
  // Fast playback: four frames in the time of one, while a replay plays.
  auto* fast = new QAction(this);
  fast->setShortcut(QKeySequence(Qt::Key_F8));
  fast->setShortcutContext(Qt::WindowShortcut);
  connect(fast, &QAction::triggered, this, [this] {
    if (game_ && game_->Playing()) game_->Playback().ToggleFast();
    SyncMenu();
  });
  addAction(fast);
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

namespace {

// While a replay plays, the menu shows the recorded game's check marks, and only what the
// watcher may do is enabled: pause, back to the title, quit, the manual and the about box.
bool WatcherMayUse(MenuId id) {
  return id == MenuId::Pause || id == MenuId::Reset || id == MenuId::Exit || id == MenuId::Manual ||
         id == MenuId::Version || id == MenuId::Game || id == MenuId::Config || id == MenuId::Help;
}

QString PlaybackTitle(const Game& game) {
  const Replay& replay = *game.Playing();
  QString title = QStringLiteral("ヴェルガード — リプレイ ");
  if (!replay.Name.empty()) title += QString::fromStdString(replay.Name) + QLatin1Char(' ');
  title += QString::number(replay.Result.Score);
  if (game.Playback().Paused()) title += QStringLiteral("（一時停止中）");
  if (game.Playback().Fast()) title += QStringLiteral("（早送り）");
  if (game.PlaybackBackgroundMissing()) title += QStringLiteral("（背景の画像がないため黒で再生）");
  return title;
}

}  // namespace

void MainWindow::SyncMenu() {
  if (!game_) return;
  const MenuModel& menu = game_->State().Menu;
  const bool watching = game_->Playing() != nullptr;
  for (const MenuItemInfo& item : MenuItems) {
    QAction* action = actions_[static_cast<std::size_t>(item.Id)];
    if (!action) continue;
    const bool enabled = menu.Enabled(item.Id) && (!watching || WatcherMayUse(item.Id));
    if (action->isChecked() != menu.Checked(item.Id)) action->setChecked(menu.Checked(item.Id));
    if (action->isEnabled() != enabled) action->setEnabled(enabled);
  }
  if (replay_->isEnabled() == watching) replay_->setEnabled(!watching);
  const QString title = watching ? PlaybackTitle(*game_) : QStringLiteral("ヴェルガード");
  if (title != title_) {
    title_ = title;
    // The platform appends the program's display name to a title that does not end with it;
    // a playback's title leads with the name instead, so it stands as the display name meanwhile.
    QGuiApplication::setApplicationDisplayName(watching ? title : QStringLiteral("ヴェルガード"));
    setWindowTitle(title);
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
