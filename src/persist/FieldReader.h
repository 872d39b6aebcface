#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelaryn {

// The settings and ranking files as a stream of fields. A comma or a line end (CR LF or LF)
// ends a field, wherever the line breaks fall; blanks before a field are skipped; a field that
// opens with a double quote runs to the next one (or to the end of the file) and whatever
// follows it up to the next comma or line end is dropped; an unquoted field loses its trailing
// blanks. A lone CR is text.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  // The next field, or none at the end of the file.
  std::optional<std::string_view> Next();

 private:
  // Moves past the comma or line end at or after `from`, or to the end.
  void SkipPastTerminator(std::size_t from);

  std::string_view text_;
  std::size_t pos_ = 0;
};

// #TRUE#, #FALSE# (exactly so), or a number that is true when not zero; empty reads as false.
std::optional<bool> ParseFileBool(std::string_view field);

// [+-]digits[.digits], rounded to the nearest integer with ties to even, then checked against
// [min, max]; empty reads as 0.
std::optional<int64_t> ParseFileInteger(std::string_view field, int64_t min, int64_t max);

}  // namespace pelaryn
