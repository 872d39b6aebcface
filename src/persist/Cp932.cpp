#include "persist/Cp932.h"

#include <iconv.h>

#include <array>
#include <cerrno>

namespace pelaryn {
namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// One conversion descriptor for the length of a call; glibc's "CP932" is the Windows table
// (its "SHIFT_JIS" is a different, smaller one).
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as it can; returns false at the first byte it cannot convert, with `in`
  // left pointing at it.
  bool Convert(std::string_view& in, std::string& out) {
    std::array<char, 512> buffer{};
    while (!in.empty()) {
      char* src = const_cast<char*>(in.data());
      std::size_t srcLeft = in.size();
      char* dst = buffer.data();
      std::size_t dstLeft = buffer.size();
      const std::size_t result = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      const int error = errno;
      out.append(buffer.data(), buffer.size() - dstLeft);
      in.remove_prefix(in.size() - srcLeft);
      if (result == static_cast<std::size_t>(-1) && error != E2BIG) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

std::string DecodeWithReplacement(const char* from, std::string_view bytes) {
  Converter converter("UTF-8", from);
  std::string out;
  if (!converter.Valid()) return out;
  out.reserve(bytes.size() * 3 / 2);
  while (!converter.Convert(bytes, out)) {
    out += ReplacementCharacter;
    bytes.remove_prefix(1);
  }
  return out;
}

// The length of the well-formed UTF-8 sequence that `bytes` starts with, or 0: no overlong form,
// no surrogate, nothing beyond U+10FFFF. glibc's UTF-8 decoder lets code points beyond U+10FFFF
// and five-byte forms through, so UTF-8 is checked here rather than by iconv.
std::size_t Utf8SequenceLength(std::string_view bytes) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned lead = at(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // where the second byte may lie
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong below
    if (lead == 0xED) high = 0x9F;  // surrogates above
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong below
    if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF above
  } else {
    return 0;
  }
  if (bytes.size() < length || at(1) < low || at(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (at(i) < 0x80 || at(i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::optional<std::string> EncodeCp932(std::string_view utf8) {
  Converter converter("CP932", "UTF-8");
  std::string out;
  if (!converter.Valid() || !converter.Convert(utf8, out)) return std::nullopt;
  return out;
}

std::string DecodeCp932(std::string_view bytes) {
  return DecodeWithReplacement("CP932", bytes);
}

std::string SanitizeUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) {
      out += ReplacementCharacter;
      bytes.remove_prefix(1);
    } else {
      out += bytes.substr(0, length);
      bytes.remove_prefix(length);
    }
  }
  return out;
}

}  // namespace pelaryn
