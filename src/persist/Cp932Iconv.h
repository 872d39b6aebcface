#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelaryn {

// EncodeCp932 and DecodeCp932 (see Cp932.h) by glibc's iconv, the reference for the tables.
std::optional<std::string> EncodeCp932ByIconv(std::string_view utf8);
std::string DecodeCp932ByIconv(std::string_view bytes);

}  // namespace pelaryn
