#include "platform/picture/PictureFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "base/RegularFile.h"
#include "render/Surface.h"

namespace pelaryn {
namespace {

uint32_t Little(const std::string& b, std::size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

// Whether an uncompressed BMP holds every row its header promises. Qt reads a bitmap cut short
// as if it were whole and leaves the missing rows as whatever the memory held.
bool BitmapDataComplete(const std::string& b) {
  if (b.size() < 26) return false;
  const uint64_t offset = Little(b, 10, 4);
  const uint32_t header = Little(b, 14, 4);
  uint64_t width = 0, height = 0, bits = 0, compression = 0;
  if (header == 12) {  // the oldest header: 16-bit sides, never compressed
    width = Little(b, 18, 2);
    height = Little(b, 20, 2);
    bits = Little(b, 24, 2);
  } else {
    if (b.size() < 34) return false;
    width = Little(b, 18, 4);
    const auto signedHeight = static_cast<int32_t>(Little(b, 22, 4));  // negative: top down
    height = signedHeight < 0 ? 0 - static_cast<int64_t>(signedHeight) : signedHeight;
    bits = Little(b, 28, 2);
    compression = Little(b, 30, 4);
  }
  constexpr uint32_t Rgb = 0, Rle8 = 1, Rle4 = 2, Bitfields = 3, AlphaBitfields = 6;
  if (compression == Rle8 || compression == Rle4) {
    // Qt leaves what the runs do not reach black: the runs must reach their end-of-bitmap mark.
    for (uint64_t at = offset; at + 1 < b.size();) {
      const auto count = static_cast<unsigned char>(b[at]);
      const auto code = static_cast<unsigned char>(b[at + 1]);
      at += 2;
      if (count > 0 || code == 0) continue;  // a run, or the end of a row
      if (code == 1) return true;
      if (code == 2) {
        at += 2;  // a jump
      } else {
        const uint64_t bytes = compression == Rle8 ? code : (code + 1u) / 2;
        at += (bytes + 1) / 2 * 2;  // literal pixels, padded to a whole word
      }
    }
    return false;
  }
  if (compression != Rgb && compression != Bitfields && compression != AlphaBitfields) {
    return true;  // JPEG or PNG inside a bitmap: their own decoders see where the data ends
  }
  if (bits == 0 || bits > 32 || width * height > static_cast<uint64_t>(MaxPicturePixels)) {
    return false;
  }
  const uint64_t rowBytes = (width * bits + 31) / 32 * 4;
  return offset + rowBytes * height <= b.size();
}

}  // namespace

bool LoadPictureFile(const std::string& path, Surface& out, std::string& why) {
  const std::optional<std::string> bytes = ReadRegularFile(path, MaxPictureFileSize, why);
  if (!bytes) return false;
  QByteArray data = QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  // In megabytes; a picture of the largest size, converted to 32 bits a pixel, fits just.
  reader.setAllocationLimit(static_cast<int>(MaxPicturePixels * 4 >> 20) + 1);
  const QByteArray format = reader.format();
  if (format != "bmp" && format != "jpeg" && format != "gif" && format != "png") {
    why = "is not a BMP, JPEG, GIF or PNG picture";
    return false;
  }
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) {
    why = "has no readable picture size";
    return false;
  }
  if (int64_t{size.width()} * size.height() > MaxPicturePixels) {
    why = "is larger than " + std::to_string(MaxPicturePixels) + " pixels";
    return false;
  }
  if (format == "bmp" && !BitmapDataComplete(*bytes)) {
    why = "cannot be decoded: its data ends early";
    return false;
  }
  QImage image;
  if (!reader.read(&image) || image.isNull() || image.size() != size) {
    why = "cannot be decoded: " + reader.errorString().toStdString();
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
