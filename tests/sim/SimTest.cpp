// The headless runner: scripts, settings, dumps, and that the same input gives the same game.

#include "platform/headless/SimRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/headless/Scripts.h"

namespace pelaryn {
namespace {

std::string TempFile(const std::string& name, const std::string& text = "") {
  const auto path = std::filesystem::temp_directory_path() / ("pelaryn-simtest-" + name);
  if (!text.empty()) std::ofstream(path) << text;
  return path.string();
}

SimResult RunOk(SimOptions options) {
  options.ProgramFolder = PELARYN_RUNTIME_DIR;
  std::string error;
  const auto result = RunSim(options, error);
  EXPECT_TRUE(result.has_value()) << error;
  return result.value_or(SimResult{});
}

}  // namespace

TEST(Sim, TheSameArgumentsGiveByteIdenticalGames) {
  SimOptions options;
  options.Frames = 300;
  options.KeysFile = TempFile("keys", "# weave and fire\n1 40 Left Z\n41 90 Right X\n");
  options.Settings = {{"BackSetting.Guriguri", "true"}, {"Life", "40"}};
  options.TraceFile = TempFile("trace.jsonl");
  const SimResult a = RunOk(options);
  std::ifstream traceIn(options.TraceFile);
  std::string line;
  int lines = 0;
  while (std::getline(traceIn, line)) ++lines;
  const SimResult b = RunOk(options);
  EXPECT_EQ(a.FinalJson, b.FinalJson);
  EXPECT_EQ(a.Frames, 300u);
  EXPECT_EQ(lines, 300);
  const auto dump = nlohmann::json::parse(a.FinalJson);
  EXPECT_EQ(dump["Frame"], 300);
  // Hearts never lift a ship above 19 lives: more than that means the 40 were applied.
  EXPECT_GT(dump["Life"].get<int>(), 19);
  EXPECT_EQ(dump["BackSetting"]["Guriguri"], true);
}

TEST(Sim, TheRunStopsWhereTheGameEndsAndReportsIt) {
  SimOptions options;
  options.Frames = 100000;
  options.Settings = {{"Life", "1"}, {"InitialDifficulty", "20"}};
  options.DumpFile = TempFile("over.json");
  const SimResult r = RunOk(options);
  EXPECT_TRUE(r.GameOver);
  EXPECT_LT(r.Frames, 100000u);
  std::ifstream in(options.DumpFile);
  const auto dump = nlohmann::json::parse(in);
  EXPECT_EQ(dump["GameOver"], true);
  EXPECT_EQ(dump["Frame"], r.Frames);
  EXPECT_EQ(dump["Life"], 0);
  EXPECT_EQ(dump["SoundRequests"]["sound/damage.wav"], 36);  // the hit, then 35
}

TEST(Sim, ArgumentsAndScriptsAreCheckedBeforeAnythingRuns) {
  std::string error;
  EXPECT_FALSE(ParseSimArguments({"--frames", "0"}, error));
  EXPECT_FALSE(ParseSimArguments({"--frames"}, error));
  EXPECT_FALSE(ParseSimArguments({"--bogus", "1"}, error));
  EXPECT_FALSE(ParseSimArguments({"--png-frames", "5-2"}, error));
  EXPECT_FALSE(ParseSimArguments({"--png-frames", "1"}, error));  // pictures, but where to?
  auto parsed = ParseSimArguments(
      {"--set", "Bgm(1).Enabled=false", "--png", "pictures", "--png-frames", "1,3-4"}, error);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->PngFrames, (std::set<uint64_t>{1, 3, 4}));

  SimOptions badSetting;
  badSetting.Settings = {{"Lives", "3"}};
  EXPECT_FALSE(RunSim(badSetting, error));
  EXPECT_NE(error.find("Lives"), std::string::npos);
  badSetting.Settings = {{"InitialDifficulty", "70000"}};
  EXPECT_FALSE(RunSim(badSetting, error));

  std::istringstream keys("1 5 Left\n7 3 Z\n");
  EXPECT_FALSE(KeyScript::Parse(keys, error));
  EXPECT_NE(error.find("line 2"), std::string::npos);
  std::istringstream unknown("1 5 Space\n");
  EXPECT_FALSE(KeyScript::Parse(unknown, error));
  std::istringstream joy("1 10 32768 70000 1\n");
  EXPECT_FALSE(JoyScript::Parse(joy, error));

  std::istringstream good("2 4 Left Numpad8  # comment\n\n");
  auto script = KeyScript::Parse(good, error);
  ASSERT_TRUE(script);
  EXPECT_FALSE(script->Down(1, vk::Left));
  EXPECT_TRUE(script->Down(4, vk::Numpad8));
  EXPECT_FALSE(script->Down(5, vk::Numpad8));
}

TEST(Sim, SettingsApplyWhereStartUpReadsThemAndPicturesAreWritten) {
  SimOptions options;
  options.Frames = 3;
  options.Settings = {
      {"AutoShot", "true"}, {"InitialDifficulty", "4"}, {"BackSetting.BackImagePath", ""}};
  options.PngDir = std::filesystem::temp_directory_path().string();
  options.PngFrames = {2};
  std::filesystem::remove(options.PngDir + "/frame-2.png");
  const SimResult r = RunOk(options);
  const auto dump = nlohmann::json::parse(r.FinalJson);
  EXPECT_EQ(dump["Menu"]["mnuAutoshot"]["Checked"], true);
  EXPECT_EQ(dump["Level"], 4);
  EXPECT_TRUE(std::filesystem::exists(options.PngDir + "/frame-2.png"));
  EXPECT_FALSE(std::filesystem::exists(options.PngDir + "/frame-3.png"));
}

}  // namespace pelaryn
