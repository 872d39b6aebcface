#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelaryn {

// U+FFFD, what a byte that starts no valid character becomes.
inline constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence that `bytes` starts with, or 0: no overlong form,
// no surrogate, nothing beyond U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view bytes);

// The code point of one sequence that Utf8SequenceLength has accepted.
char32_t Utf8CodePoint(std::string_view sequence);

// UTF-8 with every invalid sequence replaced by U+FFFD, one per bad byte.
std::string SanitizeUtf8(std::string_view bytes);

}  // namespace pelaryn
