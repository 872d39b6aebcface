#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pelaryn {

class Surface;

// The most pixels a picture the player names may have, and so the decoder's one allocation
// limit: both front ends accept the same pictures and refuse the same ones.
inline constexpr int64_t MaxPicturePixels = int64_t{16} << 20;  // 4096 x 4096
// The longest side it may have. A background narrower or lower than the field is widened to it,
// and a long thin picture within the pixel limit would then grow to gigabytes.
inline constexpr int MaxPictureFileSide = 16384;
// Larger files than any picture of that size needs (32 bits a pixel, uncompressed) are refused
// before they are read.
inline constexpr std::size_t MaxPictureFileSize = std::size_t{80} << 20;

// Reads a picture the player named (BMP including run-length encoded, JPEG, GIF, PNG, told apart
// by their contents, never by the name) into an opaque surface. The file must be a regular file
// of sane size, and the size its header claims (its pixels and each side) is checked before
// anything is decoded. False, with `out` untouched and the reason in `why`, when the file is not
// such a picture, is too large or its data ends early.
bool LoadPictureFile(const std::string& path, Surface& out, std::string& why);

// The same for a file's bytes already in memory; a smaller pixel limit lets the fuzzer spend its
// time on the decoders rather than on filling memory.
bool LoadPictureBytes(const std::string& bytes, Surface& out, std::string& why,
                      int64_t maxPixels = MaxPicturePixels);

}  // namespace pelaryn
