#include "persist/Cp932.h"

#if PELARYN_CP932_TABLE
#include "persist/Cp932Table.h"
#else
#include "persist/Cp932Iconv.h"
#endif

namespace pelaryn {

#if PELARYN_CP932_TABLE

std::optional<std::string> EncodeCp932(std::string_view utf8) {
  return EncodeCp932ByTable(utf8);
}

std::string DecodeCp932(std::string_view bytes) {
  return DecodeCp932ByTable(bytes);
}

#else

std::optional<std::string> EncodeCp932(std::string_view utf8) {
  return EncodeCp932ByIconv(utf8);
}

std::string DecodeCp932(std::string_view bytes) {
  return DecodeCp932ByIconv(bytes);
}

#endif

}  // namespace pelaryn
