#include "platform/picture/PictureData.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/picture/PictureFile.h"

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
  const uint32_t header = KnownBitmapHeader(b);
  if (header == 0) return false;
  uint64_t width = 0, height = 0, bits = 0, compression = 0;
  if (header == 12) {  // the oldest header: 16-bit sides, never compressed
    width = Little(b, 18, 2);
    height = Little(b, 20, 2);
    bits = Little(b, 24, 2);
  } else {
    if (b.size() < 54) return false;
    width = Little(b, 18, 4);
    const auto signedHeight = static_cast<int32_t>(Little(b, 22, 4));  // negative: top down
    height = signedHeight < 0 ? 0 - static_cast<int64_t>(signedHeight) : signedHeight;
    bits = Little(b, 28, 2);
    compression = Little(b, 30, 4);
  }
  constexpr uint32_t Rgb = 0, Rle8 = 1, Rle4 = 2, Bitfields = 3, AlphaBitfields = 6;
  // Qt only ever seeks forward to the data: an offset that points back into the headers or the
  // colour table means the data starts right after them.
  uint64_t headers = 14 + uint64_t{header};
  if (header == 40 && compression == Bitfields) headers += 12;
  if (header == 40 && compression == AlphaBitfields) headers += 16;
  if (bits <= 8) {
    const uint64_t used = header == 12 ? 0 : Little(b, 46, 4);
    headers += (used != 0 ? used : uint64_t{1} << bits) * (header == 12 ? 3 : 4);
  }
  const uint64_t start = std::max(offset, headers);
  if (compression == Rle8 || compression == Rle4) {
    // Qt leaves what the runs do not reach black: the runs must reach their end-of-bitmap mark.
    for (uint64_t at = start; at + 1 < b.size();) {
      const auto count = static_cast<unsigned char>(b[static_cast<std::size_t>(at)]);
      const auto code = static_cast<unsigned char>(b[static_cast<std::size_t>(at + 1)]);
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
  return start + rowBytes * height <= b.size();
}

unsigned Byte(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]);
}

}  // namespace

// Where a JPEG's end-of-image marker ends, or 0 without one. The marker segments are stepped
// over by their lengths, so a thumbnail inside one cannot stand in for the picture; inside the
// scans, stuffed bytes and restart markers are data. libjpeg finishes a file cut short in grey,
// with a warning.
std::size_t JpegPictureEnd(const std::string& b) {
  if (b.size() < 2 || Byte(b, 0) != 0xFF || Byte(b, 1) != 0xD8) return 0;
  for (std::size_t at = 2; at + 1 < b.size();) {
    if (Byte(b, at) != 0xFF) {
      ++at;  // scan data, or stray bytes that libjpeg skips too
      continue;
    }
    const unsigned marker = Byte(b, at + 1);
    if (marker == 0xD9) return at + 2;
    if (marker == 0xFF) {
      ++at;  // a fill byte before a marker
    } else if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;  // no length: a stuffed byte, TEM, a restart marker
    } else {
      if (at + 3 >= b.size()) return 0;
      const std::size_t length = Byte(b, at + 2) << 8 | Byte(b, at + 3);
      if (length < 2) return 0;
      at += 2 + length;
    }
  }
  return 0;
}

namespace {

// How many pixels a GIF picture's LZW codes give before their end code or the end of the data.
// A code stands for an entry of the table; every code after the first adds an entry one pixel
// longer than the entry of the code before it, and the codes widen as the table fills.
uint64_t LzwPixels(const std::string& data, unsigned minCodeSize, uint64_t wanted) {
  const unsigned clear = 1u << minCodeSize;
  const unsigned end = clear + 1;
  constexpr unsigned TableSize = 4096;
  std::vector<uint32_t> length(TableSize, 1);  // pixels of each entry; the roots are one
  unsigned next = clear + 2, codeSize = minCodeSize + 1;
  std::optional<unsigned> previous;
  uint64_t pixels = 0;
  uint32_t bits = 0;
  unsigned bitCount = 0;
  for (const char byte : data) {
    if (pixels >= wanted) break;  // the rest is never read
    bits |= uint32_t{static_cast<unsigned char>(byte)} << bitCount;
    bitCount += 8;
    while (bitCount >= codeSize && pixels < wanted) {
      const unsigned code = bits & ((1u << codeSize) - 1);
      bits >>= codeSize;
      bitCount -= codeSize;
      if (code == clear) {
        next = clear + 2;
        codeSize = minCodeSize + 1;
        previous.reset();
        continue;
      }
      if (code == end || code > next || (code == next && !previous)) return pixels;
      if (previous && next < TableSize) {
        length[next] = length[*previous] + 1;
        if (++next == 1u << codeSize && codeSize < 12) ++codeSize;
      }
      pixels += length[code];
      previous = code;
    }
  }
  return pixels;
}

}  // namespace

