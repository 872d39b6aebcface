#include "persist/Cp932Table.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "persist/Cp932Iconv.h"

namespace pelaryn {
namespace {

using namespace std::string_literals;

std::string Utf8Of(char32_t codePoint) {
  const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
  if (codePoint < 0x80) return {byte(codePoint)};
  if (codePoint < 0x800) return {byte(0xC0 | codePoint >> 6), byte(0x80 | (codePoint & 0x3F))};
  if (codePoint < 0x10000) {
    return {byte(0xE0 | codePoint >> 12), byte(0x80 | (codePoint >> 6 & 0x3F)),
            byte(0x80 | (codePoint & 0x3F))};
  }
  return {byte(0xF0 | codePoint >> 18), byte(0x80 | (codePoint >> 12 & 0x3F)),
          byte(0x80 | (codePoint >> 6 & 0x3F)), byte(0x80 | (codePoint & 0x3F))};
}

std::string Shown(const std::optional<std::string>& bytes) {
  if (!bytes) return "none";
  std::string shown;
  for (const char c : *bytes) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    const auto u = static_cast<unsigned char>(c);
    shown += {Hex[u >> 4], Hex[u & 15], ' '};
  }
  return shown;
}

// Under AddressSanitizer each iconv_open costs some 5 µs, a full sweep 6 s; there the planes
// beyond the first, where the page has nothing, are sampled, all but the tag characters glibc
// drops, which are asked in full.
#ifdef __SANITIZE_ADDRESS__
constexpr char32_t SupplementaryStride = 13;
#else
constexpr char32_t SupplementaryStride = 1;
#endif

// The browser writes what the desktop writes: every Unicode scalar value, asked of both.
TEST(Cp932Table, EncodesEveryCodePointAsIconvDoes) {
  int differences = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c > 0xFFFF && c >> 8 != 0xE00 && c % SupplementaryStride != 0) continue;
    const std::string utf8 = Utf8Of(c);
    const std::optional<std::string> table = EncodeCp932ByTable(utf8);
    const std::optional<std::string> iconv = EncodeCp932ByIconv(utf8);
    if (table == iconv) continue;
    ADD_FAILURE() << "U+" << std::hex << std::uppercase << static_cast<uint32_t>(c) << ": table "
                  << Shown(table) << ", iconv " << Shown(iconv);
    if (++differences == 20) return;
  }
}

// And reads what the desktop reads: every byte alone and every pair, whether it is a character,
// a lead cut short, or nothing at all.
TEST(Cp932Table, DecodesEveryByteAndPairAsIconvDoes) {
  int differences = 0;
  for (int first = 0; first < 256; ++first) {
    for (int second = -1; second < 256; ++second) {
      std::string bytes(1, static_cast<char>(first));
      if (second >= 0) bytes += static_cast<char>(second);
      const std::string table = DecodeCp932ByTable(bytes);
      const std::string iconv = DecodeCp932ByIconv(bytes);
      if (table == iconv) continue;
      ADD_FAILURE() << Shown(bytes) << "reads as " << Shown(table) << "by table, " << Shown(iconv)
                    << "by iconv";
      if (++differences == 20) return;
    }
  }
}

// What glibc does, pinned, so that the sweeps above cannot agree on nothing: the game's title,
// the NEC row, the wave dash and the dashes both ways, the characters glibc writes as another's
// bytes, the user-defined area, half-width katakana; text the page cannot hold or that is not
// UTF-8 at all, a Unicode tag character among them.
TEST(Cp932Table, EncodesAsTheDesktopDoes) {
  const struct {
    std::string utf8;
    std::optional<std::string> bytes;
  } cases[] = {
      {"ヴェルガード", "\x83\x94\x83\x46\x83\x8B\x83\x4B\x81\x5B\x83\x68"},
      {"①", "\x87\x40"},
      {"～〜", "\x81\x60\x81\x60"},         // U+FF5E and U+301C
      {"—―", "\x81\x5C\x81\x5C"},           // U+2014 and U+2015
      {"¥‾\\~", "\x5C\x7E\x5C\x7E"},        // U+00A5 and U+203E as ASCII
      {"¢£¬", "\x81\x91\x81\x92\x81\xCA"},  // as their full-width forms
      {"\uE000\uE757", "\xF0\x40\xF9\xFC"},
      {"ｱﾟ", "\xB1\xDF"},
      {"∵", "\x81\xE6"},  // also at 87 9A and FA 5B
      {"", ""},
      {"a\0b"s, "a\0b"s},
      {"Zoë", std::nullopt},
      {"a\U000E0001", std::nullopt},  // which glibc itself would drop
      {"a\U000E007F", std::nullopt},
      {"a\xC3", std::nullopt},             // cut short
      {"\xC1\x81", std::nullopt},          // overlong A
      {"\xED\xA0\x80", std::nullopt},      // a surrogate
      {"\xF4\x90\x80\x80", std::nullopt},  // beyond U+10FFFF
      {"a\x80", std::nullopt},
      {"\xEF\xBB\xBFz", std::nullopt},  // a byte-order mark is a character like any
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeCp932ByTable(c.utf8), c.bytes) << Shown(c.utf8);
    EXPECT_EQ(EncodeCp932ByIconv(c.utf8), c.bytes) << Shown(c.utf8);
  }
}

TEST(Cp932Table, DecodesAsTheDesktopDoesBadBytesCostingOneCharacterEach) {
  const struct {
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {"\x83\x94\x83\x46\x83\x8B\x83\x4B\x81\x5B\x83\x68", "ヴェルガード"},
      {"\x87\x40\xED\x40\xFA\x5B\x87\x9A", "①纊∵∵"},
      {"\x81\x60\x81\x5C\x81\x61\x81\x7C", "～―∥－"},
      {"\x5C\x7E\xB1\xDF", "\\~ｱﾟ"},
      {"\xF0\x40\xF9\xFC", "\uE000\uE757"},
      {"a\x80-\xA0-\xFD\xFE\xFF", "a�-�-���"},
      {"a\x81 z", "a� z"},  // a trail byte outside the page is read again alone
      {"\x81\x7F\x81\x81\x40", "�\x7F＝@"},
      {"\x85\x40\xEB\xBF", "�@�ｿ"},  // leads of rows with nothing in them
      {"\xFC\x4B\xFC\x4C", "黑�L"},  // the page's last character, and past it
      {"a\x83", "a�"},               // a lead at the end
      {"\x81", "�"},
      {"\0\x81\x40"s, "\0　"s},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeCp932ByTable(c.bytes), c.utf8) << Shown(c.bytes);
    EXPECT_EQ(DecodeCp932ByIconv(c.bytes), c.utf8) << Shown(c.bytes);
  }
}

}  // namespace
}  // namespace pelaryn
