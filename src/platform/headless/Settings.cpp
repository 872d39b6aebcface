#include "platform/headless/Settings.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace pelaryn {
namespace {

bool ParseBool(std::string_view v, bool& out) {
  if (v == "true" || v == "1" || v == "#TRUE#") return out = true, true;
  if (v == "false" || v == "0" || v == "#FALSE#") return out = false, true;
  return false;
}

template <typename T>
bool ParseInt(std::string_view v, T& out) {
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
  if (ec != std::errc() || end != v.data() + v.size()) return false;
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) return false;
  out = static_cast<T>(value);
  return true;
}

BgmEntry* MusicSlot(GameState& s, std::string_view slot) {
  if (slot == "TitleBgm") return &s.TitleBgm;
  if (slot == "Bgm(0)") return &s.Bgm[0];
  if (slot == "Bgm(1)") return &s.Bgm[1];
  if (slot == "BossBgm(0)") return &s.BossBgm[0];
  if (slot == "BossBgm(1)") return &s.BossBgm[1];
  return nullptr;
}

}  // namespace

bool IsGameStartValue(std::string_view name) {
  return name == "Life" || name == "Level" || name == "PhaseFrames";
}

bool ApplySetting(GameState& s, std::string_view name, std::string_view value, std::string& error) {
  BackSettingRecord& b = s.BackSetting;
  bool ok = false;
  bool known = true;
  if (name == "SoundEffectsOn")
    ok = ParseBool(value, s.SoundEffectsOn);
  else if (name == "AutoShot")
    ok = ParseBool(value, s.AutoShot);
  else if (name == "TitleAnimation")
    ok = ParseBool(value, s.TitleAnimation);
  else if (name == "InitialDifficulty")
    ok = ParseInt(value, s.InitialDifficulty);
  else if (name == "DifficultySkip")
    ok = ParseInt(value, s.DifficultySkip);
  else if (name == "UseJoystick")
    ok = ParseBool(value, s.UseJoystick);
  else if (name == "JoySensitivity")
    ok = ParseInt(value, s.JoySensitivity);
  else if (name == "BackSetting.BackImagePath")
    ok = (b.BackImagePath = value, true);
  else if (name == "BackSetting.ScrollYoko")
    ok = ParseInt(value, b.ScrollYoko);
  else if (name == "BackSetting.ScrollTate")
    ok = ParseInt(value, b.ScrollTate);
  else if (name == "BackSetting.Guriguri")
    ok = ParseBool(value, b.Guriguri);
  else if (name == "BackSetting.Kansei")
    ok = ParseBool(value, b.Kansei);
  else if (name == "Life")
    ok = ParseInt(value, s.Life);
  else if (name == "Level")
    ok = ParseInt(value, s.Level);
  else if (name == "PhaseFrames")
    ok = ParseInt(value, s.PhaseFrames);
  else if (const auto dot = name.rfind('.'); dot != std::string_view::npos) {
    BgmEntry* slot = MusicSlot(s, name.substr(0, dot));
    const std::string_view field = name.substr(dot + 1);
    if (slot && field == "Path")
      ok = (slot->Path = value, true);
    else if (slot && field == "Enabled")
      ok = ParseBool(value, slot->Enabled);
    else
      known = false;
  } else {
    known = false;
  }
  if (!known)
    error = "unknown setting '" + std::string(name) + "'";
  else if (!ok)
    error = "value '" + std::string(value) + "' does not fit " + std::string(name);
  return ok;
}

}  // namespace pelaryn
