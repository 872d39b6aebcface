#pragma once

#include <span>
#include <string>

#include "render/Sprites.h"
#include "render/Surface.h"

namespace pelaryn {

// The pictures that belong to the main window, decoded once at start-up and never changed.
struct Pictures {
  SpriteSheet Sheet;        // picChr and picMask
  Surface Title;            // picTitle
  Surface Logo;             // picLogo
  Surface RankLogo;         // picRankLogo
  Surface EnglishRankLogo;  // the same heading in English, as large
  Surface About;            // the about box's picture
  // The status labels in English, laid out as Cell::English says, with their mask.
  SpriteSheet EnglishLabels;
};

// Largest side of one of our own pictures.
inline constexpr int MaxPictureSide = 16384;

// Decodes one of our own encoded pictures (PNG as stb_image reads it) into an opaque surface;
// false, with `out` untouched, when the data is not a picture or is too large. Never for a file
// the player names: stb_image is not safe against hostile data.
bool DecodePicture(std::span<const unsigned char> bytes, Surface& out);

// Decodes the pictures compiled into the program; false if one is missing or broken.
bool LoadEmbeddedPictures(Pictures& pictures);

}  // namespace pelaryn
