// The settings file beside the program, as any editor or disk may leave it. Its text is valid
// UTF-8 whatever the bytes; every number the reader takes lies within half a unit of the value
// the C library reads from the same field; and what the reader stored, written and read back
// into a state that differs in every setting, gives the same file again.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "FuzzCheck.h"
#include "persist/FieldReader.h"
#include "persist/GameFiles.h"
#include "persist/SettingsTable.h"

using pelaryn::fuzz::Check;
using pelaryn::fuzz::ValidUtf8;

namespace pelaryn {
namespace {

GameState Defaults() {
  GameState s;
  for (const SettingInfo& setting : Settings) {
    const SettingRef ref = setting.Ref(s);
    if (bool* const* b = std::get_if<bool*>(&ref)) {
      **b = setting.DefaultNumber != 0;
    } else if (int16_t* const* n = std::get_if<int16_t*>(&ref)) {
      **n = static_cast<int16_t>(setting.DefaultNumber);
    } else {
      *std::get<std::string*>(ref) = DefaultSettingPath(setting, "/opt/pelaryn");
    }
  }
  return s;
}

// A state whose every setting differs from `s`: a value the reader fails to store shows.
GameState Unlike(const GameState& s) {
  GameState other = s;
  for (const SettingInfo& setting : Settings) {
    const SettingRef ref = setting.Ref(other);
    if (bool* const* b = std::get_if<bool*>(&ref)) {
      **b = !**b;
    } else if (int16_t* const* n = std::get_if<int16_t*>(&ref)) {
      **n = static_cast<int16_t>(**n ^ 1);
    } else {
      *std::get<std::string*>(ref) += "~";
    }
  }
  return other;
}

void CheckNumbers(std::string_view text) {
  FieldReader reader(text);
  while (const std::optional<std::string_view> field = reader.Next()) {
    if (field->empty()) continue;
    const std::optional<int64_t> value = ParseFileInteger(*field, INT64_MIN, INT64_MAX);
    if (!value) continue;
    const std::string copy(*field);
    char* end = nullptr;
    const double reference = std::strtod(copy.c_str(), &end);
    Check(end == copy.c_str() + copy.size(), "a number the reader takes is a number to strtod");
    Check(std::fabs(static_cast<double>(*value) - reference) <= 0.5,
          "a number is rounded to its nearest integer");
  }
}

}  // namespace
}  // namespace pelaryn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace pelaryn;
  const std::string text = DecodeFileText({reinterpret_cast<const char*>(data), size});
  Check(ValidUtf8(text), "a file's text is valid UTF-8");
  CheckNumbers(text);

  GameState s = Defaults();
  ReadSettingsText(text, s);
  const std::string written = SettingsFileText(s);
  GameState back = Unlike(s);
  ReadSettingsText(DecodeFileText(EncodeFileText(written)), back);
  Check(SettingsFileText(back) == written, "settings read back as they were written");
  return 0;
}
