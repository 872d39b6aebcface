#pragma once

// The generators' one way of putting their output on disk.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace pelaryn {

// Writes the bytes as the whole file; false when the file could not be written completely.
inline bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace pelaryn
