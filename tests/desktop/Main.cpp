// The desktop tests run without a display, on Qt's offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("SDL_AUDIODRIVER", "dummy");
  // The windows in the game's own language, whatever the machine's; a test asks for English.
  qputenv("LANG", "C.UTF-8");
  qunsetenv("LANGUAGE");
  qunsetenv("LC_ALL");
  qunsetenv("LC_MESSAGES");
  QApplication app(argc, argv);
  // The game's own font, so that windows are measured as players see them.
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPointSize(9);
  QApplication::setFont(font);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
