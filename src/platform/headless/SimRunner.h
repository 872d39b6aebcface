#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "replay/ReplayFile.h"
#include "replay/ReplayVerdict.h"

namespace pelaryn {

// The most frames --png-frames or --png-title may list, ranges counted frame by frame.
inline constexpr uint64_t MaxListedFrames = 100000;

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
  // Title frames drawn before Start is chosen; 0 chooses it before the title draws anything.
  uint64_t TitleFrames = 0;
  std::set<uint64_t> PngTitleFrames;
  // Where the settings and ranking files are read and saved; empty keeps them in memory.
  std::string Dir;
  // Typed into every name entry; none cancels it.
  std::optional<std::string> Name;
  // Game overs that end the run.
  uint64_t Games = 1;
  // Where the replay of the run's first game is written when it ends.
  std::string RecordFile;
  // A replay to play and check instead of a game; its frames are not limited unless --frames
  // says so.
  std::string ReplayFile;
  bool FramesGiven = false;
  // With --replay, first checks the replay as a score board does: a start the title makes and
  // a game over at its end; one that fails is refused without being played.
  bool Board = false;
};

struct SimResult {
  uint64_t Frames = 0;
  bool GameOver = false;
  // Of --replay: what the playback found; the frame it stopped being verified at, if it did; and
  // the score at the end.
  ReplayVerdict Verdict;
  std::optional<uint32_t> DiffersAt;
  int32_t ReplayScore = 0;
  double FramesPerSecond = 0;
  std::string FinalJson;
};

// Parses the runner's command line; nothing, with the reason in `error`, when it is wrong. Every
// value must be non-empty.
std::optional<SimOptions> ParseSimArguments(const std::vector<std::string>& args,
                                            std::string& error);

// The replay in a file; none, with the reason in `error`, when the file cannot be read or
// holds no replay that can be played.
std::optional<Replay> ReadReplayFile(const std::string& path, std::string& error);

// Plays one game headless as fast as the machine allows: the real core, scripted input, a
// virtual clock. Nothing, with the reason in `error`, when an input file is not a readable
// regular file, a folder is not one, an output cannot be created or was not wholly written.
// With --replay, `replay` is the replay read from its file; with --board, a replay that fails
// the board's checks is not played, and the verdict says why (Frames 0).
std::optional<SimResult> RunSim(const SimOptions& options, std::string& error,
                                std::shared_ptr<const Replay> replay = nullptr);

}  // namespace pelaryn
