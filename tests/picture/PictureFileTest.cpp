// The pictures a player names, as both front ends read them: what is a picture is read, and
// hostile files (a picture format we do not take under a .bmp name, headers that promise
// gigabytes, data that ends early, FIFOs and folders) are refused at once and leave `out` alone.

#include "platform/picture/PictureFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <vector>

#include "../ScratchPath.h"
#include "platform/headless/SimRunner.h"
#include "render/Surface.h"

namespace pelaryn {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<unsigned char>;

struct Scratch {
  fs::path path = testing::ScratchPath("picture-test");
  Scratch() {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~Scratch() { fs::remove_all(path); }
  std::string Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(path / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return (path / name).string();
  }
};

void Put16(Bytes& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 2; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
void Put32(Bytes& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// An uncompressed 24-bit BMP of `w` x `h` whose pixels are all `bgr`, or only its header when
// `withData` is false.
Bytes Bitmap(uint32_t w, uint32_t h, bool withData = true, unsigned char blue = 0,
             unsigned char green = 0, unsigned char red = 0) {
  Bytes b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, 54);
  Put32(b, 14, 40);
  Put32(b, 18, w);
  Put32(b, 22, h);
  b[26] = 1;
  b[28] = 24;
  const uint32_t row = (w * 3 + 3) / 4 * 4;
  if (withData) {
    for (uint32_t y = 0; y < h; ++y) {
      for (uint32_t x = 0; x < row; ++x) {
        const uint32_t c = x % 3;
        b.push_back(x >= w * 3 ? 0 : c == 0 ? blue : c == 1 ? green : red);
      }
    }
  }
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 34, row * h);
  return b;
}

// A 4 x 2 picture, 8 bits per pixel, run-length encoded: the top row blue, the bottom row red;
// `runs` cut to its first bytes.
Bytes Rle8Bitmap(std::size_t runs = 10) {
  Bytes b(14 + 40 + 2 * 4, 0);
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
  const unsigned char data[] = {4, 1, 0, 0, 4, 0, 0, 0, 0, 1};  // bottom row first
  b.insert(b.end(), data, data + std::min(runs, sizeof data));
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 34, sizeof data);
  return b;
}

// A GIF whose screen and one image claim `side` x `side` pixels, with the data of a 1 x 1
// picture.
Bytes Gif(uint32_t side) {
  Bytes b = {'G', 'I',  'F', '8', '9', 'a', 0, 0, 0, 0, 0x80, 0, 0, 255,  0, 0, 0,   0,
             0,   0x2C, 0,   0,   0,   0,   0, 0, 0, 0, 0,    2, 2, 0x44, 1, 0, 0x3B};
  Put16(b, 6, side);
  Put16(b, 8, side);
  Put16(b, 24, side);
  Put16(b, 26, side);
  return b;
}

// A 40 x 30 JPEG of a busy pattern as Qt writes it: several hundred bytes of scan data.
Bytes Encoded(const char* format) {
  QImage pattern(40, 30, QImage::Format_RGB32);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) pattern.setPixel(x, y, qRgb(x * 6, y * 8, (x * y * 37) % 256));
  }
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  pattern.save(&buffer, format);
  return Bytes(data.begin(), data.end());
}

Bytes Jpeg() {
  return Encoded("JPG");
}

}  // namespace

