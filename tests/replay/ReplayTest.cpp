// Recorded games played again: the whole state every 100 frames and chosen pictures must match
// the fingerprints committed under golden/. A difference means a rule of play changed; if that
// was meant, scripts/update-golden records the new fingerprints and the commit says why.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/headless/SimRunner.h"

namespace pelaryn {
namespace {

namespace fs = std::filesystem;

const fs::path ScenarioDir = fs::path(PELARYN_GOLDEN_DIR).parent_path() / "scenarios";

// The runner's arguments from a scenario: one option and its value per line, `#` comments.
// Script files are named relative to the scenario.
std::vector<std::string> ScenarioArguments(const fs::path& file) {
  std::vector<std::string> args;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const auto space = line.find(' ');
    std::string option = line.substr(0, space);
    std::string value = space == std::string::npos ? "" : line.substr(space + 1);
    if (option == "--keys" || option == "--joy") value = (ScenarioDir / value).string();
    args.push_back(option);
    args.push_back(value);
  }
  return args;
}

std::vector<std::string> Lines(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class Replay : public ::testing::TestWithParam<std::string> {};

TEST_P(Replay, MatchesTheRecordedGame) {
  const std::string name = GetParam();
  const fs::path out = fs::path(::testing::TempDir()) / (name + ".hashes");
  std::vector<std::string> args = ScenarioArguments(ScenarioDir / (name + ".args"));
  // The program folder as "." keeps the paths in the state the same on every machine; the
  // tests run beside the game's files.
  for (const char* extra : {"--program-folder", ".", "--hashes"}) args.push_back(extra);
  args.push_back(out.string());
  std::string error;
  const auto options = ParseSimArguments(args, error);
  ASSERT_TRUE(options) << error;
  ASSERT_TRUE(RunSim(*options, error)) << error;

  const std::vector<std::string> expected =
      Lines(fs::path(PELARYN_GOLDEN_DIR) / (name + ".hashes"));
  const std::vector<std::string> actual = Lines(out);
  ASSERT_FALSE(expected.empty()) << "no recording for " << name;
  for (std::size_t i = 0; i < std::min(expected.size(), actual.size()); ++i) {
    ASSERT_EQ(actual[i], expected[i]) << name << ": first difference at line " << i + 1;
  }
  EXPECT_EQ(actual.size(), expected.size()) << name;
}

// Each recorded game again, recorded to a replay file and played back from it alone: every
// checkpoint holds, and the dump at its end is the recording run's but for the boxes shown
// and the ranking (a playback asks for nothing and ranks nothing).
TEST_P(Replay, PlaysBackFromItsReplayFile) {
  const std::string name = GetParam();
  std::vector<std::string> args = ScenarioArguments(ScenarioDir / (name + ".args"));
  const std::string file = (fs::path(::testing::TempDir()) / (name + ".pelrpy")).string();
  for (const char* extra : {"--program-folder", ".", "--record"}) args.push_back(extra);
  args.push_back(file);
  // The pictures are the fingerprint test's business.
  const auto pictures = std::find(args.begin(), args.end(), "--png-frames");
  if (pictures != args.end()) args.erase(pictures, pictures + 2);
  std::string error;
  const auto options = ParseSimArguments(args, error);
  ASSERT_TRUE(options) << error;
  const auto recorded = RunSim(*options, error);
  ASSERT_TRUE(recorded) << error;

  const auto replay = ParseSimArguments({"--replay", file, "--program-folder", "."}, error);
  ASSERT_TRUE(replay) << error;
  auto loaded = ReadReplayFile(file, error);
  ASSERT_TRUE(loaded) << error;
  const auto played = RunSim(*replay, error, std::make_shared<const pelaryn::Replay>(*loaded));
  ASSERT_TRUE(played) << error;
  EXPECT_EQ(played->DiffersAt, std::nullopt);
  EXPECT_EQ(DescribeVerdict(played->Verdict), "verified");
  EXPECT_EQ(played->Frames, recorded->Frames);
  auto a = nlohmann::json::parse(recorded->FinalJson), b = nlohmann::json::parse(played->FinalJson);
  for (auto* dump : {&a, &b}) dump->erase("Dialogs"), dump->erase("Ranking");
  EXPECT_EQ(a, b) << name;
}

std::vector<std::string> Scenarios() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(ScenarioDir)) {
    if (entry.path().extension() == ".args") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& scenario) {
  std::string name = scenario.param;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Games, Replay, ::testing::ValuesIn(Scenarios()), TestName);

}  // namespace
}  // namespace pelaryn
