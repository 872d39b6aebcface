// The desktop tests run without a display, on Qt's offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("SDL_AUDIODRIVER", "dummy");
  QApplication app(argc, argv);
  // The game's own font, so that windows are measured as players see them.
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPointSize(9);
  QApplication::setFont(font);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
