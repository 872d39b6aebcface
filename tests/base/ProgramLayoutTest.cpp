#include "base/ProgramLayout.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace pelaryn {
namespace {

namespace fs = std::filesystem;

struct ScratchPrefix {
  fs::path root = fs::temp_directory_path() /
                  ("pelaryn-layout-" + std::to_string(::getpid()) + "-" +
                   std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  ScratchPrefix() { fs::create_directories(root / "bin"); }
  ~ScratchPrefix() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  std::string Bin() const { return (root / "bin").string(); }
};

TEST(ProgramLayout, AnInstalledGameReadsItsShareFolderAndSavesForThePlayerOnly) {
  ScratchPrefix prefix;
  fs::create_directories(prefix.root / "share" / "pelaryn");
  const std::string mine = "/home/someone/.local/share/pelaryn";
  const std::string data = (prefix.root / "share" / "pelaryn").string();

  const ProgramLayout installed = FindProgramLayout(prefix.Bin(), "../share/pelaryn", mine);
  EXPECT_TRUE(installed.Installed);
  EXPECT_EQ(installed.DataFolder, data);  // a clean name, no "bin/.."
  EXPECT_EQ(installed.SaveFolder, mine);
  // A writable share folder still never takes the player's files.
  EXPECT_EQ(installed.SaveFallback, "");
  EXPECT_EQ(FindProgramLayout(prefix.Bin() + "/", "../share/pelaryn/", mine).DataFolder, data);

  // A packager's own folders, the same rule.
  fs::create_directories(prefix.root / "games");
  fs::create_directories(prefix.root / "share" / "games" / "pelaryn");
  const ProgramLayout games =
      FindProgramLayout((prefix.root / "games").string(), "../share/games/pelaryn", mine);
  EXPECT_TRUE(games.Installed);
  EXPECT_EQ(games.DataFolder, (prefix.root / "share" / "games" / "pelaryn").string());

  // No per-user folder known: nowhere to save, never the share folder.
  const ProgramLayout homeless = FindProgramLayout(prefix.Bin(), "../share/pelaryn", "");
  EXPECT_TRUE(homeless.Installed);
  EXPECT_EQ(homeless.SaveFolder, "");
  EXPECT_EQ(homeless.SaveFallback, "");
}

TEST(ProgramLayout, AProgramWithItsFilesBesideItKeepsEverythingThere) {
  ScratchPrefix prefix;
  const std::string mine = "/home/someone/.local/share/pelaryn";
  const auto expectBeside = [&](const char* when) {
    const ProgramLayout layout = FindProgramLayout(prefix.Bin(), "../share/pelaryn", mine);
    EXPECT_FALSE(layout.Installed) << when;
    EXPECT_EQ(layout.DataFolder, prefix.Bin()) << when;
    EXPECT_EQ(layout.SaveFolder, prefix.Bin()) << when;
    EXPECT_EQ(layout.SaveFallback, mine) << when;
  };
  // Nothing anywhere: the files are missing beside the program, as they always were.
  expectBeside("no files");
  // A build tree or unpacked folder whose bin happens to sit beside an installed share folder.
  std::ofstream(prefix.root / "bin" / "back.bmp") << "BM";
  fs::create_directories(prefix.root / "share" / "pelaryn");
  expectBeside("back.bmp beside the program");
  // A plain file under the data folder's name is no data folder.
  fs::remove(prefix.root / "bin" / "back.bmp");
  fs::remove(prefix.root / "share" / "pelaryn");
  std::ofstream(prefix.root / "share" / "pelaryn") << "x";
  expectBeside("share/pelaryn is a file");
}

}  // namespace
}  // namespace pelaryn
