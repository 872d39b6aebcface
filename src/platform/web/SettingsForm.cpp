#include "platform/web/SettingsForm.h"

#include <cstdint>
#include <limits>
#include <variant>

#include "persist/SettingsTable.h"

namespace pelaryn {
namespace {

const char* TypeName(SettingType type) {
  switch (type) {
    case SettingType::Bool:
      return "bool";
    case SettingType::Int16:
      return "int";
    case SettingType::Text:
      return "text";
  }
  return "";
}

nlohmann::json ValueOf(const GameState& state, const SettingInfo& info) {
  return std::visit([](const auto* value) { return nlohmann::json(*value); }, info.Get(state));
}

bool Fits(const SettingInfo& info, const nlohmann::json& value) {
  switch (info.Type) {
    case SettingType::Bool:
      return value.is_boolean();
    case SettingType::Int16:
      return value.is_number_integer() &&
             value.get<int64_t>() >= std::numeric_limits<int16_t>::min() &&
             value.get<int64_t>() <= std::numeric_limits<int16_t>::max();
    case SettingType::Text:
      return value.is_string();
  }
  return false;
}

}  // namespace

nlohmann::json SettingsDescription(const GameState& state, const std::string& programFolder) {
  nlohmann::json settings = nlohmann::json::array();
  for (const SettingInfo& info : Settings) {
    nlohmann::json setting{{"name", info.Name}, {"type", TypeName(info.Type)}};
    if (info.Type == SettingType::Text) {
      setting["default"] = DefaultSettingPath(info, programFolder);
    } else if (info.Type == SettingType::Bool) {
      setting["default"] = info.DefaultNumber != 0;
    } else {
      setting["min"] = info.Min;
      setting["max"] = info.Max;
      setting["default"] = info.DefaultNumber;
    }
    setting["value"] = ValueOf(state, info);
    settings.push_back(std::move(setting));
  }
  return settings;
}

bool ApplySettingValues(GameState& state, const nlohmann::json& values, std::string& why) {
  if (!values.is_object()) {
    why = "the settings are not a set of names and values";
    return false;
  }
  for (const auto& [name, value] : values.items()) {
    const SettingInfo* info = FindSetting(name);
    if (info == nullptr) {
      why = "no setting is called " + name;
      return false;
    }
    if (!Fits(*info, value)) {
      why = name + " cannot be " + value.dump();
      return false;
    }
  }
  for (const auto& [name, value] : values.items()) {
    const SettingRef ref = FindSetting(name)->Ref(state);
    if (bool* const* flag = std::get_if<bool*>(&ref)) **flag = value.get<bool>();
    if (int16_t* const* number = std::get_if<int16_t*>(&ref)) {
      **number = static_cast<int16_t>(value.get<int64_t>());
    }
    if (std::string* const* text = std::get_if<std::string*>(&ref)) {
      **text = value.get<std::string>();
    }
  }
  return true;
}

}  // namespace pelaryn