TEST(PictureFile, ReadsBitmapsGifPngAndJpegByTheirContents) {
  Scratch scratch;
  Surface out;
  std::string why;
  ASSERT_TRUE(LoadPictureFile(scratch.Write("blue.bmp", Bitmap(3, 2, true, 255, 0, 0)), out, why))
      << why;
  EXPECT_EQ(out.Width(), 3);
  EXPECT_EQ(out.Height(), 2);
  EXPECT_EQ(out.Pixel(2, 1), Rgb(0, 0, 255));
  Bytes backwards = Bitmap(3, 2, true, 0, 255, 0);
  Put32(backwards, 10, 20);  // data offset into the headers: the data follows them
  ASSERT_TRUE(LoadPictureFile(scratch.Write("backwards.bmp", backwards), out, why)) << why;
  EXPECT_EQ(out.Pixel(0, 0), Rgb(0, 255, 0));
  ASSERT_TRUE(LoadPictureFile(scratch.Write("rle.bmp", Rle8Bitmap()), out, why)) << why;
  EXPECT_EQ(out.Pixel(3, 0), Rgb(0, 0, 255));
  EXPECT_EQ(out.Pixel(0, 1), Rgb(255, 0, 0));
  ASSERT_TRUE(LoadPictureFile(scratch.Write("dot.gif", Gif(1)), out, why)) << why;
  EXPECT_EQ(out.Width(), 1);
  EXPECT_EQ(out.Pixel(0, 0), Rgb(255, 0, 0));

  // Run-length data that ends at once skips every pixel: they are colour 0, never what memory
  // held.
  Bytes skipped = Rle8Bitmap(0);
  skipped.insert(skipped.end(), {0, 1});
  Put32(skipped, 2, static_cast<uint32_t>(skipped.size()));
  ASSERT_TRUE(LoadPictureFile(scratch.Write("skipped.bmp", skipped), out, why)) << why;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(out.Pixel(x, y), Rgb(0, 0, 255)) << x << "," << y;
  }

  // The name says nothing: a PNG called .bmp is read as the PNG it is.
  QImage green(40, 30, QImage::Format_RGB32);
  green.fill(QColor(0, 200, 0));
  const std::string png = (scratch.path / "green.bmp").string();
  ASSERT_TRUE(green.save(QString::fromStdString(png), "PNG"));
  ASSERT_TRUE(LoadPictureFile(png, out, why)) << why;
  EXPECT_EQ(out.Width(), 40);
  EXPECT_EQ(out.Pixel(5, 5), Rgb(0, 200, 0));
  const std::string jpeg = (scratch.path / "green.jpg").string();
  ASSERT_TRUE(green.save(QString::fromStdString(jpeg), "JPG"));
  ASSERT_TRUE(LoadPictureFile(jpeg, out, why)) << why;
  EXPECT_EQ(out.Height(), 30);

  // The largest picture there may be, in one bit a pixel so that it is small to write.
  QImage largest(4096, 4096, QImage::Format_Mono);
  largest.fill(1);
  const std::string largestPng = (scratch.path / "largest.png").string();
  ASSERT_TRUE(largest.save(QString::fromStdString(largestPng), "PNG"));
  ASSERT_TRUE(LoadPictureFile(largestPng, out, why)) << why;
  EXPECT_EQ(int64_t{out.Width()} * out.Height(), MaxPicturePixels);

  // What follows the first picture of a GIF is not needed, not even the trailer.
  Bytes noTrailer = Gif(1);
  noTrailer.pop_back();
  EXPECT_TRUE(LoadPictureFile(scratch.Write("notrailer.gif", noTrailer), out, why)) << why;
}

// Pictures of the fuzz seeds stored without loss in several formats must give the pixels of
// their reference. The GIFs' LZW codes grow, widen and fill their table: what the completeness
// check counts must be what Qt decodes.
TEST(PictureFile, EveryLosslessFormatOfOnePictureGivesItsPixels) {
  const fs::path seeds = PELARYN_PICTURE_SEEDS;
  const struct {
    const char* reference;
    std::vector<const char*> others;
  } sets[] = {
      {"rgb24.bmp", {"os2.bmp", "v5-32.bmp", "plain.gif", "interlaced.gif", "plain.png"}},
      {"pattern.png", {"pattern.gif", "pattern-interlaced.gif"}},
      {"noise.png", {"noise.gif"}},
  };
  for (const auto& set : sets) {
    Surface reference;
    std::string why;
    ASSERT_TRUE(LoadPictureFile((seeds / set.reference).string(), reference, why)) << why;
    for (const char* name : set.others) {
      Surface out;
      ASSERT_TRUE(LoadPictureFile((seeds / name).string(), out, why)) << name << ": " << why;
      ASSERT_EQ(out.Width(), reference.Width()) << name;
      ASSERT_EQ(out.Height(), reference.Height()) << name;
      for (int y = 0; y < out.Height(); ++y) {
        for (int x = 0; x < out.Width(); ++x) {
          ASSERT_EQ(out.Pixel(x, y), reference.Pixel(x, y)) << name << " at " << x << ", " << y;
        }
      }
    }
  }
}

