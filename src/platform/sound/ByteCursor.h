#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace pelaryn {

// Reads big-endian numbers from a byte range; reading past its end yields zeros and marks the
// cursor broken instead of leaving the range.
struct ByteCursor {
  const uint8_t* at;
  const uint8_t* end;
  bool broken = false;

  std::size_t Left() const { return static_cast<std::size_t>(end - at); }
  uint8_t Peek() const { return at == end ? 0 : *at; }
  uint8_t Byte() {
    if (at == end) {
      broken = true;
      return 0;
    }
    return *at++;
  }
  uint32_t Big(int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | Byte();
    return value;
  }
  // A MIDI variable-length number: at most four bytes, seven bits each.
  uint32_t Variable() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const uint8_t byte = Byte();
      value = value << 7 | (byte & 0x7F);
      if ((byte & 0x80) == 0) return value;
    }
    broken = true;  // a fifth byte would be needed
    return value;
  }
  void Skip(std::size_t bytes) {
    if (bytes > Left()) broken = true;
    at += std::min(bytes, Left());
  }
};

}  // namespace pelaryn
