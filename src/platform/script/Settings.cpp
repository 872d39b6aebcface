#include "platform/script/Settings.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "persist/SettingsTable.h"

namespace pelaryn {
namespace {

template <typename T>
bool ParseInt(std::string_view v, T& out) {
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
  if (ec != std::errc() || end != v.data() + v.size()) return false;
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) return false;
  out = static_cast<T>(value);
  return true;
}

// The state a game starts from, beyond the stored settings: for reaching a boss or a game over
// quickly.
bool SetGameStartValue(GameState& s, std::string_view name, std::string_view value) {
  if (name == "Life") return ParseInt(value, s.Life);
  if (name == "Level") return ParseInt(value, s.Level);
  return ParseInt(value, s.PhaseFrames);
}

}  // namespace

bool IsGameStartValue(std::string_view name) {
  return name == "Life" || name == "Level" || name == "PhaseFrames";
}

bool ApplySetting(GameState& s, std::string_view name, std::string_view value, std::string& error) {
  bool ok = false;
  if (IsGameStartValue(name)) {
    ok = SetGameStartValue(s, name, value);
  } else if (const SettingInfo* setting = FindSetting(name)) {
    ok = SetSettingFromText(s, *setting, value);
  } else {
    error = "unknown setting '" + std::string(name) + "'";
    return false;
  }
  if (!ok) error = "value '" + std::string(value) + "' does not fit " + std::string(name);
  return ok;
}

}  // namespace pelaryn