// Where a GIF's first picture, the one Qt reads, ends when it is whole: every block before it
// and the data blocks of the picture itself end inside the file, and its codes give every pixel.
// Qt draws a picture cut short as far as its data goes.
std::size_t GifPictureEnd(const std::string& b) {
  if (b.size() < 13 || b.compare(0, 4, "GIF8") != 0) return 0;
  std::size_t at = 13;
  if (Byte(b, 10) & 0x80) at += std::size_t{3} << ((Byte(b, 10) & 7) + 1);  // the colour table
  std::string data;
  auto readDataBlocks = [&] {
    data.clear();
    while (at < b.size()) {
      const unsigned length = Byte(b, at++);
      if (length == 0) return true;
      data.append(b, at, length);
      at += length;
    }
    return false;
  };
  while (at < b.size()) {
    if (Byte(b, at) == 0x21) {  // an extension: its label, then its data blocks
      at += 2;
      if (!readDataBlocks()) return 0;
    } else if (Byte(b, at) == 0x2C) {  // the picture: descriptor, colour table, code size, data
      if (at + 11 > b.size()) return 0;
      const uint64_t pixels = uint64_t{Byte(b, at + 5) | Byte(b, at + 6) << 8} *
                              (Byte(b, at + 7) | Byte(b, at + 8) << 8);
      const unsigned flags = Byte(b, at + 9);
      at += 10;
      if (flags & 0x80) at += std::size_t{3} << ((flags & 7) + 1);
      if (at >= b.size()) return 0;
      const unsigned minCodeSize = Byte(b, at++);
      if (minCodeSize < 1 || minCodeSize > 11) return 0;
      // A picture of no pixels leaves Qt reading on for one that has some.
      const bool whole =
          pixels > 0 && readDataBlocks() && LzwPixels(data, minCodeSize, pixels) >= pixels;
      return whole ? at : 0;
    } else {
      return 0;  // the trailer, or anything else, before any picture
    }
  }
  return 0;
}

bool IsPng(const std::string& b) {
  return b.compare(0, 8, "\x89PNG\r\n\x1A\n", 8) == 0;
}

// libpng sets aside the memory a chunk claims before it reads the chunk, so one claiming 2 GB in
// a file of a few bytes would take 2 GB: every chunk's length is checked against the file first.
std::size_t PngPictureEnd(const std::string& b) {
  if (!IsPng(b)) return 0;
  std::size_t at = 8;
  while (b.size() - at >= 12) {
    const uint64_t length = uint64_t{Byte(b, at)} << 24 | Byte(b, at + 1) << 16 |
                            Byte(b, at + 2) << 8 | Byte(b, at + 3);
    if (length > b.size() - at - 12) return 0;
    const bool end = b.compare(at + 4, 4, "IEND") == 0;
    at += 12 + length;
    if (end) return at;
  }
  return 0;
}

uint32_t KnownBitmapHeader(const std::string& bytes) {
  if (bytes.size() < 18) return 0;
  const uint32_t header = Little(bytes, 14, 4);
  return header == 12 || header == 40 || header == 108 || header == 124 ? header : 0;
}

bool PictureDataComplete(const std::string& format, const std::string& bytes) {
  if (format == "bmp") return BitmapDataComplete(bytes);
  if (format == "png") return PngPictureEnd(bytes) > 0;
  if (format == "jpeg") return JpegPictureEnd(bytes) > 0;
  if (format == "gif") return GifPictureEnd(bytes) > 0;
  return true;
}

}  // namespace pelaryn
