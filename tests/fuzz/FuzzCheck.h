#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace pelaryn::fuzz {

// A promise of the code under test that an input broke: named on stderr and ended by abort(),
// which libFuzzer records as a finding with the input and the replay test reports as a failure.
inline void Check(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

// Well-formed UTF-8, judged here rather than by the iconv-based code under test: no stray or
// missing continuation byte, no overlong form, no surrogate, nothing beyond U+10FFFF.
inline bool ValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80       ? 1
                       : lead >> 5 == 6  ? 2
                       : lead >> 4 == 14 ? 3
                       : lead >> 3 == 30 ? 4
                                         : 0;
    if (length == 0 || i + length > text.size()) return false;
    uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if (next >> 6 != 2) return false;
      code = code << 6 | (next & 0x3Fu);
    }
    constexpr uint32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < Least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

}  // namespace pelaryn::fuzz
