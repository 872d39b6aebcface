// The desktop's window and its reading of the player's background pictures.

#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <vector>

#include "../ScratchPath.h"
#include "platform/desktop/DesktopPlatform.h"
#include "platform/desktop/MainWindow.h"
#include "render/Pictures.h"
#include "render/Surface.h"

namespace pelaryn {
namespace {

std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) {
  static const testing::ScratchFolder folder("desktop");
  const std::string path = folder.File(name);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

class DesktopPictures : public ::testing::Test {
 protected:
  MainWindow window;
  Pictures pictures;
  DesktopPlatform platform{window, pictures};
};

}  // namespace

TEST_F(DesktopPictures, TheWindowCarriesTheProgramIconInEverySize) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("ヴェルガード"));
  EXPECT_EQ(window.windowIcon().availableSizes().size(), 6);
}

// The formats and the hostile files are the shared loader's tests; here only that the desktop
// reads through it and leaves a refused picture alone.
TEST_F(DesktopPictures, ReadsThePlayersPicturesThroughTheSharedLoader) {
  Surface out;
  const std::vector<unsigned char> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0,    1, 0, 0x80, 0,
                                          0,   255, 0,   0,   0,   0,   0, 0x2C, 0, 0, 0,    0,
                                          1,   0,   1,   0,   0,   2,   2, 0x44, 1, 0, 0x3B};
  ASSERT_TRUE(platform.LoadPicture(Write("dot.gif", gif), out));
  EXPECT_EQ(out.Width(), 1);
  EXPECT_EQ(out.Pixel(0, 0), Rgb(255, 0, 0));

  Surface kept(7, 7);
  EXPECT_FALSE(platform.LoadPicture("", kept));
  EXPECT_FALSE(platform.LoadPicture("/nonexistent/pelaryn/back.bmp", kept));
  EXPECT_FALSE(platform.LoadPicture(Write("text.bmp", {'n', 'o', 'p', 'e'}), kept));
  EXPECT_EQ(kept.Width(), 7);
}

}  // namespace pelaryn