TEST(PictureFile, HostileFilesAreRefusedAndLeaveThePictureAlone) {
  Scratch scratch;
  const std::string fifo = (scratch.path / "fifo.bmp").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directories(scratch.path / "folder.bmp");
  const std::string pgm("P5\n1 3\n65535\n\xff\x00\x12\x34\x56\x78", 19);
  ASSERT_EQ(pgm.size(), 19u);
  // JPEG and GIF decoders finish a file cut short on their own, in grey or in the background.
  Bytes cutJpeg = Jpeg();
  cutJpeg.resize(cutJpeg.size() - 100);
  // A thumbnail inside a marker segment has an end of its own that must not count.
  Bytes thumbnail = {0xFF, 0xE1, 0x00, 0x08, 0xFF, 0xD8, 0xFF, 0xDA, 0xFF, 0xD9};
  thumbnail.insert(thumbnail.begin(), cutJpeg.begin(), cutJpeg.begin() + 2);
  thumbnail.insert(thumbnail.end(), cutJpeg.begin() + 2, cutJpeg.end());
  Bytes cutGif = Gif(1);
  cutGif.resize(32);  // inside the picture's data
  // A data offset into the headers: Qt reads on after them, where a row is missing.
  Bytes backwards = Bitmap(8, 8);
  backwards.resize(backwards.size() - 8 * 3);
  Put32(backwards, 10, 0);
  Bytes tall = Gif(1);  // 1 x 2, with the codes of one pixel
  Put16(tall, 8, 2);
  Put16(tall, 26, 2);
  Bytes longGif = Gif(1);
  Put16(longGif, 6, MaxPictureFileSide + 1);
  Put16(longGif, 24, MaxPictureFileSide + 1);
  // A text chunk before the end claiming 2 GB: libpng would set the 2 GB aside first.
  Bytes greedyPng = Encoded("PNG");
  const Bytes greedyChunk = {0x7F, 0xFF, 0xFF, 0xFF, 't', 'E', 'X', 't', 'a', '=', 'b'};
  greedyPng.insert(greedyPng.end() - 12, greedyChunk.begin(), greedyChunk.end());
  // The same just after the header, where Qt meets it while asking for the size.
  Bytes greedyEarly = Encoded("PNG");
  greedyEarly.insert(greedyEarly.begin() + 33, greedyChunk.begin(), greedyChunk.end());
  Bytes cutPng = Encoded("PNG");
  cutPng.resize(cutPng.size() - 12);  // no end chunk
  // A whole bitmap whose info header claims a size Qt would read as the oldest kind.
  Bytes header64 = Bitmap(8, 8);
  Put32(header64, 14, 64);
  Bytes cut = Bitmap(64, 64);
  cut.resize(cut.size() - 64 * 3);  // the top row is missing
  // Headers at the limit and just past it: only the second is refused for its size.
  const uint32_t side = 1u << 11;
  static_assert(MaxPicturePixels % side == 0);
  const auto rows = static_cast<uint32_t>(MaxPicturePixels / side);
  // A literal run longer than its row: Qt takes the row's four pixels and reads the rest as
  // runs, so the end-of-bitmap mark is, to Qt, a jump's distances, and Qt reads on for the
  // second row. Counted by the runs' own lengths, the data ends properly.
  Bytes overlong = Rle8Bitmap(0);
  const unsigned char overlongData[] = {0, 11, 1, 1, 1, 1, 8, 1, 8, 1, 8, 1, 0, 2, 0, 1};
  overlong.insert(overlong.end(), std::begin(overlongData), std::end(overlongData));
  Put32(overlong, 2, static_cast<uint32_t>(overlong.size()));
  const struct {
    std::string path;
    const char* reason;
  } hostile[] = {
      {"", "no file"},
      {(scratch.path / "missing.bmp").string(), "No such file"},
      {fifo, "not a regular file"},
      {(scratch.path / "folder.bmp").string(), "not a regular file"},
      {"/dev/zero", "not a regular file"},
      {scratch.Write("pgm16.bmp", Bytes(pgm.begin(), pgm.end())), "not a BMP"},
      {scratch.Write("text.bmp", {'n', 'o', 'p', 'e'}), "not a BMP"},
      {scratch.Write("empty.bmp", {}), "not a BMP"},
      {scratch.Write("huge.bmp", Bitmap(16384, 16384, false)), "larger than"},
      {scratch.Write("toomany.bmp", Bitmap(side, rows + 1, false)), "larger than"},
      {scratch.Write("atlimit.bmp", Bitmap(side, rows, false)), "decoded"},
      {scratch.Write("huge.gif", Gif(16384)), "larger than"},
      // Few pixels, but widened to the field's height it would take gigabytes.
      {scratch.Write("long.bmp", Bitmap(MaxPictureFileSide + 1, 2, false)), "side longer"},
      {scratch.Write("long.gif", longGif), "side longer"},
      {scratch.Write("high.bmp", Bitmap(2, MaxPictureFileSide + 1, false)), "side longer"},
      {scratch.Write("cut.bmp", cut), "decoded"},
      {scratch.Write("header64.bmp", header64), "bitmap header"},
      {scratch.Write("cutrle.bmp", Rle8Bitmap(3)), "decoded"},
      {scratch.Write("nodata.bmp", Bitmap(300, 400, false)), "decoded"},
      {scratch.Write("cut.jpg", cutJpeg), "ends early"},
      {scratch.Write("thumbnail.jpg", thumbnail), "ends early"},
      {scratch.Write("cut.gif", cutGif), "ends early"},
      {scratch.Write("fewcodes.gif", Gif(2)), "ends early"},  // codes for one pixel of four
      {scratch.Write("tall.gif", tall), "ends early"},
      {scratch.Write("backwards.bmp", backwards), "ends early"},
      {scratch.Write("overlong.bmp", overlong), "ends early"},
      {scratch.Write("greedy.png", greedyPng), "ends early"},
      {scratch.Write("greedyearly.png", greedyEarly), "ends early"},
      {scratch.Write("cut.png", cutPng), "ends early"},
  };
  for (const auto& file : hostile) {
    Surface out(7, 7, Rgb(1, 2, 3));
    std::string why;
    EXPECT_FALSE(LoadPictureFile(file.path, out, why)) << file.path;
    EXPECT_NE(why.find(file.reason), std::string::npos) << file.path << ": " << why;
    EXPECT_EQ(out.Width(), 7) << file.path;
    EXPECT_EQ(out.Pixel(0, 0), Rgb(1, 2, 3)) << file.path;
  }

  // A file larger than any allowed picture needs is not even read.
  const std::string big = (scratch.path / "big.bmp").string();
  fs::resize_file(scratch.Write("big.bmp", Bitmap(2, 2)), MaxPictureFileSize + 1);
  Surface out;
  std::string why;
  EXPECT_FALSE(LoadPictureFile(big, out, why));
  EXPECT_NE(why.find("larger than"), std::string::npos) << why;

  // A smaller limit, as the fuzzer sets it, holds exactly; a larger one is the usual limit.
  const Bytes twoByTwo = Bitmap(2, 2);
  const std::string bytes(twoByTwo.begin(), twoByTwo.end());
  EXPECT_FALSE(LoadPictureBytes(bytes, out, why, 3));
  EXPECT_NE(why.find("larger than 3 pixels"), std::string::npos) << why;
  EXPECT_TRUE(LoadPictureBytes(bytes, out, why, 4));
  EXPECT_EQ(out.Width(), 2);
  const Bytes tooMany = Bitmap(side, rows + 1, false);
  EXPECT_FALSE(LoadPictureBytes(std::string(tooMany.begin(), tooMany.end()), out, why,
                                MaxPicturePixels * 2));
  EXPECT_NE(why.find("larger than"), std::string::npos) << why;
}

// The headless game with a FIFO as its background: it must neither wait for a writer nor take
// the FIFO for a picture, and the field stays black.
TEST(PictureFile, AFifoAsTheBackgroundLeavesTheSimRunning) {
  Scratch scratch;
  ASSERT_EQ(::mkfifo((scratch.path / "back.bmp").c_str(), 0600), 0);
  SimOptions options;
  options.ProgramFolder = scratch.path.string();
  options.Frames = 3;
  std::string error;
  const auto result = RunSim(options, error);
  ASSERT_TRUE(result) << error;
  EXPECT_EQ(result->Frames, 3u);
}

}  // namespace pelaryn
