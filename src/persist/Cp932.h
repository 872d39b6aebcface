#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelaryn {

// Code page 932 as glibc's iconv "CP932" converts it: by iconv itself on the desktop, by tables
// made from it in the browser, whose C library has no such converter. Either way the files hold
// the same bytes, so they move between the two.

// UTF-8 text as code page 932 bytes; none when a character has no code in that page or the text
// is not valid UTF-8.
std::optional<std::string> EncodeCp932(std::string_view utf8);

// Code page 932 bytes as UTF-8. A byte that starts no valid character becomes one U+FFFD and
// decoding goes on with the next byte, so one bad byte never costs the rest of a file.
std::string DecodeCp932(std::string_view bytes);

}  // namespace pelaryn
