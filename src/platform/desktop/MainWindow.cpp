#include "platform/desktop/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QIcon>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "game/Game.h"
#include "platform/desktop/PlayField.h"
#include "platform/desktop/Screenshot.h"
#include "platform/desktop/ui/CoreTexts.h"

namespace pelaryn {

MainWindow::MainWindow() {
  setWindowTitle(tr("ヴェルガード"));
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/icon-%1.png").arg(size), QSize(size, size));
  }
  setWindowIcon(icon);
  field_ = new PlayField(this);
  setCentralWidget(field_);

  std::array<QMenu*, MenuItemCount>& menus = menus_;
  for (const MenuItemInfo& item : MenuItems) {
    const auto index = static_cast<std::size_t>(item.Id);
    if (item.Parent == item.Id) {
      QMenu* menu = menuBar()->addMenu(MenuCaption(item.Id));
      // While a menu is open the keys go to it, releases included; when it closes, however it
      // closes, they go back to the ship rather than walk the menu bar.
      connect(menu, &QMenu::aboutToShow, this, [this] { field_->ReleaseAllKeys(); });
      connect(menu, &QMenu::aboutToHide, this,
              [this] { QTimer::singleShot(0, this, &MainWindow::ReturnKeysToField); });
      menus[index] = menu;
      continue;
    }
    QAction* action = menus[static_cast<std::size_t>(item.Parent)]->addAction(MenuCaption(item.Id));
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
  replay_ = new QAction(tr("リプレイ…"), this);
  replay_->setShortcut(QKeySequence(Qt::Key_F7));
  replay_->setShortcutContext(Qt::WindowShortcut);
  connect(replay_, &QAction::triggered, this, [this] {
    if (OnReplayWindow) OnReplayWindow();
    SyncMenu();
  });
  menus[static_cast<std::size_t>(MenuId::Game)]->insertAction(
      actions_[static_cast<std::size_t>(MenuId::Exit)], replay_);
  // The player's own keys, pad and loudness, below the game's options; they change no rule.
  QMenu* config = menus[static_cast<std::size_t>(MenuId::Config)];
  controls_ = config->addAction(tr("操作とサウンド…"));
  connect(controls_, &QAction::triggered, this, [this] {
    if (OnControlsWindow) OnControlsWindow();
    SyncMenu();
  });
  mute_ = config->addAction(tr("ミュート"));
  mute_->setCheckable(true);
  mute_->setShortcut(QKeySequence(Qt::Key_M));
  mute_->setShortcutContext(Qt::WindowShortcut);
  connect(mute_, &QAction::triggered, this, [this](bool on) {
    Preferences changed = prefs_;
    changed.Muted = on;
    SetPrefs(changed);
  });
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
  auto* screenshot = new QAction(this);
  screenshot->setShortcut(QKeySequence(Qt::Key_F12));
  screenshot->setShortcutContext(Qt::WindowShortcut);
  connect(screenshot, &QAction::triggered, this, &MainWindow::TakeScreenshot);
  addAction(screenshot);
  noteTimer_ = new QTimer(this);
  noteTimer_->setSingleShot(true);
  connect(noteTimer_, &QTimer::timeout, this, [this] {
    note_.clear();
    SyncMenu();
  });
  adjustSize();
}

void MainWindow::ShowAsPreferred(const QString& path) {
  prefsPath_ = path;
  const QScreen* display = screen();
  const QRect available = display ? display->availableGeometry() : QRect(QPoint(), size());
  prefs_ = ReadPreferences(path, minimumSizeHint(), available.size());
  ApplyPrefs();
  if (!prefs_.WindowSize.isEmpty()) {
    resize(prefs_.WindowSize);
    const QRect kept(prefs_.WindowPosition.value_or(QPoint()), prefs_.WindowSize);
    if (prefs_.WindowPosition && QGuiApplication::screenAt(kept.center()) != nullptr) {
      // Where the player left it, as long as a screen still shows its middle.
      move(*prefs_.WindowPosition);
    } else {
      move(available.center() - QPoint(width() / 2, height() / 2));
    }
  } else {
    // A first start: the field as large as the screen comfortably holds, in whole pixels.
    const int scale = FirstWindowScale(available.size());
    const QSize chrome = sizeHint() - field_->sizeHint();
    resize(field_->sizeHint() * scale + chrome);
    move(available.center() - QPoint(width() / 2, height() / 2));
  }
  preferFullScreen_ = prefs_.FullScreen;
  show();
}

void MainWindow::ApplyPreferredFullScreen() {
  if (preferFullScreen_) showFullScreen();
  preferFullScreen_ = false;
}

void MainWindow::SavePreferences() {
  prefs_.WindowSize = normalGeometry().size();
  if (normalPosition_) prefs_.WindowPosition = normalPosition_;
  prefs_.FullScreen = isFullScreen();
  if (prefsPath_.isEmpty()) return;
  if (WritePreferences(prefsPath_, prefs_)) return;
  if (prefsWarned_) return;
  prefsWarned_ = true;
  std::fprintf(stderr, "pelaryn: the preferences could not be saved in %s\n",
               prefsPath_.toLocal8Bit().constData());
  QMessageBox::warning(this, QStringLiteral("pelaryn"),
                       tr("設定を保存できませんでした: %1").arg(prefsPath_));
}

void MainWindow::SetPrefs(const Preferences& prefs) {
  prefs_ = prefs;
  ApplyPrefs();
  SavePreferences();
  SyncMenu();
}

void MainWindow::ApplyPrefs() {
  const Language language = ChosenLanguage(prefs_.Language, QLocale::system().uiLanguages());
  if (language != translation_.Current()) {
    translation_.Use(language);
    Retranslate();
  }
  field_->SetKeyBindings(prefs_.Keys);
  mute_->setChecked(prefs_.Muted);
  if (OnPreferencesApplied) OnPreferencesApplied(prefs_);
}

void MainWindow::Retranslate() {
  for (const MenuItemInfo& item : MenuItems) {
    const auto index = static_cast<std::size_t>(item.Id);
    if (menus_[index]) menus_[index]->setTitle(MenuCaption(item.Id));
    if (actions_[index]) actions_[index]->setText(MenuCaption(item.Id));
  }
  replay_->setText(tr("リプレイ…"));
  controls_->setText(tr("操作とサウンド…"));
  mute_->setText(tr("ミュート"));
  title_ = tr("ヴェルガード");
  setWindowTitle(title_);
  SyncMenu();
}

void MainWindow::ToggleFullScreen() {
  if (isFullScreen()) {
    showNormal();
  } else {
    showFullScreen();
  }
  SavePreferences();
}

void MainWindow::ShowNote(const QString& text) {
  note_ = text;
  noteTimer_->start(2000);
  SyncMenu();
}

void MainWindow::TakeScreenshot() {
  QString why;
  const QStringList files =
      SaveScreenshot(field_->Snapshot(), field_->WholeScale(),
                     screenshotFolder_.isEmpty() ? ScreenshotFolder() : screenshotFolder_,
                     QDateTime::currentDateTime(), why);
  ShowNote(files.isEmpty() ? tr("スクリーンショットを保存できませんでした: ") + why
                           : tr("スクリーンショットを保存しました"));
}

void MainWindow::ReturnKeysToField() {
  // Moving along the bar opens the next menu before this runs; a window an item opened holds
  // the keys until it closes, and then gives them back to the field, which had them before.
  if (QApplication::activePopupWidget() != nullptr) return;
  if (QApplication::activeModalWidget() != nullptr) return;
  field_->setFocus(Qt::OtherFocusReason);
}

bool MainWindow::GamePaused() const {
  if (!game_) return false;
  if (game_->Playing()) return game_->Playback().Paused();
  return !game_->InTitle() && game_->State().Menu.Checked(MenuId::Pause);
}

void MainWindow::PauseForFocusLoss() {
  if (!prefs_.PauseOnFocusLoss || !game_ || game_->InTitle() || GamePaused()) return;
  // Back already: a window manager that lets go of the keyboard for a moment is no absence.
  if (isActiveWindow()) return;
  // A window of ours holds the game still already, and the pause's own wait would start inside
  // it.
  if (QApplication::activeModalWidget() != nullptr) return;
  if (game_->Playing()) {
    game_->MenuCommand(MenuId::Pause);
    SyncMenu();
    return;
  }
  QAction* pause = actions_[static_cast<std::size_t>(MenuId::Pause)];
  if (game_->State().Menu.Enabled(MenuId::Pause)) pause->trigger();
}

namespace {

QString PlaybackTitle(const Game& game, const QString& caption) {
  const Replay& replay = *game.Playing();
  QString title = QCoreApplication::translate("MainWindow", "ヴェルガード — リプレイ ");
  if (!caption.isEmpty()) {
    title += caption + QLatin1Char(' ');
  } else if (!replay.Name.empty()) {
    title += QString::fromStdString(replay.Name) + QLatin1Char(' ');
  }
  title += QString::number(replay.Result.Score);
  if (game.Playback().Fast()) title += QCoreApplication::translate("MainWindow", "（早送り）");
  if (game.PlaybackBackgroundMissing())
    title += QCoreApplication::translate("MainWindow", "（背景の画像がないため黒で再生）");
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
  if (mute_->isChecked() != prefs_.Muted) mute_->setChecked(prefs_.Muted);
  // The caption belongs to one replay only; the object stays alive while it plays, so the
  // address cannot be another's.
  const bool captioned = watching && captionOf_.lock().get() == game_->Playing();
  QString title =
      watching ? PlaybackTitle(*game_, captioned ? caption_ : QString()) : tr("ヴェルガード");
  if (!note_.isEmpty()) title += QStringLiteral(" — ") + note_;
  if (GamePaused()) title += tr(" — 一時停止中");
  if (title != title_) {
    title_ = title;
    setWindowTitle(title);
  }
}

void MainWindow::moveEvent(QMoveEvent* event) {
  // The frame's corner, as the window system places a window: kept only for a window in its
  // normal state, which is what the next start brings back.
  if (isVisible() && windowState() == Qt::WindowNoState) normalPosition_ = pos();
  QMainWindow::moveEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The window stays until the game has unwound its loops and written its files.
  event->ignore();
  if (game_) game_->RequestExit();
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
    field_->ReleaseAllKeys();
    // Another program, or the manual, took the keyboard. Queued: the pause waits inside its
    // handler, as F3 does, and must not wait inside this notification.
    QTimer::singleShot(0, this, &MainWindow::PauseForFocusLoss);
  }
  QMainWindow::changeEvent(event);
}

}  // namespace pelaryn
