#include "persist/Cp932Iconv.h"

#include <iconv.h>

#include <array>
#include <cerrno>

#include "persist/Utf8.h"

namespace pelaryn {
namespace {

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

// Where the page lacks a character glibc fails, except for a Unicode tag character (U+E0000 to
// U+E007F), which it leaves out without a word: a name with one would be saved as another name.
// In valid UTF-8 these bytes only ever start such a character.
bool HasTagCharacter(std::string_view utf8) {
  return utf8.find("\xF3\xA0\x80") != std::string_view::npos ||
         utf8.find("\xF3\xA0\x81") != std::string_view::npos;
}

}  // namespace

std::optional<std::string> EncodeCp932ByIconv(std::string_view utf8) {
  if (HasTagCharacter(utf8)) return std::nullopt;
  Converter converter("CP932", "UTF-8");
  std::string out;
  if (!converter.Valid() || !converter.Convert(utf8, out)) return std::nullopt;
  return out;
}

std::string DecodeCp932ByIconv(std::string_view bytes) {
  Converter converter("UTF-8", "CP932");
  std::string out;
  if (!converter.Valid()) return out;
  out.reserve(bytes.size() * 3 / 2);
  while (!converter.Convert(bytes, out)) {
    out += ReplacementCharacter;
    bytes.remove_prefix(1);
  }
  return out;
}

}  // namespace pelaryn
