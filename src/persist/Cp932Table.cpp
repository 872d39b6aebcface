#include "persist/Cp932Table.h"

#include <algorithm>
#include <span>

#include "persist/Cp932TableData.h"
#include "persist/Utf8.h"

namespace pelaryn {
namespace {

// std::lower_bound rather than the ranges one: Emscripten 3.1's libc++ has no ranges algorithms.
std::optional<Cp932Code> Find(std::span<const Cp932Code> table, uint16_t Cp932Code::*key,
                              char32_t value) {
  const auto at =
      std::lower_bound(table.begin(), table.end(), value,
                       [key](const Cp932Code& code, char32_t v) { return code.*key < v; });
  if (at == table.end() || (*at).*key != value) return std::nullopt;
  return *at;
}

// Code page 932 decodes to the Basic Multilingual Plane only, so at most three bytes.
void AppendUtf8(std::string& out, char32_t codePoint) {
  const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
  if (codePoint < 0x80) {
    out += byte(codePoint);
  } else if (codePoint < 0x800) {
    out += byte(0xC0 | codePoint >> 6);
    out += byte(0x80 | (codePoint & 0x3F));
  } else {
    out += byte(0xE0 | codePoint >> 12);
    out += byte(0x80 | (codePoint >> 6 & 0x3F));
    out += byte(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace

std::optional<std::string> EncodeCp932ByTable(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    const std::size_t length = Utf8SequenceLength(utf8);
    if (length == 0) return std::nullopt;
    const std::optional<Cp932Code> code =
        Find(Cp932ByCodePoint, &Cp932Code::codePoint, Utf8CodePoint(utf8.substr(0, length)));
    if (!code) return std::nullopt;
    if (code->bytes > 0xFF) out += static_cast<char>(code->bytes >> 8);
    out += static_cast<char>(code->bytes & 0xFF);
    utf8.remove_prefix(length);
  }
  return out;
}

// A byte that is a character on its own never leads a pair, so a single byte is looked up first
// and a pair only after it. A lead byte whose pair is no character, or that ends the input,
// costs one U+FFFD and decoding goes on with the byte after it, as glibc's iconv reports it.
std::string DecodeCp932ByTable(std::string_view bytes) {
  const auto at = [&](std::size_t i) -> char32_t { return static_cast<unsigned char>(bytes[i]); };
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  while (!bytes.empty()) {
    std::size_t length = 1;
    std::optional<Cp932Code> code = Find(Cp932ByBytes, &Cp932Code::bytes, at(0));
    if (!code && bytes.size() >= 2) {
      length = 2;
      code = Find(Cp932ByBytes, &Cp932Code::bytes, at(0) << 8 | at(1));
    }
    if (code) {
      AppendUtf8(out, code->codePoint);
      bytes.remove_prefix(length);
    } else {
      out += ReplacementCharacter;
      bytes.remove_prefix(1);
    }
  }
  return out;
}

}  // namespace pelaryn
