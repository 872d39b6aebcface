#pragma once

#include <span>
#include <string>

#include "render/Sprites.h"
#include "render/Surface.h"

namespace pelaryn {

// The pictures that belong to the main window, decoded once at start-up and never changed.
struct Pictures {
  SpriteSheet Sheet;  // picChr and picMask
  Surface Title;      // picTitle
  Surface Logo;       // picLogo
  Surface RankLogo;   // picRankLogo
  Surface About;      // the about box's picture
};

// Largest side of a picture we agree to decode: anything bigger is treated as unreadable rather
// than allowed to claim gigabytes.
inline constexpr int MaxPictureSide = 16384;

// Decodes an encoded picture (PNG, BMP, JPEG, GIF as stb_image reads them) into an opaque
// surface; false, with `out` untouched, when the data is not a picture or is too large.
bool DecodePicture(std::span<const unsigned char> bytes, Surface& out);
bool DecodePictureFile(const std::string& path, Surface& out);

// Decodes the pictures compiled into the program; false if one is missing or broken.
bool LoadEmbeddedPictures(Pictures& pictures);

}  // namespace pelaryn
