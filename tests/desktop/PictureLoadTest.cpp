// The desktop reads the player's background pictures with Qt: BMP including run-length encoded
// ones, JPEG and GIF; anything unreadable or absurdly large is refused without a crash.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/desktop/DesktopPlatform.h"
#include "platform/desktop/MainWindow.h"
#include "render/Pictures.h"
#include "render/Surface.h"

namespace pelaryn {
namespace {

std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) {
  const auto path = std::filesystem::temp_directory_path() / ("pelaryn-desktop-" + name);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

void Put32(std::vector<unsigned char>& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// A 4 x 2 picture, 8 bits per pixel, run-length encoded: the top row blue, the bottom row red.
std::vector<unsigned char> Rle8Bitmap() {
  std::vector<unsigned char> b(14 + 40 + 2 * 4, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, 14 + 40 + 8);
  Put32(b, 14, 40);
  Put32(b, 18, 4);
  Put32(b, 22, 2);
  b[26] = 1;
  b[28] = 8;
  Put32(b, 30, 1);                                               // BI_RLE8
  Put32(b, 46, 2);                                               // two palette entries
  const unsigned char palette[] = {255, 0, 0, 0, 0, 0, 255, 0};  // blue, red (as B, G, R, 0)
  std::copy(std::begin(palette), std::end(palette), b.begin() + 54);
  const unsigned char runs[] = {4, 1, 0, 0, 4, 0, 0, 0, 0, 1};  // bottom row first
  for (const unsigned char byte : runs) b.push_back(byte);
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 34, sizeof runs);
  return b;
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

TEST_F(DesktopPictures, ReadsRunLengthBitmapsJpegAndGif) {
  Surface out;
  ASSERT_TRUE(platform.LoadPicture(Write("rle.bmp", Rle8Bitmap()), out));
  EXPECT_EQ(out.Width(), 4);
  EXPECT_EQ(out.Height(), 2);
  EXPECT_EQ(out.Pixel(3, 0), Rgb(0, 0, 255));
  EXPECT_EQ(out.Pixel(0, 1), Rgb(255, 0, 0));

  const std::vector<unsigned char> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0,    1, 0, 0x80, 0,
                                          0,   255, 0,   0,   0,   0,   0, 0x2C, 0, 0, 0,    0,
                                          1,   0,   1,   0,   0,   2,   2, 0x44, 1, 0, 0x3B};
  ASSERT_TRUE(platform.LoadPicture(Write("dot.gif", gif), out));
  EXPECT_EQ(out.Width(), 1);
  EXPECT_EQ(out.Pixel(0, 0), Rgb(255, 0, 0));

  QImage green(320, 480, QImage::Format_RGB32);
  green.fill(QColor(0, 200, 0));
  const auto jpeg = std::filesystem::temp_directory_path() / "pelaryn-desktop-green.jpg";
  ASSERT_TRUE(green.save(QString::fromStdString(jpeg.string()), "JPG"));
  ASSERT_TRUE(platform.LoadPicture(jpeg.string(), out));
  EXPECT_EQ(out.Width(), 320);
  EXPECT_NEAR(static_cast<int>((out.Pixel(100, 100) >> 8) & 0xFF), 200, 6);
}

TEST_F(DesktopPictures, RefusesWhatIsNotAPictureOrTooLarge) {
  Surface out(7, 7);
  EXPECT_FALSE(platform.LoadPicture("", out));
  EXPECT_FALSE(platform.LoadPicture("/nonexistent/pelaryn/back.bmp", out));
  EXPECT_FALSE(platform.LoadPicture(Write("text.bmp", {'n', 'o', 'p', 'e'}), out));
  std::vector<unsigned char> huge = Rle8Bitmap();
  Put32(huge, 18, 100000);
  Put32(huge, 22, 100000);
  EXPECT_FALSE(platform.LoadPicture(Write("huge.bmp", huge), out));
  std::vector<unsigned char> cut = Rle8Bitmap();
  cut.resize(30);
  EXPECT_FALSE(platform.LoadPicture(Write("cut.bmp", cut), out));
  EXPECT_EQ(out.Width(), 7);  // untouched by every failure
}

}  // namespace pelaryn
