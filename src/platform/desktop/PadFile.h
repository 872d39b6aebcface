#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace pelaryn {

// A pad played from a file, for trying the game's pad handling where no pad is plugged in (a
// virtual X server, a test): lines `FIRST_MS LAST_MS X Y BUTTONMASK`, times counted from when the
// pad appears, inclusive; axes 0…65535 (centre 32768), mask bit 0 = button 1 (A). Outside every
// line the stick is centred and no button held. `#` starts a comment.
class PadFile {
 public:
  struct Reading {
    uint16_t X = 32768;
    uint16_t Y = 32768;
    uint8_t Buttons = 0;
  };
  static std::optional<PadFile> Parse(std::istream& in, std::string& error);
  Reading At(uint64_t ms) const;

 private:
  struct Span {
    uint64_t First, Last;
    Reading Value;
  };
  std::vector<Span> spans_;
};

}  // namespace pelaryn
