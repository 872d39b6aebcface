#include "persist/FieldReader.h"

namespace pelaryn {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// More digits than this cannot fit any variable of the files, so the value is out of range
// whatever it is, and counting stops before it could overflow.
constexpr std::size_t MaxSignificantDigits = 15;

}  // namespace

std::optional<std::string_view> FieldReader::Next() {
  if (pos_ >= text_.size()) return std::nullopt;
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '"') {
    const std::size_t open = pos_ + 1;
    const std::size_t close = text_.find('"', open);
    if (close == std::string_view::npos) {
      pos_ = text_.size();
      return text_.substr(open);
    }
    SkipPastTerminator(close + 1);
    return text_.substr(open, close - open);
  }
  const std::size_t start = pos_;
  std::size_t end = text_.find_first_of(",\n", start);
  if (end == std::string_view::npos) end = text_.size();
  SkipPastTerminator(end);
  std::size_t last = end;
  if (last > start && last < text_.size() && text_[last] == '\n' && text_[last - 1] == '\r') {
    --last;
  }
  while (last > start && IsBlank(text_[last - 1])) --last;
  return text_.substr(start, last - start);
}

void FieldReader::SkipPastTerminator(std::size_t from) {
  const std::size_t end = text_.find_first_of(",\n", from);
  pos_ = end == std::string_view::npos ? text_.size() : end + 1;
}

std::optional<bool> ParseFileBool(std::string_view field) {
  if (field == "#TRUE#") return true;
  if (field == "#FALSE#") return false;
  const std::optional<int64_t> number = ParseFileInteger(field, INT64_MIN, INT64_MAX);
  if (!number) return std::nullopt;
  if (*number != 0) return true;
  // A fraction that rounds to zero is still not zero.
  return field.find_first_of("123456789") != std::string_view::npos;
}

std::optional<int64_t> ParseFileInteger(std::string_view field, int64_t min, int64_t max) {
  if (field.empty()) {
    if (0 < min || 0 > max) return std::nullopt;
    return 0;
  }
  std::size_t i = 0;
  const bool negative = field[0] == '-';
  if (field[0] == '-' || field[0] == '+') ++i;
  const std::size_t intStart = i;
  while (i < field.size() && IsDigit(field[i])) ++i;
  const std::string_view whole = field.substr(intStart, i - intStart);
  std::string_view fraction;
  if (i < field.size() && field[i] == '.') {
    const std::size_t fracStart = ++i;
    while (i < field.size() && IsDigit(field[i])) ++i;
    fraction = field.substr(fracStart, i - fracStart);
    if (fraction.empty()) return std::nullopt;
  }
  if (whole.empty() || i != field.size()) return std::nullopt;

  const std::size_t firstSignificant = whole.find_first_not_of('0');
  const std::string_view significant = firstSignificant == std::string_view::npos
                                           ? std::string_view()
                                           : whole.substr(firstSignificant);
  if (significant.size() > MaxSignificantDigits) return std::nullopt;
  int64_t magnitude = 0;
  for (char c : significant) magnitude = magnitude * 10 + (c - '0');

  if (!fraction.empty()) {
    const char first = fraction[0];
    const bool beyondHalf = fraction.find_first_not_of('0', 1) != std::string_view::npos;
    if (first > '5' || (first == '5' && (beyondHalf || magnitude % 2 == 1))) ++magnitude;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value < min || value > max) return std::nullopt;
  return value;
}

}  // namespace pelaryn
