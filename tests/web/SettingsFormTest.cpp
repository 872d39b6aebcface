// The page's settings window as the game sees it: what it is told of every setting, and which
// answers reach the state.

#include "platform/web/SettingsForm.h"

#include <gtest/gtest.h>

#include "persist/SettingsTable.h"

namespace pelaryn {
namespace {

TEST(SettingsForm, DescribesEverySettingOfTheTable) {
  GameState state;
  state.InitialDifficulty = 7;
  state.BackSetting.BackImagePath = "/mine/sky.png";
  state.Bgm[1].Enabled = false;
  const nlohmann::json settings = SettingsDescription(state, "/game");
  ASSERT_EQ(settings.size(), Settings.size());
  for (std::size_t i = 0; i < Settings.size(); ++i)
    EXPECT_EQ(settings[i]["name"], Settings[i].Name);
  const auto find = [&](std::string_view name) {
    for (const auto& setting : settings) {
      if (setting["name"] == name) return setting;
    }
    return nlohmann::json();
  };
  EXPECT_EQ(find("InitialDifficulty"), (nlohmann::json{{"name", "InitialDifficulty"},
                                                       {"type", "int"},
                                                       {"min", 0},
                                                       {"max", 50},
                                                       {"default", 0},
                                                       {"value", 7}}));
  EXPECT_EQ(find("BackSetting.ScrollYoko")["min"], -20);
  EXPECT_EQ(find("BackSetting.ScrollTate")["default"], 3);
  EXPECT_EQ(find("BackSetting.BackImagePath"),
            (nlohmann::json{{"name", "BackSetting.BackImagePath"},
                            {"type", "text"},
                            {"default", "/game/back.bmp"},
                            {"value", "/mine/sky.png"}}));
  EXPECT_EQ(
      find("Bgm(1).Enabled"),
      (nlohmann::json{
          {"name", "Bgm(1).Enabled"}, {"type", "bool"}, {"default", true}, {"value", false}}));
}

TEST(SettingsForm, AppliesAnAnswerOnlyWhenEveryValueFits) {
  const nlohmann::json good{{"InitialDifficulty", 12},
                            {"JoySensitivity", 32767},
                            {"BackSetting.ScrollYoko", -20},
                            {"BackSetting.Kansei", true},
                            {"TitleBgm.Path", "/player-files/夜.mid"}};
  const struct {
    const char* Why;
    nlohmann::json Values;
    bool Applied;
  } cases[] = {
      {"every value fits", good, true},
      // A hand-edited file's number outside the window's range is kept, as the desktop keeps it.
      {"outside the window's range, inside 16 bits", {{"InitialDifficulty", 99}}, true},
      {"past 16 bits", {{"InitialDifficulty", 32768}}, false},
      {"below 16 bits", {{"BackSetting.ScrollYoko", -32769}}, false},
      {"a fraction", {{"InitialDifficulty", 1.5}}, false},
      {"a number as text", {{"InitialDifficulty", "3"}}, false},
      {"a Boolean as a number", {{"BackSetting.Kansei", 1}}, false},
      {"a path as a number", {{"TitleBgm.Path", 0}}, false},
      {"no such setting", {{"InitialDifficulty", 3}, {"Lives", 9}}, false},
      {"not an object", nlohmann::json::array({1, 2}), false},
  };
  for (const auto& c : cases) {
    GameState state;
    const GameState before = state;
    std::string why;
    EXPECT_EQ(ApplySettingValues(state, c.Values, why), c.Applied) << c.Why;
    if (!c.Applied) {
      EXPECT_FALSE(why.empty()) << c.Why;
      EXPECT_EQ(SettingsDescription(state, "/g"), SettingsDescription(before, "/g"))
          << c.Why << ": nothing changes";
    }
  }
  GameState state;
  state.BackSetting.ScrollTate = 5;
  std::string why;
  ASSERT_TRUE(ApplySettingValues(state, good, why)) << why;
  EXPECT_EQ(state.InitialDifficulty, 12);
  EXPECT_EQ(state.JoySensitivity, 32767);
  EXPECT_EQ(state.BackSetting.ScrollYoko, -20);
  EXPECT_TRUE(state.BackSetting.Kansei);
  EXPECT_EQ(state.TitleBgm.Path, "/player-files/夜.mid");
  EXPECT_EQ(state.BackSetting.ScrollTate, 5) << "what the answer leaves out stays";
}

}  // namespace
}  // namespace pelaryn
