#include "persist/SettingsTable.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>

namespace pelaryn {
namespace {

bool ParseBool(std::string_view v, bool& out) {
  if (v == "true" || v == "1" || v == "#TRUE#") return out = true, true;
  if (v == "false" || v == "0" || v == "#FALSE#") return out = false, true;
  return false;
}

bool ParseInt16(std::string_view v, int16_t& out) {
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
  if (ec != std::errc() || end != v.data() + v.size()) return false;
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
    return false;
  }
  out = static_cast<int16_t>(value);
  return true;
}

}  // namespace

const SettingInfo* FindSetting(std::string_view name) {
  const auto found = std::find_if(Settings.begin(), Settings.end(),
                                  [&](const SettingInfo& s) { return s.Name == name; });
  return found == Settings.end() ? nullptr : &*found;
}

std::array<const SettingInfo*, Settings.size()> SettingsInFileOrder() {
  std::array<const SettingInfo*, Settings.size()> order{};
  for (std::size_t i = 0; i < Settings.size(); ++i) order[i] = &Settings[i];
  std::stable_sort(order.begin(), order.end(),
                   [](const SettingInfo* a, const SettingInfo* b) { return a->Line < b->Line; });
  return order;
}

bool SetSettingFromText(GameState& s, const SettingInfo& setting, std::string_view value) {
  const SettingRef ref = setting.Ref(s);
  if (bool* const* b = std::get_if<bool*>(&ref)) return ParseBool(value, **b);
  if (int16_t* const* n = std::get_if<int16_t*>(&ref)) return ParseInt16(value, **n);
  *std::get<std::string*>(ref) = value;
  return true;
}

std::string DefaultSettingPath(const SettingInfo& setting, const std::string& programFolder) {
  std::filesystem::path file(setting.DefaultFile);
  return (std::filesystem::path(programFolder) / file.make_preferred()).string();
}

}  // namespace pelaryn
