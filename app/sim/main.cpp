// pelaryn-sim: the game without a window, as fast as the machine allows.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless/SimRunner.h"

namespace {

constexpr const char* Usage =
    "usage: pelaryn-sim [--frames N] [--keys FILE] [--joy FILE] [--menu FILE]\n"
    "                   [--set NAME=VALUE]...\n"
    "                   [--dump FILE] [--trace FILE] [--png DIR --png-frames LIST]\n"
    "                   [--hashes FILE] [--program-folder DIR]\n";

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
  const auto result = pelaryn::RunSim(*options, error);
  if (!result) {
    std::fprintf(stderr, "pelaryn-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("frames run %llu%s, %.0f frames per second\n",
              static_cast<unsigned long long>(result->Frames),
              result->GameOver ? " (game over)" : "", result->FramesPerSecond);
  return 0;
}
