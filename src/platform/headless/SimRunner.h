#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace pelaryn {

struct SimOptions {
  uint64_t Frames = 1000;
  std::string KeysFile;
  std::string JoyFile;
  std::string MenuFile;
  std::vector<std::pair<std::string, std::string>> Settings;  // NAME, VALUE in order given
  std::string DumpFile;
  std::string TraceFile;
  std::string PngDir;
  std::set<uint64_t> PngFrames;
  // Fingerprints of the run: the whole state every HashEvery frames and at the end, and the
  // picture of every frame in PngFrames.
  std::string HashFile;
  uint64_t HashEvery = 100;
  std::string ProgramFolder;  // where back.bmp and sound/ are looked for
};

struct SimResult {
  uint64_t Frames = 0;
  bool GameOver = false;
  double FramesPerSecond = 0;
  std::string FinalJson;
};

// Parses the runner's command line; nothing, with the reason in `error`, when it is wrong.
std::optional<SimOptions> ParseSimArguments(const std::vector<std::string>& args,
                                            std::string& error);

// Plays one game headless as fast as the machine allows: the real core, scripted input, a
// virtual clock. Nothing, with the reason in `error`, when an input file cannot be used.
std::optional<SimResult> RunSim(const SimOptions& options, std::string& error);

}  // namespace pelaryn
