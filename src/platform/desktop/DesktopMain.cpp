#include "platform/desktop/DesktopMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QTimer>
#include <QWindow>

#include "game/Game.h"
#include "platform/desktop/DesktopPlatform.h"
#include "platform/desktop/MainWindow.h"
#include "platform/desktop/PlayField.h"
#include "platform/desktop/WindowPrefs.h"
#include "render/Pictures.h"

namespace pelaryn {

int RunDesktopGame(int argc, char** argv, const std::function<void(Game&)>& prepare) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("pelaryn"));
  QApplication::setApplicationDisplayName(QStringLiteral("ヴェルガード"));
  // IPA P Gothic: a proportional gothic face that holds every Japanese caption of the game.
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPointSize(9);
  QApplication::setFont(font);

  Pictures pictures;
  if (!LoadEmbeddedPictures(pictures)) return 1;

  MainWindow window;
  DesktopPlatform platform(window, pictures);
  Game game(platform, pictures);
  if (prepare) prepare(game);
  window.Attach(game);
  window.ShowAsPreferred(WindowPrefsPath());
  window.activateWindow();
  window.Field().setFocus();
  // A picture painted before the window system has put the window on screen waits for the next
  // turn of events, a whole frame later; so the first frame is drawn once the window is there.
  // The timer wakes the wait should the window never be shown (a minimised start).
  QTimer wake;
  wake.start(10);
  QElapsedTimer waited;
  waited.start();
  while (!window.windowHandle()->isExposed() && waited.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::WaitForMoreEvents);
  }
  wake.stop();
  window.ApplyPreferredFullScreen();
  const int code = game.Run();
  window.SavePreferences();
  return code;
}

}  // namespace pelaryn
