#include "persist/SettingsTable.h"

#include <gtest/gtest.h>

#include <set>

#include "../TestGame.h"

namespace pelaryn {
namespace {

std::string ValueText(const ConstSettingRef& ref) {
  return std::visit(
      [](const auto* v) {
        if constexpr (std::is_same_v<decltype(v), const std::string*>) {
          return *v;
        } else {
          return std::to_string(*v);
        }
      },
      ref);
}

TEST(SettingsTable, FileOrderFollowsTheLinesOfTheSettingsFile) {
  std::vector<std::string_view> names;
  for (const SettingInfo* s : SettingsInFileOrder()) names.push_back(s->Name);
  const std::vector<std::string_view> expected = {"SoundEffectsOn",
                                                  "AutoShot",
                                                  "TitleAnimation",
                                                  "InitialDifficulty",
                                                  "DifficultySkip",
                                                  "BackSetting.BackImagePath",
                                                  "BackSetting.ScrollYoko",
                                                  "BackSetting.ScrollTate",
                                                  "BackSetting.Guriguri",
                                                  "BackSetting.Kansei",
                                                  "TitleBgm.Path",
                                                  "TitleBgm.Enabled",
                                                  "Bgm(0).Path",
                                                  "Bgm(0).Enabled",
                                                  "BossBgm(0).Path",
                                                  "BossBgm(0).Enabled",
                                                  "Bgm(1).Path",
                                                  "Bgm(1).Enabled",
                                                  "BossBgm(1).Path",
                                                  "BossBgm(1).Enabled",
                                                  "UseJoystick",
                                                  "JoySensitivity"};
  EXPECT_EQ(names, expected);
}

TEST(SettingsTable, EachEntryReachesItsOwnVariable) {
  // Writing one setting changes exactly one variable, and every name is unique.
  std::set<std::string_view> seen;
  for (const SettingInfo& setting : Settings) {
    EXPECT_TRUE(seen.insert(setting.Name).second) << setting.Name;
    GameState s;
    const GameState before = s;
    const std::string value = setting.Type == SettingType::Text   ? "x.mid"
                              : setting.Type == SettingType::Bool ? "true"
                                                                  : "7";
    ASSERT_TRUE(SetSettingFromText(s, setting, value)) << setting.Name;
    int changed = 0;
    for (const SettingInfo& other : Settings) {
      if (ValueText(other.Get(s)) != ValueText(other.Get(before))) {
        ++changed;
        EXPECT_EQ(other.Name, setting.Name);
      }
    }
    EXPECT_EQ(changed, 1) << setting.Name;
  }
}

TEST(SettingsTable, TextValuesAreParsedByType) {
  GameState s;
  const SettingInfo& se = *FindSetting("SoundEffectsOn");
  EXPECT_TRUE(SetSettingFromText(s, se, "#FALSE#"));
  EXPECT_FALSE(s.SoundEffectsOn);
  EXPECT_TRUE(SetSettingFromText(s, se, "#TRUE#"));
  EXPECT_TRUE(s.SoundEffectsOn);
  EXPECT_TRUE(SetSettingFromText(s, se, "0"));
  EXPECT_FALSE(s.SoundEffectsOn);
  EXPECT_FALSE(SetSettingFromText(s, se, "#true#"));
  EXPECT_FALSE(SetSettingFromText(s, se, "yes"));

  const SettingInfo& yoko = *FindSetting("BackSetting.ScrollYoko");
  EXPECT_TRUE(SetSettingFromText(s, yoko, "-20"));
  EXPECT_EQ(s.BackSetting.ScrollYoko, -20);
  EXPECT_TRUE(SetSettingFromText(s, yoko, "32767"));
  EXPECT_FALSE(SetSettingFromText(s, yoko, "32768"));
  EXPECT_FALSE(SetSettingFromText(s, yoko, "3x"));
  EXPECT_EQ(s.BackSetting.ScrollYoko, 32767);
  EXPECT_EQ(FindSetting("NoSuchSetting"), nullptr);
}

TEST(SettingsTable, DefaultsAreTheOnesStartUpStores) {
  // Start-up leaves AutoShot and 慣性 as they were; every other setting gets the table's default.
  testing::TestGame t(false);
  t.s.AutoShot = true;
  t.s.BackSetting.Kansei = true;
  t.game.FormLoad();
  const std::string folder = PELARYN_RUNTIME_DIR;
  for (const SettingInfo& setting : Settings) {
    const ConstSettingRef value = setting.Get(t.s);
    if (setting.Name == "AutoShot" || setting.Name == "BackSetting.Kansei") {
      EXPECT_TRUE(*std::get<const bool*>(value)) << setting.Name;
    } else if (setting.Type == SettingType::Text) {
      EXPECT_EQ(*std::get<const std::string*>(value), DefaultSettingPath(setting, folder));
    } else if (setting.Type == SettingType::Bool) {
      EXPECT_EQ(*std::get<const bool*>(value), setting.DefaultNumber != 0) << setting.Name;
    } else {
      EXPECT_EQ(*std::get<const int16_t*>(value), setting.DefaultNumber) << setting.Name;
    }
  }
  EXPECT_EQ(DefaultSettingPath(*FindSetting("TitleBgm.Path"), "/games/p"),
            "/games/p/sound/title.mid");
  EXPECT_EQ(FindSetting("InitialDifficulty")->Max, 50);
  EXPECT_EQ(FindSetting("DifficultySkip")->Max, 10);
  EXPECT_EQ(FindSetting("BackSetting.ScrollTate")->Min, -20);
  EXPECT_EQ(FindSetting("JoySensitivity")->Max, 32767);
}

}  // namespace
}  // namespace pelaryn
