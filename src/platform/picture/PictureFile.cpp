#include "platform/picture/PictureFile.h"

#include <algorithm>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "base/RegularFile.h"
#include "platform/picture/PictureData.h"
#include "render/Surface.h"

namespace pelaryn {

bool LoadPictureFile(const std::string& path, Surface& out, std::string& why) {
  const std::optional<std::string> bytes = ReadRegularFile(path, MaxPictureFileSize, why);
  return bytes && LoadPictureBytes(*bytes, out, why);
}

namespace {

// Whether a bitmap holds 4 or 8 bits a pixel, which Qt reads into an image of indexed colours.
bool IndexedBitmap(const std::string& b) {
  if (b.size() < 30) return false;
  const auto little16 = [&](std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
  };
  const int bits = little16(14) == 12 ? little16(24) : little16(28);
  return bits == 4 || bits == 8;
}

}  // namespace

bool LoadPictureBytes(const std::string& bytes, Surface& out, std::string& why, int64_t maxPixels) {
  maxPixels = std::clamp<int64_t>(maxPixels, 1, MaxPicturePixels);
  // A bitmap is read from a copy with a margin after its end, so that where Qt stopped reading
  // shows whether it wanted more than the file holds: run-length data whose runs Qt cuts at the
  // row's end goes on past where the runs' own lengths say it ends. Qt's bitmap reader takes
  // only the bytes it uses, so its position afterwards is the end of what it used.
  // A GIF is given to Qt only up to the end of its first picture, with a trailer: Qt parses on
  // after the picture, and what follows could spoil one that is whole. A JPEG is given only up
  // to its end marker: libjpeg takes a faster path when more bytes are at hand, and on damaged
  // data that path reads past the marker and draws other pixels. A PNG is given up to its end
  // chunk.
  const bool bitmap = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
  const std::size_t gifEnd = GifPictureEnd(bytes);
  const std::size_t jpegEnd = JpegPictureEnd(bytes);
  const std::size_t pngEnd = PngPictureEnd(bytes);
  // libpng sets aside what a chunk claims as soon as it meets the chunk, even while Qt only asks
  // for the picture's size, so a PNG is checked whole before Qt sees any of it.
  if (IsPng(bytes) && pngEnd == 0) {
    why = "cannot be decoded: its data ends early";
    return false;
  }
  constexpr qsizetype Margin = 64;
  QByteArray data;
  if (bitmap) {
    data = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())) + QByteArray(Margin, 0);
  } else if (gifEnd > 0) {
    data = QByteArray(bytes.data(), static_cast<qsizetype>(gifEnd)) + ';';
  } else if (jpegEnd > 0) {
    data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(jpegEnd));
  } else if (pngEnd > 0) {
    data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(pngEnd));
  } else {
    data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  // In megabytes; a picture of the largest size, converted to 32 bits a pixel, fits just.
  reader.setAllocationLimit(static_cast<int>(maxPixels * 4 >> 20) + 1);
  const QByteArray format = reader.format();
  if (format != "bmp" && format != "jpeg" && format != "gif" && format != "png") {
    why = "is not a BMP, JPEG, GIF or PNG picture";
    return false;
  }
  if (format == "bmp" && KnownBitmapHeader(bytes) == 0) {
    why = "has a bitmap header of a size no program writes";
    return false;
  }
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) {
    why = "has no readable picture size";
    return false;
  }
  if (size.width() > MaxPictureFileSide || size.height() > MaxPictureFileSide) {
    why = "has a side longer than " + std::to_string(MaxPictureFileSide) + " pixels";
    return false;
  }
  if (int64_t{size.width()} * size.height() > maxPixels) {
    why = "is larger than " + std::to_string(maxPixels) + " pixels";
    return false;
  }
  if (!PictureDataComplete(format.toStdString(), bytes)) {
    why = "cannot be decoded: its data ends early";
    return false;
  }
  QImage image;
  if (bitmap && IndexedBitmap(bytes)) {
    // Run-length data may skip pixels (a jump, a row or the picture ended early), and Qt leaves
    // them as its fresh memory held. Qt reads into an image of the right size and kind that it
    // is given, so the skipped pixels are colour 0, as bitmaps mean them to be.
    image = QImage(size, QImage::Format_Indexed8);
    image.fill(0);
  }
  if (!reader.read(&image) || image.isNull() || image.size() != size) {
    why = "cannot be decoded: " + reader.errorString().toStdString();
    return false;
  }
  if (bitmap && buffer.pos() > static_cast<qint64>(bytes.size())) {
    why = "cannot be decoded: its data ends early";
    return false;
  }
  image = image.convertToFormat(QImage::Format_RGB32);
  out.Resize(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) out.SetPixel(x, y, row[x] & 0xFFFFFFu);
  }
  return true;
}

}  // namespace pelaryn
