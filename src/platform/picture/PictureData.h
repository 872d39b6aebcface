#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pelaryn {

// Whether a picture's bytes hold all of its data, for the formats whose decoders finish a file
// cut short without failing: they draw the part they have and leave the rest grey, black or as
// their memory held. `format` is Qt's name for the format ("bmp", "jpeg", "gif", "png"); the
// others end in an error of their own.
bool PictureDataComplete(const std::string& format, const std::string& bytes);

// The size of a BMP's info header when it is one every writer uses (12, 40, 108 or 124 bytes),
// else 0. Qt reads a header of any other size as the oldest kind, so its sides and data are not
// where Qt looks for them.
uint32_t KnownBitmapHeader(const std::string& bytes);

// Where the first picture of a GIF ends (just after its last data block) when it is whole, else
// 0. Qt goes on to parse what follows a picture, so what it is given is cut there.
std::size_t GifPictureEnd(const std::string& bytes);

// Where a JPEG's end-of-image marker ends, else 0. libjpeg may read on past the marker when
// more bytes are at hand, and decodes damaged data differently then, so what it is given is cut
// there.
std::size_t JpegPictureEnd(const std::string& bytes);

// Whether the bytes begin with the PNG signature, by which Qt takes them for a PNG.
bool IsPng(const std::string& bytes);

// Where a PNG's end chunk ends when every chunk up to it lies inside the file, else 0. What Qt
// is given is cut there too, as for a JPEG.
std::size_t PngPictureEnd(const std::string& bytes);

}  // namespace pelaryn
