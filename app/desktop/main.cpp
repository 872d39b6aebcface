// pelaryn: the desktop game.

#include <QApplication>
#include <QFont>
#include <cstdio>
#include <string_view>

#include "game/Game.h"
#include "platform/desktop/DesktopPlatform.h"
#include "platform/desktop/MainWindow.h"
#include "platform/desktop/PlayField.h"
#include "platform/desktop/ui/FrmVersion.h"
#include "render/Pictures.h"

int main(int argc, char** argv) {
  // Answered before any window exists, so it works without a display.
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--version") {
      const pelaryn::VersionNumbers version = pelaryn::ProgramVersion();
      std::printf("pelaryn %d.%d\n", version.Major, version.Minor);
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("pelaryn"));
  QApplication::setApplicationDisplayName(QStringLiteral("ヴェルガード"));
  // IPA P Gothic: a proportional gothic face that holds every Japanese caption of the game.
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPointSize(9);
  QApplication::setFont(font);

  pelaryn::Pictures pictures;
  if (!pelaryn::LoadEmbeddedPictures(pictures)) return 1;

  pelaryn::MainWindow window;
  pelaryn::DesktopPlatform platform(window, pictures);
  pelaryn::Game game(platform, pictures);
  window.Attach(game);
  window.show();
  window.activateWindow();
  window.Field().setFocus();
  return game.Run();
}
