// The window's preferences file: where it lives, what a mangled one gives, and the window that
// reads, applies and writes it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "base/Platform.h"
#include "platform/desktop/MainWindow.h"
#include "platform/desktop/PlayField.h"
#include "platform/desktop/WindowPrefs.h"

namespace pelaryn {
namespace {

const QSize kMinimum(300, 420);
const QSize kAvailable(1280, 800);

class WindowPrefsTest : public ::testing::Test {
 protected:
  QString Write(const QByteArray& text) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
  }

  QTemporaryDir folder;
  QString path = folder.path() + QStringLiteral("/pelaryn/window.conf");
};

TEST_F(WindowPrefsTest, LivesInTheUsersConfigurationFolderApartFromTheGamesSettings) {
  const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
  EXPECT_EQ(WindowPrefsPath(), folder.path() + QStringLiteral("/pelaryn/window.conf"));
  qputenv("XDG_CONFIG_HOME", saved);
}

TEST_F(WindowPrefsTest, WhatIsWrittenIsReadBackAndAMissingFileGivesNothing) {
  EXPECT_TRUE(ReadWindowPrefs(path, kMinimum, kAvailable).Size.isEmpty());
  EXPECT_FALSE(ReadWindowPrefs(path, kMinimum, kAvailable).FullScreen);
  // The folder is made on the first save.
  ASSERT_TRUE(WriteWindowPrefs(path, {{437, 700}, true}));
  WindowPrefs read = ReadWindowPrefs(path, kMinimum, kAvailable);
  EXPECT_EQ(read.Size, QSize(437, 700));
  EXPECT_TRUE(read.FullScreen);
  ASSERT_TRUE(WriteWindowPrefs(path, {{600, 780}, false}));
  read = ReadWindowPrefs(path, kMinimum, kAvailable);
  EXPECT_EQ(read.Size, QSize(600, 780));
  EXPECT_FALSE(read.FullScreen);
  EXPECT_FALSE(ReadWindowPrefs({}, kMinimum, kAvailable).FullScreen);
  EXPECT_FALSE(WriteWindowPrefs({}, {{437, 700}, true}));
}

TEST_F(WindowPrefsTest, AMangledFileIsBroughtWithinTheScreen) {
  QDir().mkpath(folder.path() + QStringLiteral("/pelaryn"));
  struct Case {
    const char* text;
    QSize size;
    bool fullScreen;
  };
  const Case cases[] = {
      {"[Window]\nWidth=99999999\nHeight=-5\nFullScreen=true\n", {1280, 420}, true},
      {"[Window]\nWidth=-2147483649\nHeight=2147483648\n", {300, 800}, false},
      {"[Window]\nWidth=1e9\nHeight=500\nFullScreen=yes please\n", {}, false},
      {"[Window]\nWidth=wide\nHeight=\nFullScreen=1\n", {}, true},
      {"[Window]\nWidth=400,500\nHeight=600\n", {}, false},
      {"[Window]\nWidth=99999999999999999999999\nHeight=600\n", {}, false},
      {"[Window\nWidth=500\n\x01\xff\xfe=\n", {}, false},
      {"\x89PNG\r\n\x1a\n\0\0\0\rIHDR", {}, false},
  };
  for (const Case& c : cases) {
    const WindowPrefs read = ReadWindowPrefs(Write(QByteArray(c.text)), kMinimum, kAvailable);
    EXPECT_EQ(read.Size, c.size) << c.text;
    EXPECT_EQ(read.FullScreen, c.fullScreen) << c.text;
  }
  // A screen smaller than the window can be: the window's own minimum.
  Write("[Window]\nWidth=800\nHeight=900\n");
  EXPECT_EQ(ReadWindowPrefs(path, kMinimum, {200, 300}).Size, kMinimum);
  // Far larger than anything we write: not even read.
  QByteArray huge("[Window]\nWidth=500\nHeight=600\nFullScreen=true\n");
  huge.append(QByteArray(100 * 1024, '#'));
  EXPECT_FALSE(ReadWindowPrefs(Write(huge), kMinimum, kAvailable).FullScreen);
}

TEST_F(WindowPrefsTest, AFolderUnderTheNameIsNeitherReadNorWritten) {
  ASSERT_TRUE(QDir().mkpath(path));
  EXPECT_TRUE(ReadWindowPrefs(path, kMinimum, kAvailable).Size.isEmpty());
  EXPECT_FALSE(WriteWindowPrefs(path, {{437, 700}, true}));
  // A parent that is a file: the folder cannot be made.
  const QString blocked = folder.path() + QStringLiteral("/file");
  QFile(blocked).open(QIODevice::WriteOnly);
  EXPECT_FALSE(WriteWindowPrefs(blocked + QStringLiteral("/window.conf"), {{437, 700}, true}));
}

TEST_F(WindowPrefsTest, F11TogglesFullScreenAndTheWindowRemembersItsSizeAndState) {
  QDir().mkpath(folder.path() + QStringLiteral("/pelaryn"));
  Write("[Window]\nWidth=437\nHeight=700\nFullScreen=false\n");
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  {
    MainWindow window;
    window.ShowAsPreferred(path);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.size(), QSize(437, 700));
    EXPECT_FALSE(window.isFullScreen());
    QTest::keyClick(&window.Field(), Qt::Key_F11);
    EXPECT_TRUE(window.isFullScreen());
    QTest::qWait(0);
    EXPECT_EQ(window.size(), screen);
    // Written at the toggle already: the normal size, and full screen.
    WindowPrefs saved = ReadWindowPrefs(path, kMinimum, kAvailable);
    EXPECT_EQ(saved.Size, QSize(437, 700));
    EXPECT_TRUE(saved.FullScreen);
    // Leaving the game in full screen keeps the size the window will return to.
    QFile::remove(path);
    window.SavePreferences();
    saved = ReadWindowPrefs(path, kMinimum, kAvailable);
    EXPECT_EQ(saved.Size, QSize(437, 700));
    EXPECT_TRUE(saved.FullScreen);
    window.hide();
  }
  {
    MainWindow window;
    window.ShowAsPreferred(path);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_FALSE(window.isFullScreen());
    window.ApplyPreferredFullScreen();
    QTest::qWait(0);
    EXPECT_TRUE(window.isFullScreen());
    EXPECT_EQ(window.size(), screen);
    // The game's own keys still reach the play field.
    QTest::keyPress(&window.Field(), Qt::Key_Z);
    EXPECT_TRUE(window.Field().KeyDown(vk::Z));
    QTest::keyRelease(&window.Field(), Qt::Key_Z);
    QTest::keyClick(&window.Field(), Qt::Key_F11);
    QTest::qWait(0);
    EXPECT_FALSE(window.isFullScreen());
    EXPECT_EQ(window.size(), QSize(437, 700));
    window.resize(500, 640);
    QTest::qWait(0);
    window.SavePreferences();
    const WindowPrefs saved = ReadWindowPrefs(path, kMinimum, kAvailable);
    EXPECT_EQ(saved.Size, QSize(500, 640));
    EXPECT_FALSE(saved.FullScreen);
    window.hide();
  }
}

}  // namespace
}  // namespace pelaryn
