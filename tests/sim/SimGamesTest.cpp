// The runner across start-ups: titles, several games, the files, the boxes of a game over.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "persist/GameFiles.h"
#include "platform/headless/SimRunner.h"

namespace pelaryn {
namespace {

namespace fs = std::filesystem;

nlohmann::json RunToDump(SimOptions options) {
  options.ProgramFolder = PELARYN_RUNTIME_DIR;
  std::string error;
  const auto result = RunSim(options, error);
  EXPECT_TRUE(result.has_value()) << error;
  return result ? nlohmann::json::parse(result->FinalJson) : nlohmann::json();
}

struct Folder {
  fs::path path;
  explicit Folder(const std::string& name)
      : path(fs::temp_directory_path() /
             ("pelaryn-simgames-" + std::to_string(::getpid()) + "-" + name)) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~Folder() { fs::remove_all(path); }
  std::string Read(const char* name) const {
    std::ifstream in(path / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
};

TEST(SimGames, TheTitleChangesNothingButTheFieldAndItsPicturesAreNumberedPerTitle) {
  Folder pictures("pictures");
  SimOptions quick;
  quick.Frames = 120;
  quick.KeysFile = (pictures.path / "keys").string();
  std::ofstream(quick.KeysFile) << "1 120 Left Z\n";
  SimOptions titled = quick;
  titled.TitleFrames = 640;  // past a whole animation and its restart
  titled.PngDir = pictures.path.string();
  titled.PngTitleFrames = {1, 640};
  titled.PngFrames = {1};
  const nlohmann::json a = RunToDump(quick);
  const nlohmann::json b = RunToDump(titled);
  EXPECT_EQ(a, b);
  EXPECT_EQ(b["Frame"], 120);  // game frames count from 1 however long the title ran
  for (const char* file : {"title-1.png", "title-640.png", "frame-1.png"}) {
    EXPECT_TRUE(fs::exists(pictures.path / file)) << file;
  }
  EXPECT_FALSE(fs::exists(pictures.path / "frame-640.png"));
}

TEST(SimGames, GamesFollowEachOtherThroughTheFilesAndEveryBoxIsRecorded) {
  Folder dir("files");
  // A ranking anyone enters: every place holds 0.
  std::string ranking;
  for (int i = 0; i < 10; ++i) ranking += "\"LOW\",0,0,0\r\n";
  std::ofstream(dir.path / "pelaryn.sco", std::ios::binary) << ranking;
  Folder scripts("scripts");
  SimOptions options;
  options.Frames = 100000;
  options.Games = 2;
  options.Dir = dir.path.string();
  options.Name = "ACE";
  options.Settings = {{"Life", "2"}, {"AutoShot", "true"}, {"SoundEffectsOn", "true"}};
  // Every game switches the effects at frame 5. Given once, the setting starts game 1 with
  // effects on; game 2 reads "off" from game 1's save and switches them on again.
  options.MenuFile = (scripts.path / "menu").string();
  std::ofstream(options.MenuFile) << "5 Se\n";
  const nlohmann::json dump = RunToDump(options);
  EXPECT_EQ(dump["GameOver"], true);
  EXPECT_EQ(dump["SoundEffectsOn"], true);

  const nlohmann::json& dialogs = dump["Dialogs"];
  ASSERT_EQ(dialogs.size(), 6u);
  for (int game = 0; game < 2; ++game) {
    EXPECT_EQ(dialogs[3 * game]["Kind"], "Message");
    EXPECT_EQ(dialogs[3 * game + 1]["Kind"], "Input");
    EXPECT_EQ(dialogs[3 * game + 1]["Title"], "NAME ENTRY");
    EXPECT_EQ(dialogs[3 * game + 2]["Kind"], "Ranking");
    EXPECT_EQ(dialogs[3 * game + 2]["Title"], "ヴェルガード");
    EXPECT_EQ(dialogs[3 * game + 2]["Text"], "");
  }
  const std::string lastPrompt = dialogs[4]["Text"];
  EXPECT_TRUE(lastPrompt.starts_with("1位") || lastPrompt.starts_with("2位")) << lastPrompt;
  // Both names are in the ranking the second game saved, and the rest moved down.
  const std::string saved = DecodeFileText(dir.Read("pelaryn.sco"));
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 10);
  EXPECT_NE(saved.find("\"ACE\""), saved.rfind("\"ACE\""));
  EXPECT_NE(saved.find("\"LOW\",0,0,0\r\n"), std::string::npos);
  EXPECT_TRUE(dir.Read("pelaryn.cfg").starts_with("#TRUE#,#TRUE#,"));
}

TEST(SimGames, ZeroFramesRunsStartUpOnlyAndAFrameLimitEndsWithTheProgramsSave) {
  Folder dir("files");
  std::ofstream(dir.path / "pelaryn.cfg", std::ios::binary) << "#FALSE#,#TRUE#,#FALSE#,7,2\r\n";
  SimOptions startUp;
  startUp.Frames = 0;
  startUp.Dir = dir.path.string();
  const nlohmann::json first = RunToDump(startUp);
  EXPECT_EQ(first["Frame"], 0);
  EXPECT_EQ(first["SoundEffectsOn"], false);
  EXPECT_EQ(first["InitialDifficulty"], 7);
  EXPECT_EQ(first["Menu"]["mnuSe"]["Checked"], false);
  EXPECT_EQ(first["Menu"]["mnuStart"]["Enabled"], true);
  EXPECT_EQ(first["Running"], 0);
  EXPECT_FALSE(fs::exists(dir.path / "pelaryn.sco"));  // no program end, no save

  SimOptions limited = startUp;
  limited.Frames = 10;
  const nlohmann::json played = RunToDump(limited);
  EXPECT_EQ(played["Level"], 7);
  EXPECT_EQ(played["Running"], 1);
  EXPECT_EQ(played["Menu"]["mnuStart"]["Enabled"], false);
  EXPECT_TRUE(fs::exists(dir.path / "pelaryn.sco"));
  EXPECT_TRUE(dir.Read("pelaryn.cfg").starts_with("#FALSE#,#TRUE#,#FALSE#,7,2\r\n\""));

  // Without a folder nothing on disk is touched, whatever is saved.
  SimOptions inMemory;
  inMemory.Frames = 10;
  const fs::path beside = fs::path(PELARYN_RUNTIME_DIR) / "pelaryn.cfg";
  const bool existed = fs::exists(beside);
  RunToDump(inMemory);
  EXPECT_EQ(fs::exists(beside), existed);
}

}  // namespace
}  // namespace pelaryn
