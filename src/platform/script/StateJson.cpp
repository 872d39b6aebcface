#include "platform/script/StateJson.h"

#include <cstdio>
#include <span>

#include "persist/SettingsTable.h"

namespace pelaryn {
namespace {

using Json = nlohmann::ordered_json;

Json EntityJson(const Entity& e) {
  return Json{{"X", e.X},       {"Y", e.Y},       {"State", e.State}, {"Kind", e.Kind},
              {"W", e.W},       {"H", e.H},       {"DX", e.DX},       {"DY", e.DY},
              {"SrcX", e.SrcX}, {"SrcY", e.SrcY}, {"Extra", e.Extra}};
}

Json TableJson(std::span<const Entity> table) {
  Json out = Json::array();
  for (const Entity& e : table) out.push_back(EntityJson(e));
  return out;
}

void AddScalars(Json& j, const GameState& s) {
  j["Score"] = s.Score;
  j["HiScore"] = s.HiScore;
  j["Life"] = s.Life;
  j["Level"] = s.Level;
  j["Combo"] = s.Combo;
  j["MaxCombo"] = s.MaxCombo;
  j["ComboTimer"] = s.ComboTimer;
  j["EnemiesAppeared"] = s.EnemiesAppeared;
  j["EnemiesShotDown"] = s.EnemiesShotDown;
  j["ShotRatio"] = s.ShotRatio;
  j["FramePeriod"] = s.FramePeriod;
  j["Running"] = s.Running;
  j["PhaseFrames"] = s.PhaseFrames;
  j["BossActive"] = s.BossActive;
  j["BossInterval"] = s.BossInterval;
  j["BlinkPhase"] = s.BlinkPhase;
  j["BlinkStep"] = s.BlinkStep;
  j["BlinkFrame"] = s.BlinkFrame;
  j["HitFlash"] = s.HitFlash;
  j["InvincibleFrames"] = s.InvincibleFrames;
  j["BackSplitX"] = s.BackSplitX;
  j["BackSplitY"] = s.BackSplitY;
  j["BgmIndex"] = s.BgmIndex;
  j["BossBulletMax"] = s.BossBulletMax;
  j["BossBombMax"] = s.BossBombMax;
  j["BossRainMax"] = s.BossRainMax;
  j["EnemyShotW"] = s.EnemyShotW;
  j["EnemyShotH"] = s.EnemyShotH;
  j["EnemyShotBaseSpeed"] = s.EnemyShotBaseSpeed;
  j["ComboPopupTimer"] = s.ComboPopupTimer;
  j["ComboPopupDigits"] = s.ComboPopupDigits;
  j["ComboPopupValue"] = s.ComboPopupValue;
}

// "Bgm(0).Path" is found at /Bgm/0/Path, "BackSetting.Kansei" at /BackSetting/Kansei.
Json::json_pointer SettingPointer(std::string_view name) {
  std::string pointer = "/";
  for (const char c : name) {
    if (c == '.' || c == '(') {
      if (pointer.back() != '/') pointer += '/';
    } else if (c == ')') {
      pointer += '/';
    } else {
      pointer += c;
    }
  }
  return Json::json_pointer(pointer);
}

void AddSettings(Json& j, const GameState& s) {
  for (const SettingInfo& setting : Settings) {
    Json& value = j[SettingPointer(setting.Name)];
    std::visit([&](const auto* v) { value = *v; }, setting.Get(s));
    // The record also holds the running scroll offsets, listed beside the picture.
    if (setting.Name == "BackSetting.BackImagePath") {
      j["BackSetting"]["OffsetX"] = s.BackSetting.OffsetX;
      j["BackSetting"]["OffsetY"] = s.BackSetting.OffsetY;
    }
  }
}

Json RankingJson(const GameState& s) {
  Json out = Json::array();
  for (const RankEntry& r : s.Ranking) {
    out.push_back(Json{{"Name", r.Name},
                       {"Score", r.Score},
                       {"ShotRatio", r.ShotRatio},
                       {"MaxCombo", r.MaxCombo}});
  }
  return out;
}

void AddJoystick(Json& j, const GameState& s) {
  j["JoyCaps"] = Json{{"XMax", s.JoyCaps.XMax}, {"YMax", s.JoyCaps.YMax}};
  j["JoyCenterX"] = s.JoyCenterX;
  j["JoyCenterY"] = s.JoyCenterY;
  const JoyInfo& info = s.JoyState.Info;
  j["JoyState"] = Json{{"XPos", info.XPos},       {"YPos", info.YPos}, {"ZPos", info.ZPos},
                       {"Buttons", info.Buttons}, {"X", s.JoyState.X}, {"Y", s.JoyState.Y}};
}

Json MenuJson(const GameState& s) {
  Json out = Json::object();
  for (const MenuItemInfo& item : MenuItems) {
    out[item.Name] =
        Json{{"Checked", s.Menu.Checked(item.Id)}, {"Enabled", s.Menu.Enabled(item.Id)}};
  }
  return out;
}

template <std::size_t N>
Json NumbersJson(const std::array<int16_t, N>& values) {
  return Json(values);
}

}  // namespace

Json StateJson(const GameState& s, const DumpExtras& extras) {
  Json j = Json::object();
  j["Frame"] = extras.Frame;
  j["RandomDraws"] = extras.RandomDraws;
  j["GameOver"] = extras.GameOver;
  AddScalars(j, s);
  AddSettings(j, s);
  j["Ranking"] = RankingJson(s);
  j["Player"] = EntityJson(s.Player);
  j["PlayerShots"] = TableJson(s.PlayerShots);
  j["Enemies"] = TableJson(s.Enemies);
  j["EnemyShotX"] = NumbersJson(s.EnemyShotX);
  j["EnemyShotY"] = NumbersJson(s.EnemyShotY);
  j["EnemyShotState"] = NumbersJson(s.EnemyShotState);
  j["EnemyShotDX"] = NumbersJson(s.EnemyShotDX);
  j["EnemyShotDY"] = NumbersJson(s.EnemyShotDY);
  j["EnemyShotSpeed"] = NumbersJson(s.EnemyShotSpeed);
  j["EnemyShotAimX"] = NumbersJson(s.EnemyShotAimX);
  j["EnemyShotAimY"] = NumbersJson(s.EnemyShotAimY);
  j["Boss"] = EntityJson(s.Boss);
  j["BossBombs"] = TableJson(s.BossBombs);
  j["BossBullets"] = TableJson(s.BossBullets);
  j["BossRain"] = TableJson(s.BossRain);
  j["Item"] = EntityJson(s.Item);
  AddJoystick(j, s);
  j["Menu"] = MenuJson(s);
  Json& sounds = j["SoundRequests"] = Json::object();
  if (extras.SoundRequests) {
    for (const auto& [file, count] : *extras.SoundRequests) sounds[file] = count;
  }
  Json& dialogs = j["Dialogs"] = Json::array();
  if (extras.Dialogs) {
    for (const DialogRecord& d : *extras.Dialogs) {
      dialogs.push_back(Json{{"Kind", d.Kind}, {"Title", d.Title}, {"Text", d.Text}});
    }
  }
  return j;
}

std::string StateToJson(const GameState& s, const DumpExtras& extras) {
  // Text that is not valid UTF-8 (a path from a foreign file) is shown, not refused.
  return StateJson(s, extras).dump(-1, ' ', false, Json::error_handler_t::replace);
}

const std::string& SoundTally::Note(std::string_view file) {
  auto it = requests_.find(file);
  if (it == requests_.end()) it = requests_.emplace(std::string(file), 0).first;
  ++it->second;
  return it->first;
}

int SoundTally::Count(std::string_view file) const {
  const auto it = requests_.find(file);
  return it == requests_.end() ? 0 : it->second;
}

std::string FingerprintHex(uint64_t fingerprint) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(fingerprint));
  return text;
}

}  // namespace pelaryn
