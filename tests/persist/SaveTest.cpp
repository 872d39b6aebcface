#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "../TestGame.h"
#include "persist/DiskFileStore.h"

namespace pelaryn {
namespace {

namespace fs = std::filesystem;

struct ScratchFolder {
  fs::path path = fs::temp_directory_path() /
                  ("pelaryn-save-" + std::to_string(::getpid()) + "-" +
                   std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  ScratchFolder() { fs::create_directories(path); }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

TEST(Save, AKilledSaveLeavesTheOldFileOrTheNewOneNeverAPart) {
  ScratchFolder folder;
  // Two contents of different lengths, so a torn write would show as neither.
  const std::string small(3000, 'a');
  const std::string large(90000, 'b');
  std::mt19937 random(20261207);
  {
    // There is always an old file: a busy machine may kill every child before its first save.
    DiskFileStore store(folder.path.string());
    std::string error;
    ASSERT_TRUE(store.Write("pelaryn.sco", small, error)) << error;
  }
  int killedMidway = 0;
  for (int round = 0; round < 20; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      DiskFileStore store(folder.path.string());
      std::string error;
      for (int i = 0; i < 500; ++i) store.Write("pelaryn.sco", i % 2 ? large : small, error);
      ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) ++killedMidway;
    std::ifstream in(folder.path / "pelaryn.sco", std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_TRUE(content == small || content == large)
        << "round " << round << ": " << content.size() << " bytes";
  }
  EXPECT_GT(killedMidway, 0);
}

TEST(Save, AFolderThatRefusesTheFilesHandsThemToThePlayersFolder) {
  ScratchFolder scratch;
  // A "folder" below a plain file can never hold anything, even for the superuser.
  const fs::path blocked = scratch.path / "file";
  std::ofstream(blocked) << "x";
  const fs::path mine = scratch.path / "share" / "pelaryn";
  {
    DiskFileStore store((blocked / "game").string(), mine.string());
    std::string error;
    EXPECT_TRUE(store.Write("pelaryn.cfg", "settings", error)) << error;
    EXPECT_TRUE(store.UsingFallback());
    EXPECT_EQ(store.Read("pelaryn.cfg"), "settings");
  }
  // The next start finds them there.
  DiskFileStore again((blocked / "game").string(), mine.string());
  EXPECT_EQ(again.Read("pelaryn.cfg"), "settings");

  // A writable folder is used as it is, even when the player's folder holds an older file.
  DiskFileStore beside(scratch.path.string(), mine.string());
  std::string error;
  EXPECT_TRUE(beside.Write("pelaryn.cfg", "new", error));
  EXPECT_FALSE(beside.UsingFallback());
  EXPECT_EQ(beside.Read("pelaryn.cfg"), "new");

  // What is not a regular file is not read.
  fs::create_directories(scratch.path / "pelaryn.sco");
  EXPECT_EQ(beside.Read("pelaryn.sco"), std::nullopt);
  EXPECT_EQ(beside.Read("missing"), std::nullopt);
}

TEST(Save, ThePlayersFolderAppearsWithTheFirstSaveAndNoFolderSavesNothing) {
  ScratchFolder scratch;
  const fs::path mine = scratch.path / "home" / ".local" / "share" / "pelaryn";
  {
    DiskFileStore store(mine.string());
    EXPECT_EQ(store.Read("pelaryn.cfg"), std::nullopt);
    std::string error;
    ASSERT_TRUE(store.Write("pelaryn.cfg", "settings", error)) << error;
    EXPECT_EQ(fs::status(mine).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(store.Write("pelaryn.sco", "ranking", error)) << error;
  }
  DiskFileStore again(mine.string());
  EXPECT_EQ(again.Read("pelaryn.cfg"), "settings");
  EXPECT_EQ(again.Read("pelaryn.sco"), "ranking");

  // Without a folder the working directory is not a stand-in, for reading or for writing.
  const fs::path before = fs::current_path();
  fs::current_path(scratch.path);
  std::ofstream("pelaryn.cfg") << "not ours";
  DiskFileStore nowhere("");
  std::string error;
  const bool saved = nowhere.Write("pelaryn.sco", "ranking", error);
  const auto read = nowhere.Read("pelaryn.cfg");
  const bool strayFile = fs::exists("pelaryn.sco");
  fs::current_path(before);
  EXPECT_FALSE(saved);
  EXPECT_NE(error.find("pelaryn.sco"), std::string::npos) << error;
  EXPECT_EQ(read, std::nullopt);
  EXPECT_FALSE(strayFile);
}

TEST(Save, AFailedSaveIsToldOnceAndTheGameKeepsItsState) {
  ScratchFolder scratch;
  std::ofstream(scratch.path / "file") << "x";
  testing::TestGame t;
  t.platform.SetFileStore(std::make_unique<DiskFileStore>((scratch.path / "file" / "g").string()));
  t.s.Ranking[0].Name = "KEPT";
  t.Frames(3);
  t.game.MenuCommand(MenuId::Reset);
  const auto& errors = t.platform.RecordedDialogs().Errors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("pelaryn.cfg"), std::string::npos);
  EXPECT_NE(errors[0].find("pelaryn.sco"), std::string::npos);
  EXPECT_EQ(t.s.Ranking[0].Name, "KEPT");
}

}  // namespace
}  // namespace pelaryn
