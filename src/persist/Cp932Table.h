#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelaryn {

// EncodeCp932 and DecodeCp932 (see Cp932.h) by tables made from glibc's iconv at build time
// (tools/cp932/make-table), for a C library that has no code page 932 converter.
std::optional<std::string> EncodeCp932ByTable(std::string_view utf8);
std::string DecodeCp932ByTable(std::string_view bytes);

}  // namespace pelaryn
