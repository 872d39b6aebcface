#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelaryn {

// UTF-8 text as code page 932 bytes; none when a character has no code in that page.
std::optional<std::string> EncodeCp932(std::string_view utf8);

// Code page 932 bytes as UTF-8. A byte that starts no valid character becomes one U+FFFD and
// decoding goes on with the next byte, so one bad byte never costs the rest of a file.
std::string DecodeCp932(std::string_view bytes);

// UTF-8 with every invalid sequence replaced by U+FFFD, one per bad byte.
std::string SanitizeUtf8(std::string_view bytes);

}  // namespace pelaryn
