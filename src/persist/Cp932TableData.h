#pragma once

#include <cstdint>
#include <span>

namespace pelaryn {

// One character of code page 932: its bytes (a single byte, or lead << 8 | trail) and its code
// point. Everything the page holds lies in the Basic Multilingual Plane.
struct Cp932Code {
  uint16_t bytes;
  uint16_t codePoint;
};

// Made at build time by tools/cp932/make-table from glibc's converter. Decoding, sorted by
// bytes: every single byte and byte pair glibc reads as one character. Encoding, sorted by code
// point: every character glibc writes, with the bytes it writes; not the inverse of decoding,
// since several pairs read as one character and some characters are written as another's bytes.
extern const std::span<const Cp932Code> Cp932ByBytes;
extern const std::span<const Cp932Code> Cp932ByCodePoint;

}  // namespace pelaryn
