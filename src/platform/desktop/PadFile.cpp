#include "platform/desktop/PadFile.h"

#include <sstream>

namespace pelaryn {

std::optional<PadFile> PadFile::Parse(std::istream& in, std::string& error) {
  PadFile pad;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream fields(line);
    uint64_t first = 0, last = 0, x = 0, y = 0, buttons = 0;
    if (!(fields >> first)) continue;
    std::string rest;
    if (!(fields >> last >> x >> y >> buttons) || (fields >> rest) || last < first || x > 65535 ||
        y > 65535 || buttons > 15) {
      error = "line " + std::to_string(number) + " is not FIRST_MS LAST_MS X Y BUTTONMASK";
      return std::nullopt;
    }
    pad.spans_.push_back(
        {first,
         last,
         {static_cast<uint16_t>(x), static_cast<uint16_t>(y), static_cast<uint8_t>(buttons)}});
  }
  return pad;
}

PadFile::Reading PadFile::At(uint64_t ms) const {
  for (const Span& span : spans_) {
    if (ms >= span.First && ms <= span.Last) return span.Value;
  }
  return {};
}

}  // namespace pelaryn
