#pragma once

#include <span>
#include <string_view>

namespace pelaryn {

// A file compiled into the program (the game's own pictures).
struct EmbeddedFile {
  std::string_view Name;
  std::span<const unsigned char> Bytes;
};

std::span<const EmbeddedFile> EmbeddedFiles();

}  // namespace pelaryn
