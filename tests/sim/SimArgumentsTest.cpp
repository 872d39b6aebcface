// Hostile command lines and scripts: bounded lists, refused files, writes that must succeed, and
// script lookups that agree with the plain reading of the script.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "../ScratchPath.h"
#include "platform/headless/SimRunner.h"
#include "platform/script/Scripts.h"

namespace pelaryn {
namespace {

namespace fs = std::filesystem;

struct ScratchFolder {
  fs::path path;
  explicit ScratchFolder(const std::string& name) : path(testing::ScratchPath("simargs-" + name)) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~ScratchFolder() { fs::remove_all(path); }
  std::string File(const std::string& name, const std::string& text) const {
    std::ofstream(path / name) << text;
    return (path / name).string();
  }
};

std::string ParseError(const std::vector<std::string>& args) {
  std::string error;
  EXPECT_FALSE(ParseSimArguments(args, error)) << args[0];
  return error;
}

std::string RunError(SimOptions options) {
  options.ProgramFolder = PELARYN_RUNTIME_DIR;
  options.Frames = 5;
  std::string error;
  EXPECT_FALSE(RunSim(options, error));
  return error;
}

}  // namespace

TEST(SimArguments, FrameListsAreBoundedAndTheLargestFrameDoesNotWrap) {
  std::string error;
  const auto largest =
      ParseSimArguments({"--png", ".", "--png-frames", "18446744073709551615"}, error);
  ASSERT_TRUE(largest) << error;
  EXPECT_EQ(largest->PngFrames, (std::set<uint64_t>{UINT64_MAX}));
  const auto top = ParseSimArguments(
      {"--png", ".", "--png-frames", "18446744073709551614-18446744073709551615"}, error);
  ASSERT_TRUE(top) << error;
  EXPECT_EQ(top->PngFrames, (std::set<uint64_t>{UINT64_MAX - 1, UINT64_MAX}));

  const auto full = ParseSimArguments({"--png", ".", "--png-frames", "1-100000"}, error);
  ASSERT_TRUE(full) << error;
  EXPECT_EQ(full->PngFrames.size(), MaxListedFrames);
  EXPECT_NE(ParseError({"--png-frames", "1-100001", "--png", "."}).find("more than 100000"),
            std::string::npos);
  // The bound holds for the whole list, not for each range.
  ParseError({"--png-frames", "1-60000,70001-110001", "--png", "."});
  ParseError({"--png-title", "5,1-100000", "--png", "."});
  ParseError({"--png-frames", "0-18446744073709551615", "--png", "."});
  std::string manyRanges;
  for (int i = 0; i < 300; ++i)
    manyRanges += std::to_string(i * 200000 + 1) + "-" + std::to_string(i * 200000 + 99999) + ",";
  ParseError({"--png-frames", manyRanges, "--png", "."});
  ParseError({"--png-frames", "18446744073709551616", "--png", "."});
  ParseError({"--png-frames", "1,,2", "--png", "."});
  ParseError({"--png-frames", "3-", "--png", "."});
}

TEST(SimArguments, EveryValueMustBeNonEmpty) {
  for (const char* option : {"--frames", "--title-frames", "--games", "--png-title", "--dir",
                             "--name", "--keys", "--joy", "--set", "--dump", "--trace", "--png",
                             "--png-frames", "--menu", "--hashes", "--program-folder"}) {
    EXPECT_NE(ParseError({option, ""}).find(option), std::string::npos) << option;
  }
}

TEST(SimArguments, InputsMustBeRegularFilesAndOutputsCreatable) {
  ScratchFolder scratch("files");
  const std::string keys = scratch.File("keys", "1 5 Left\n");
  const std::string fifo = (scratch.path / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = scratch.path.string();
  const std::string missingFolder = (scratch.path / "none" / "out").string();

  for (const std::string& bad : {folder, fifo, std::string("/dev/zero"), missingFolder}) {
    SimOptions options;
    options.KeysFile = bad;
    EXPECT_NE(RunError(options).find(bad), std::string::npos);
    options.KeysFile.clear();
    options.JoyFile = bad;
    EXPECT_NE(RunError(options).find("cannot read"), std::string::npos);
    options.JoyFile.clear();
    options.MenuFile = bad;
    EXPECT_NE(RunError(options).find("cannot read"), std::string::npos);
  }
  for (const std::string& bad : {folder, fifo, std::string("/dev/full"), missingFolder}) {
    for (std::string SimOptions::*output :
         {&SimOptions::DumpFile, &SimOptions::TraceFile, &SimOptions::HashFile}) {
      SimOptions options;
      options.*output = bad;
      EXPECT_NE(RunError(options).find("cannot write " + bad), std::string::npos);
    }
  }
  for (std::string SimOptions::*where :
       {&SimOptions::PngDir, &SimOptions::Dir, &SimOptions::ProgramFolder}) {
    for (const std::string& bad : {keys, std::string("/nonexistent")}) {
      SimOptions options;
      options.PngFrames = {1};
      std::string error;
      options.*where = bad;
      if (where != &SimOptions::ProgramFolder) options.ProgramFolder = PELARYN_RUNTIME_DIR;
      EXPECT_FALSE(RunSim(options, error));
      EXPECT_NE(error.find("is not a folder"), std::string::npos) << error;
    }
  }

  // The same files, usable, run: a new output in an existing folder and a regular script.
  SimOptions good;
  good.ProgramFolder = PELARYN_RUNTIME_DIR;
  good.Frames = 5;
  good.KeysFile = keys;
  good.TraceFile = (scratch.path / "trace.jsonl").string();
  good.DumpFile = (scratch.path / "dump.json").string();
  std::string error;
  ASSERT_TRUE(RunSim(good, error)) << error;
  EXPECT_GT(fs::file_size(good.TraceFile), 0u);
  EXPECT_GT(fs::file_size(good.DumpFile), 0u);
}

// An output that fills up at its very end (here a file size limit one byte short, as a full disk
// would) fails the run instead of leaving a cut file behind a report of success.
TEST(SimArguments, AWriteThatFailsIsAnError) {
  ScratchFolder scratch("full");
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  for (std::string SimOptions::*output :
       {&SimOptions::DumpFile, &SimOptions::TraceFile, &SimOptions::HashFile}) {
    SimOptions options;
    options.ProgramFolder = PELARYN_RUNTIME_DIR;
    options.Frames = 30;
    options.HashEvery = 1;
    options.*output = (scratch.path / "out").string();
    std::string error;
    ASSERT_TRUE(RunSim(options, error)) << error;
    const auto whole = fs::file_size(options.*output);
    fs::remove(options.*output);
    rlimit small = saved;
    small.rlim_cur = whole - 1;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ran = RunSim(options, error).has_value();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(ran);
    EXPECT_NE(error.find("cannot write " + options.*output), std::string::npos) << error;
  }
  std::signal(SIGXFSZ, oldHandler);
}

// The plain reading of a script: a key is down while any of its lines holds it; the joystick
// reads as the first line that holds the frame.
TEST(SimArguments, ScriptLookupsAgreeWithTheScriptLineByLine) {
  std::mt19937_64 random(7);
  const int keyCodes[] = {vk::Left, vk::Right, vk::Z, vk::Numpad8};
  const char* keyNames[] = {"Left", "Right", "Z", "Numpad8"};
  struct Line {
    uint64_t first, last;
    int key;
    JoyInfo info;
  };
  std::vector<Line> lines;
  std::ostringstream keyText, joyText;
  for (int i = 0; i < 300; ++i) {
    const uint64_t first = 1 + random() % 2000;
    const uint64_t last = first + random() % 60;
    const int k = static_cast<int>(random() % 4);
    JoyInfo info;
    info.XPos = static_cast<uint32_t>(i);
    info.YPos = static_cast<uint32_t>(random() % 65536);
    info.Buttons = static_cast<uint32_t>(random() % 16);
    lines.push_back({first, last, keyCodes[k], info});
    keyText << first << ' ' << last << ' ' << keyNames[k] << '\n';
    joyText << first << ' ' << last << ' ' << info.XPos << ' ' << info.YPos << ' ' << info.Buttons
            << '\n';
  }
  // Lines that reach the last frame there is.
  keyText << "3000 18446744073709551615 Z\n";
  joyText << "3000 18446744073709551615 1 2 3\n";
  lines.push_back({3000, UINT64_MAX, vk::Z, JoyInfo{1, 2, 0, 3}});

  std::istringstream keyIn(keyText.str()), joyIn(joyText.str());
  std::string error;
  const auto keys = KeyScript::Parse(keyIn, error);
  const auto joy = JoyScript::Parse(joyIn, error);
  ASSERT_TRUE(keys && joy) << error;

  auto check = [&](uint64_t frame) {
    for (const int key : keyCodes) {
      bool expected = false;
      for (const Line& l : lines) expected |= l.key == key && l.first <= frame && frame <= l.last;
      ASSERT_EQ(keys->Down(frame, key), expected) << "frame " << frame << " key " << key;
    }
    std::optional<JoyInfo> expected;
    for (const Line& l : lines) {
      if (l.first <= frame && frame <= l.last) {
        expected = l.info;
        break;
      }
    }
    const std::optional<JoyInfo> got = joy->At(frame);
    ASSERT_EQ(got.has_value(), expected.has_value()) << "frame " << frame;
    if (got) {
      EXPECT_EQ(got->XPos, expected->XPos) << "frame " << frame;
      EXPECT_EQ(got->Buttons, expected->Buttons) << "frame " << frame;
    }
  };
  // In order, as a game asks, then backwards and at random, as a new game or a test may.
  for (uint64_t frame = 0; frame <= 3100; ++frame) check(frame);
  for (uint64_t frame = 3101; frame > 7; frame -= 7) check(frame - 7);
  for (int i = 0; i < 2000; ++i) check(random() % 3100);
  check(UINT64_MAX);
  check(UINT64_MAX - 1);

  // Keys held through Hold, as the tests build them, count the same way.
  KeyScript held;
  held.Hold(5, 10, vk::X);
  held.Hold(8, 12, vk::X);
  held.Hold(1, 1, 12345);  // no script can name it
  EXPECT_FALSE(held.Down(4, vk::X));
  EXPECT_TRUE(held.Down(5, vk::X));
  EXPECT_TRUE(held.Down(12, vk::X));
  EXPECT_FALSE(held.Down(13, vk::X));
  EXPECT_FALSE(held.Down(1, 12345));
}

}  // namespace pelaryn

namespace pelaryn {
namespace {

// A replay brings its own input, settings and start: what would change them is refused, and it
// plays to its end unless --frames cuts it short.
TEST(SimArguments, ReplayRefusesWhatWouldChangeTheRecordedGame) {
  for (const char* option : {"--keys", "--joy", "--menu", "--set", "--games", "--title-frames",
                             "--name", "--dir", "--record"}) {
    EXPECT_NE(ParseError({"--replay", "a.pelrpy", option, "x"}).find(option), std::string::npos);
  }
  std::string error;
  const auto whole = ParseSimArguments({"--replay", "a.pelrpy", "--dump", "d.json"}, error);
  ASSERT_TRUE(whole) << error;
  EXPECT_EQ(whole->Frames, UINT64_MAX);
  const auto cut = ParseSimArguments({"--frames", "50", "--replay", "a.pelrpy"}, error);
  ASSERT_TRUE(cut) << error;
  EXPECT_EQ(cut->Frames, 50u);
}

// --board checks a recorded game as a score board would before playing it: a game the runner
// recorded from the title plays; one whose start --set changed is refused unplayed.
TEST(SimArguments, BoardRefusesAStartTheTitleCannotMake) {
  EXPECT_NE(ParseError({"--board", "--frames", "5"}).find("--board needs --replay"),
            std::string::npos);
  const ScratchFolder folder("board");
  struct Case {
    const char* Set;
    const char* Said;  // the verdict as the runner prints it
  };
  for (const Case& c :
       {Case{"SoundEffectsOn=false", "verified"},
        Case{"Life=30000", "refused: the start's Life is 30000, a start holds 10"}}) {
    SCOPED_TRACE(c.Set);
    const std::string file = (folder.path / "run.pelrpy").string();
    std::string error;
    auto record = ParseSimArguments({"--frames", "1000", "--set", c.Set, "--record", file}, error);
    ASSERT_TRUE(record && RunSim(*record, error)) << error;
    const auto check = ParseSimArguments({"--replay", file, "--board"}, error);
    ASSERT_TRUE(check && check->Board) << error;
    auto replay = ReadReplayFile(file, error);
    ASSERT_TRUE(replay) << error;
    const auto result = RunSim(*check, error, std::make_shared<const Replay>(std::move(*replay)));
    ASSERT_TRUE(result) << error;
    EXPECT_EQ(DescribeVerdict(result->Verdict), c.Said);
    EXPECT_EQ(result->Frames > 0, result->Verdict.Verified());
  }
}

}  // namespace
}  // namespace pelaryn
