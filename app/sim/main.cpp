// pelaryn-sim: the game without a window, as fast as the machine allows.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/SimRunner.h"

namespace {

constexpr const char* Usage =
    "usage: pelaryn-sim [--frames N] [--title-frames N] [--games N] [--name TEXT] [--dir DIR]\n"
    "                   [--keys FILE] [--joy FILE] [--menu FILE] [--set NAME=VALUE]...\n"
    "                   [--dump FILE] [--trace FILE] [--png DIR --png-frames LIST]\n"
    "                   [--png-title LIST] [--hashes FILE] [--program-folder DIR]\n"
    "                   [--record FILE]\n"
    "       pelaryn-sim --replay FILE [--board] [--frames N] [--dump FILE] [--trace FILE]\n"
    "                   [--png DIR --png-frames LIST] [--hashes FILE] [--program-folder DIR]\n"
    "  --board  before playing, refuse a replay a score board would not rank: a start the\n"
    "           title cannot make, or an ending that is not a game over\n";

std::string ExecutableFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(Usage, stdout);
    return 0;
  }
  std::string error;
  auto options = pelaryn::ParseSimArguments(args, error);
  if (!options) {
    std::fprintf(stderr, "pelaryn-sim: %s\n%s", error.c_str(), Usage);
    return 2;
  }
  if (options->ProgramFolder.empty()) options->ProgramFolder = ExecutableFolder();
  std::shared_ptr<const pelaryn::Replay> replay;
  if (!options->ReplayFile.empty()) {
    auto read = pelaryn::ReadReplayFile(options->ReplayFile, error);
    if (!read) {
      std::fprintf(stderr, "pelaryn-sim: %s\n", error.c_str());
      return 2;
    }
    replay = std::make_shared<const pelaryn::Replay>(std::move(*read));
  }
  const auto result = pelaryn::RunSim(*options, error, replay);
  if (!result) {
    std::fprintf(stderr, "pelaryn-sim: %s\n", error.c_str());
    return 1;
  }
  if (replay) {
    const pelaryn::ReplayVerdict& verdict = result->Verdict;
    if (verdict.Verified()) {
      std::printf("replay verified: %llu frames, score %d\n",
                  static_cast<unsigned long long>(result->Frames), result->ReplayScore);
      return 0;
    }
    std::printf("replay %s\n", pelaryn::DescribeVerdict(verdict).c_str());
    return verdict.Refused() ? 1 : 0;
  }
  std::printf("frames run %llu%s, %.0f frames per second\n",
              static_cast<unsigned long long>(result->Frames),
              result->GameOver ? " (game over)" : "", result->FramesPerSecond);
  return 0;
}
