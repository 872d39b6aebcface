// The headless runner: scripts, settings, dumps, and that the same input gives the same game.

#include "platform/headless/SimRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "../ScratchPath.h"
#include "platform/script/Scripts.h"

namespace pelaryn {
namespace {

std::string TempFile(const std::string& name, const std::string& text = "") {
  // Kept until the process ends, since a run reads its scripts after they are named.
  static const testing::ScratchFolder folder("simtest");
  const std::string path = folder.File(name);
  if (!text.empty()) std::ofstream(path) << text;
  return path;
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
  EXPECT_FALSE(ParseSimArguments({"--frames", "-1"}, error));
  EXPECT_FALSE(ParseSimArguments({"--games", "0"}, error));
  EXPECT_FALSE(ParseSimArguments({"--png-title", "1"}, error));  // pictures, but where to?
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
  const testing::ScratchFolder png("simtest-png");
  options.PngDir = png.Path().string();
  options.PngFrames = {2};
  const SimResult r = RunOk(options);
  const auto dump = nlohmann::json::parse(r.FinalJson);
  EXPECT_EQ(dump["Menu"]["mnuAutoshot"]["Checked"], true);
  EXPECT_EQ(dump["Level"], 4);
  EXPECT_TRUE(std::filesystem::exists(options.PngDir + "/frame-2.png"));
  EXPECT_FALSE(std::filesystem::exists(options.PngDir + "/frame-3.png"));
}

namespace {

// The dump of a 300-frame game with moves and fire, and the given menu script.
nlohmann::json GameWithMenu(const std::string& name, const std::string& menu,
                            uint64_t frames = 300) {
  SimOptions options;
  options.Frames = frames;
  options.KeysFile = TempFile("menu-keys", "1 300 Z\n20 80 Left\n81 200 Right X\n");
  options.Settings = {{"Life", "40"}};
  if (!menu.empty()) options.MenuFile = TempFile("menu-" + name, menu);
  return nlohmann::json::parse(RunOk(options).FinalJson);
}

}  // namespace

TEST(Sim, APausedAndResumedGameIsTheGameNeverPaused) {
  const auto plain = GameWithMenu("none", "");
  const auto paused = GameWithMenu("pause", "100 Pause Wait 50 Pause\n150 Pause Pause\n");
  EXPECT_EQ(paused, plain);
  EXPECT_EQ(plain["Running"], 1);
  EXPECT_EQ(plain["Menu"]["mnuStart"]["Enabled"], false);
  EXPECT_EQ(plain["Menu"]["mnuPause"]["Enabled"], true);
  EXPECT_EQ(plain["Menu"]["mnuPause"]["Checked"], false);
  // Start is disabled during a game: choosing it changes nothing.
  EXPECT_EQ(GameWithMenu("start", "10 Start\n"), plain);
}

TEST(Sim, APauseHoldsTheFrameUntilTheScriptEndsIt) {
  // Exit inside the pause: the run ends on the paused frame, with the pause shown.
  const auto exited = GameWithMenu("exit", "100 Pause Wait 3 Exit Se\n");
  EXPECT_EQ(exited["Frame"], 100);
  EXPECT_EQ(exited["Running"], 0);
  EXPECT_EQ(exited["Menu"]["mnuPause"]["Checked"], true);
  EXPECT_EQ(exited["SoundEffectsOn"], true);  // dropped after Exit
  // A pause that nothing resumes ends the run too, instead of waiting for ever.
  EXPECT_EQ(GameWithMenu("stuck", "120 Pause\n")["Frame"], 120);
  // Effects and automatic fire switch from the next frame; the check marks follow.
  const auto switched = GameWithMenu("switch", "10 Se Autoshot\n");
  EXPECT_EQ(switched["SoundEffectsOn"], false);
  EXPECT_EQ(switched["Menu"]["mnuSe"]["Checked"], false);
  EXPECT_EQ(switched["AutoShot"], true);
  EXPECT_EQ(switched["Menu"]["mnuAutoshot"]["Checked"], true);
  EXPECT_TRUE(switched["SoundRequests"].empty() ||
              switched["SoundRequests"].value("sound/hit.wav", 0) <
                  GameWithMenu("none", "")["SoundRequests"].value("sound/hit.wav", 0));
}

TEST(Sim, ResetStartsANewGameAndTheFrameLimitCountsEveryGame) {
  // Reset at frame 50 of each game: 50 + 50 + 20 frames make the 120.
  const auto reset = GameWithMenu("reset", "50 Reset Se\n", 120);
  EXPECT_EQ(reset["Frame"], 20);
  EXPECT_EQ(reset["Score"], 0);
  EXPECT_EQ(reset["SoundEffectsOn"], true);
  EXPECT_EQ(reset["Running"], 1);
  // Reset from inside a pause abandons the paused game as well.
  const auto fromPause = GameWithMenu("pause-reset", "30 Pause Wait 2 Reset\n", 100);
  EXPECT_EQ(fromPause["Frame"], 100 - 3 * 30);  // every game is reset at its frame 30
  EXPECT_EQ(fromPause["Menu"]["mnuPause"]["Checked"], false);

  std::string error;
  std::istringstream bad("10 Pause Jump\n");
  EXPECT_FALSE(MenuScript::Parse(bad, error));
  EXPECT_NE(error.find("Jump"), std::string::npos);
  std::istringstream badWait("10 Wait 0\n");
  EXPECT_FALSE(MenuScript::Parse(badWait, error));
}

}  // namespace pelaryn
