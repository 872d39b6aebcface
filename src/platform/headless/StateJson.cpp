#include "platform/headless/StateJson.h"

#include <span>

#include "platform/headless/JsonWriter.h"

namespace pelaryn {
namespace {

void WriteEntity(JsonWriter& w, const Entity& e) {
  w.BeginObject();
  w.Field("X", e.X);
  w.Field("Y", e.Y);
  w.Field("State", e.State);
  w.Field("Kind", e.Kind);
  w.Field("W", e.W);
  w.Field("H", e.H);
  w.Field("DX", e.DX);
  w.Field("DY", e.DY);
  w.Field("SrcX", e.SrcX);
  w.Field("SrcY", e.SrcY);
  w.Field("Extra", e.Extra);
  w.EndObject();
}

void WriteTable(JsonWriter& w, std::string_view key, std::span<const Entity> table) {
  w.Key(key);
  w.BeginArray();
  for (const Entity& e : table) WriteEntity(w, e);
  w.EndArray();
}

void WriteNumbers(JsonWriter& w, std::string_view key, std::span<const int16_t> values) {
  w.Key(key);
  w.BeginArray();
  for (const int16_t v : values) w.Value(v);
  w.EndArray();
}

void WriteBgm(JsonWriter& w, const BgmEntry& e) {
  w.BeginObject();
  w.Field("Path", e.Path);
  w.Field("Enabled", e.Enabled);
  w.EndObject();
}

void WriteScalars(JsonWriter& w, const GameState& s) {
  w.Field("Score", s.Score);
  w.Field("HiScore", s.HiScore);
  w.Field("Life", s.Life);
  w.Field("Level", s.Level);
  w.Field("Combo", s.Combo);
  w.Field("MaxCombo", s.MaxCombo);
  w.Field("ComboTimer", s.ComboTimer);
  w.Field("EnemiesAppeared", s.EnemiesAppeared);
  w.Field("EnemiesShotDown", s.EnemiesShotDown);
  w.Field("ShotRatio", s.ShotRatio);
  w.Field("FramePeriod", s.FramePeriod);
  w.Field("Running", s.Running);
  w.Field("PhaseFrames", s.PhaseFrames);
  w.Field("BossActive", s.BossActive);
  w.Field("BossInterval", s.BossInterval);
  w.Field("BlinkPhase", s.BlinkPhase);
  w.Field("BlinkStep", s.BlinkStep);
  w.Field("BlinkFrame", s.BlinkFrame);
  w.Field("HitFlash", s.HitFlash);
  w.Field("InvincibleFrames", s.InvincibleFrames);
  w.Field("BackSplitX", s.BackSplitX);
  w.Field("BackSplitY", s.BackSplitY);
  w.Field("BgmIndex", s.BgmIndex);
  w.Field("BossBulletMax", s.BossBulletMax);
  w.Field("BossBombMax", s.BossBombMax);
  w.Field("BossRainMax", s.BossRainMax);
  w.Field("EnemyShotW", s.EnemyShotW);
  w.Field("EnemyShotH", s.EnemyShotH);
  w.Field("EnemyShotBaseSpeed", s.EnemyShotBaseSpeed);
  w.Field("ComboPopupTimer", s.ComboPopupTimer);
  w.Field("ComboPopupDigits", s.ComboPopupDigits);
  w.Field("ComboPopupValue", s.ComboPopupValue);
}

void WriteSettings(JsonWriter& w, const GameState& s) {
  w.Field("SoundEffectsOn", s.SoundEffectsOn);
  w.Field("AutoShot", s.AutoShot);
  w.Field("TitleAnimation", s.TitleAnimation);
  w.Field("InitialDifficulty", s.InitialDifficulty);
  w.Field("DifficultySkip", s.DifficultySkip);
  w.Field("UseJoystick", s.UseJoystick);
  w.Field("JoySensitivity", s.JoySensitivity);
  w.Key("BackSetting");
  w.BeginObject();
  w.Field("BackImagePath", s.BackSetting.BackImagePath);
  w.Field("OffsetX", s.BackSetting.OffsetX);
  w.Field("OffsetY", s.BackSetting.OffsetY);
  w.Field("ScrollYoko", s.BackSetting.ScrollYoko);
  w.Field("ScrollTate", s.BackSetting.ScrollTate);
  w.Field("Guriguri", s.BackSetting.Guriguri);
  w.Field("Kansei", s.BackSetting.Kansei);
  w.EndObject();
  w.Key("TitleBgm");
  WriteBgm(w, s.TitleBgm);
  w.Key("Bgm");
  w.BeginArray();
  for (const BgmEntry& e : s.Bgm) WriteBgm(w, e);
  w.EndArray();
  w.Key("BossBgm");
  w.BeginArray();
  for (const BgmEntry& e : s.BossBgm) WriteBgm(w, e);
  w.EndArray();
}

void WriteRanking(JsonWriter& w, const GameState& s) {
  w.Key("Ranking");
  w.BeginArray();
  for (const RankEntry& r : s.Ranking) {
    w.BeginObject();
    w.Field("Name", r.Name);
    w.Field("Score", r.Score);
    w.Field("ShotRatio", r.ShotRatio);
    w.Field("MaxCombo", r.MaxCombo);
    w.EndObject();
  }
  w.EndArray();
}

void WriteJoystick(JsonWriter& w, const GameState& s) {
  w.Key("JoyCaps");
  w.BeginObject();
  w.Field("XMax", s.JoyCaps.XMax);
  w.Field("YMax", s.JoyCaps.YMax);
  w.EndObject();
  w.Field("JoyCenterX", s.JoyCenterX);
  w.Field("JoyCenterY", s.JoyCenterY);
  w.Key("JoyState");
  w.BeginObject();
  w.Field("XPos", s.JoyState.Info.XPos);
  w.Field("YPos", s.JoyState.Info.YPos);
  w.Field("ZPos", s.JoyState.Info.ZPos);
  w.Field("Buttons", s.JoyState.Info.Buttons);
  w.Field("X", s.JoyState.X);
  w.Field("Y", s.JoyState.Y);
  w.EndObject();
}

void WriteMenu(JsonWriter& w, const GameState& s) {
  w.Key("Menu");
  w.BeginObject();
  for (const MenuItemInfo& item : MenuItems) {
    w.Key(item.Name);
    w.BeginObject();
    w.Field("Checked", s.Menu.Checked(item.Id));
    w.Field("Enabled", s.Menu.Enabled(item.Id));
    w.EndObject();
  }
  w.EndObject();
}

}  // namespace

std::string StateToJson(const GameState& s, const DumpExtras& extras) {
  std::string out;
  JsonWriter w(out);
  w.BeginObject();
  w.Field("Frame", extras.Frame);
  w.Field("RandomDraws", extras.RandomDraws);
  w.Field("GameOver", extras.GameOver);
  WriteScalars(w, s);
  WriteSettings(w, s);
  WriteRanking(w, s);
  w.Key("Player");
  WriteEntity(w, s.Player);
  WriteTable(w, "PlayerShots", s.PlayerShots);
  WriteTable(w, "Enemies", s.Enemies);
  WriteNumbers(w, "EnemyShotX", s.EnemyShotX);
  WriteNumbers(w, "EnemyShotY", s.EnemyShotY);
  WriteNumbers(w, "EnemyShotState", s.EnemyShotState);
  WriteNumbers(w, "EnemyShotDX", s.EnemyShotDX);
  WriteNumbers(w, "EnemyShotDY", s.EnemyShotDY);
  WriteNumbers(w, "EnemyShotSpeed", s.EnemyShotSpeed);
  WriteNumbers(w, "EnemyShotAimX", s.EnemyShotAimX);
  WriteNumbers(w, "EnemyShotAimY", s.EnemyShotAimY);
  w.Key("Boss");
  WriteEntity(w, s.Boss);
  WriteTable(w, "BossBombs", s.BossBombs);
  WriteTable(w, "BossBullets", s.BossBullets);
  WriteTable(w, "BossRain", s.BossRain);
  w.Key("Item");
  WriteEntity(w, s.Item);
  WriteJoystick(w, s);
  WriteMenu(w, s);
  w.Key("SoundRequests");
  w.BeginObject();
  if (extras.SoundRequests) {
    for (const auto& [file, count] : *extras.SoundRequests) w.Field(file, count);
  }
  w.EndObject();
  w.EndObject();
  return out;
}

}  // namespace pelaryn
