#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "base/GameState.h"

namespace pelaryn {

enum class SettingType { Bool, Int16, Text };

using SettingRef = std::variant<bool*, int16_t*, std::string*>;
using ConstSettingRef = std::variant<const bool*, const int16_t*, const std::string*>;

// One stored setting: its name (as `--set` and the dumps spell it), its type, the line of the
// settings file it is written on, the range the settings dialog allows, its default, and where it
// lives in the state. A text default names a file in the program folder.
struct SettingInfo {
  std::string_view Name;
  SettingType Type;
  int Line;
  int Min;
  int Max;
  int DefaultNumber;
  std::string_view DefaultFile;
  SettingRef (*Ref)(GameState&);
  ConstSettingRef (*Get)(const GameState&);
};

namespace setting_detail {

// Builds both accessors from one captureless lambda that names the variable.
template <SettingType Type, typename Select>
constexpr SettingInfo Make(std::string_view name, int line, int min, int max, int number,
                           std::string_view file, Select) {
  return {name,
          Type,
          line,
          min,
          max,
          number,
          file,
          [](GameState& s) -> SettingRef { return &Select{}(s); },
          [](const GameState& s) -> ConstSettingRef { return &Select{}(s); }};
}

template <typename Select>
constexpr SettingInfo Bool(std::string_view name, int line, bool value, Select select) {
  return Make<SettingType::Bool>(name, line, 0, 1, value ? 1 : 0, {}, select);
}
template <typename Select>
constexpr SettingInfo Int(std::string_view name, int line, int min, int max, int value,
                          Select select) {
  return Make<SettingType::Int16>(name, line, min, max, value, {}, select);
}
template <typename Select>
constexpr SettingInfo Text(std::string_view name, int line, std::string_view file, Select select) {
  return Make<SettingType::Text>(name, line, 0, 0, 0, file, select);
}

}  // namespace setting_detail

// Every stored setting, in the order the state dumps list them; `Line` gives the settings file's
// order, which reads line 8 (the joystick) after the music.
inline constexpr std::array Settings = [] {
  using namespace setting_detail;
  return std::array{
      Bool(
          "SoundEffectsOn", 1, true, [](auto& s) -> auto& { return s.SoundEffectsOn; }),
      Bool(
          "AutoShot", 1, false, [](auto& s) -> auto& { return s.AutoShot; }),
      Bool(
          "TitleAnimation", 1, true, [](auto& s) -> auto& { return s.TitleAnimation; }),
      Int(
          "InitialDifficulty", 1, 0, 50, 0, [](auto& s) -> auto& { return s.InitialDifficulty; }),
      Int(
          "DifficultySkip", 1, 0, 10, 0, [](auto& s) -> auto& { return s.DifficultySkip; }),
      Bool(
          "UseJoystick", 8, true, [](auto& s) -> auto& { return s.UseJoystick; }),
      Int(
          "JoySensitivity", 8, 0, 32767, 0, [](auto& s) -> auto& { return s.JoySensitivity; }),
      Text(
          "BackSetting.BackImagePath", 2, "back.bmp",
          [](auto& s) -> auto& { return s.BackSetting.BackImagePath; }),
      Int(
          "BackSetting.ScrollYoko", 2, -20, 20, 0,
          [](auto& s) -> auto& { return s.BackSetting.ScrollYoko; }),
      Int(
          "BackSetting.ScrollTate", 2, -20, 20, 3,
          [](auto& s) -> auto& { return s.BackSetting.ScrollTate; }),
      Bool(
          "BackSetting.Guriguri", 2, false,
          [](auto& s) -> auto& { return s.BackSetting.Guriguri; }),
      Bool(
          "BackSetting.Kansei", 2, false, [](auto& s) -> auto& { return s.BackSetting.Kansei; }),
      Text(
          "TitleBgm.Path", 3, "sound/title.mid", [](auto& s) -> auto& { return s.TitleBgm.Path; }),
      Bool(
          "TitleBgm.Enabled", 3, true, [](auto& s) -> auto& { return s.TitleBgm.Enabled; }),
      Text(
          "Bgm(0).Path", 4, "sound/1.mid", [](auto& s) -> auto& { return s.Bgm[0].Path; }),
      Bool(
          "Bgm(0).Enabled", 4, true, [](auto& s) -> auto& { return s.Bgm[0].Enabled; }),
      Text(
          "Bgm(1).Path", 6, "sound/2.mid", [](auto& s) -> auto& { return s.Bgm[1].Path; }),
      Bool(
          "Bgm(1).Enabled", 6, true, [](auto& s) -> auto& { return s.Bgm[1].Enabled; }),
      Text(
          "BossBgm(0).Path", 5, "sound/boss1.mid",
          [](auto& s) -> auto& { return s.BossBgm[0].Path; }),
      Bool(
          "BossBgm(0).Enabled", 5, true, [](auto& s) -> auto& { return s.BossBgm[0].Enabled; }),
      Text(
          "BossBgm(1).Path", 7, "sound/boss2.mid",
          [](auto& s) -> auto& { return s.BossBgm[1].Path; }),
      Bool(
          "BossBgm(1).Enabled", 7, true, [](auto& s) -> auto& { return s.BossBgm[1].Enabled; }),
  };
}();

// The setting of that name, or nullptr.
const SettingInfo* FindSetting(std::string_view name);

// The settings in the settings file's order: by line, and in table order within a line.
std::array<const SettingInfo*, Settings.size()> SettingsInFileOrder();

// Sets a setting from text as a command line gives it: a Boolean as true/false, 1/0 or
// #TRUE#/#FALSE#, a number that fits 16 bits, any text. False when the value does not fit.
bool SetSettingFromText(GameState& s, const SettingInfo& setting, std::string_view value);

// The default of a text setting: its file in the program folder.
std::string DefaultSettingPath(const SettingInfo& setting, const std::string& programFolder);

}  // namespace pelaryn
