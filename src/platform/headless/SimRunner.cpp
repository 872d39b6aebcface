#include "platform/headless/SimRunner.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/Fingerprint.h"
#include "base/RegularFile.h"
#include "game/FairStart.h"
#include "game/Game.h"
#include "persist/DiskFileStore.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/script/Settings.h"
#include "platform/script/StateJson.h"
#include "render/Pictures.h"

namespace pelaryn {
namespace {

// A million-line key script is some 20 MB.
constexpr std::size_t MaxScriptSize = 64u << 20;

bool ParseNumber(std::string_view text, uint64_t& out) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

// "1,5,10-20": single frames and inclusive ranges, together at most MaxListedFrames frames, so
// that a list can neither run for ever nor fill the memory.
bool ParseFrameList(const std::string& text, std::set<uint64_t>& frames, std::string& why) {
  std::stringstream in(text);
  std::string item;
  uint64_t listed = 0;
  while (std::getline(in, item, ',')) {
    const auto dash = item.find('-');
    uint64_t first = 0, last = 0;
    if (dash == std::string::npos) {
      if (!ParseNumber(item, first)) return false;
      last = first;
    } else if (!ParseNumber(std::string_view(item).substr(0, dash), first) ||
               !ParseNumber(std::string_view(item).substr(dash + 1), last) || last < first) {
      return false;
    }
    // Counted before anything is inserted; last - first cannot wrap since last >= first.
    if (last - first >= MaxListedFrames - listed) {
      why = "lists more than " + std::to_string(MaxListedFrames) + " frames";
      return false;
    }
    listed += last - first + 1;
    // Stepping up to `last` inclusive would wrap at the largest number and never end.
    for (uint64_t f = first;; ++f) {
      frames.insert(f);
      if (f == last) break;
    }
  }
  return !frames.empty();
}

uint64_t PictureFingerprint(const Surface& field) {
  uint64_t hash = Fingerprint(nullptr, 0);
  for (int y = 0; y < field.Height(); ++y) {
    for (int x = 0; x < field.Width(); ++x) {
      const uint32_t p = field.Pixel(x, y) & 0xFFFFFFu;
      const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                    static_cast<unsigned char>(p >> 8),
                                    static_cast<unsigned char>(p)};
      hash = Fingerprint(rgb, sizeof rgb, hash);
    }
  }
  return hash;
}

bool WritePng(const std::string& path, const Surface& field) {
  std::vector<unsigned char> rgb;
  rgb.reserve(static_cast<std::size_t>(field.Width()) * field.Height() * 3);
  for (int y = 0; y < field.Height(); ++y) {
    for (int x = 0; x < field.Width(); ++x) {
      const uint32_t p = field.Pixel(x, y);
      rgb.push_back(static_cast<unsigned char>(p >> 16));
      rgb.push_back(static_cast<unsigned char>(p >> 8));
      rgb.push_back(static_cast<unsigned char>(p));
    }
  }
  return stbi_write_png(path.c_str(), field.Width(), field.Height(), 3, rgb.data(),
                        field.Width() * 3) != 0;
}

template <typename Script>
bool LoadScript(const std::string& path, std::optional<Script>& script, std::string& error) {
  std::string why;
  const std::optional<std::string> bytes = ReadRegularFile(path, MaxScriptSize, why);
  if (!bytes) {
    error = "cannot read " + path + ": " + why;
    return false;
  }
  std::istringstream in(*bytes);
  script = Script::Parse(in, why);
  if (!script) error = path + ": " + why;
  return script.has_value();
}

}  // namespace

std::optional<SimOptions> ParseSimArguments(const std::vector<std::string>& args,
                                            std::string& error) {
  SimOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--board") {
      options.Board = true;
      continue;
    }
    const bool hasValue = i + 1 < args.size();
    auto value = [&]() -> const std::string& { return args[++i]; };
    if (!hasValue) {
      error = "missing value after " + arg;
      return std::nullopt;
    }
    if (args[i + 1].empty()) {
      error = arg + " takes a value, not an empty one";
      return std::nullopt;
    }
    std::string why;
    if (arg == "--frames") {
      if (!ParseNumber(value(), options.Frames)) {
        error = "--frames takes a whole number";
        return std::nullopt;
      }
      options.FramesGiven = true;
    } else if (arg == "--record") {
      options.RecordFile = value();
    } else if (arg == "--replay") {
      options.ReplayFile = value();
    } else if (arg == "--title-frames") {
      if (!ParseNumber(value(), options.TitleFrames)) {
        error = "--title-frames takes a whole number";
        return std::nullopt;
      }
    } else if (arg == "--games") {
      if (!ParseNumber(value(), options.Games) || options.Games == 0) {
        error = "--games takes a positive whole number";
        return std::nullopt;
      }
    } else if (arg == "--png-title") {
      if (!ParseFrameList(value(), options.PngTitleFrames, why)) {
        error = why.empty() ? "--png-title takes a list like 1,10,100-120" : "--png-title " + why;
        return std::nullopt;
      }
    } else if (arg == "--dir") {
      options.Dir = value();
    } else if (arg == "--name") {
      options.Name = value();
    } else if (arg == "--keys") {
      options.KeysFile = value();
    } else if (arg == "--joy") {
      options.JoyFile = value();
    } else if (arg == "--set") {
      const std::string& pair = value();
      const auto eq = pair.find('=');
      if (eq == std::string::npos) {
        error = "--set takes NAME=VALUE";
        return std::nullopt;
      }
      options.Settings.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
    } else if (arg == "--dump") {
      options.DumpFile = value();
    } else if (arg == "--trace") {
      options.TraceFile = value();
    } else if (arg == "--png") {
      options.PngDir = value();
    } else if (arg == "--png-frames") {
      if (!ParseFrameList(value(), options.PngFrames, why)) {
        error = why.empty() ? "--png-frames takes a list like 1,10,100-120" : "--png-frames " + why;
        return std::nullopt;
      }
    } else if (arg == "--menu") {
      options.MenuFile = value();
    } else if (arg == "--hashes") {
      options.HashFile = value();
    } else if (arg == "--program-folder") {
      options.ProgramFolder = value();
    } else {
      error = "unknown option " + arg;
      return std::nullopt;
    }
  }
  if (!options.ReplayFile.empty()) {
    // A replay brings its own input, settings and start; anything that would change them
    // is refused rather than ignored.
    for (const char* refused : {"--keys", "--joy", "--menu", "--set", "--games", "--title-frames",
                                "--name", "--dir", "--record"}) {
      if (std::find(args.begin(), args.end(), refused) != args.end()) {
        error = std::string("--replay cannot be used with ") + refused;
        return std::nullopt;
      }
    }
    if (!options.FramesGiven) options.Frames = UINT64_MAX;
  } else if (options.Board) {
    error = "--board needs --replay";
    return std::nullopt;
  }
  if (!options.PngDir.empty() && options.PngFrames.empty() && options.PngTitleFrames.empty()) {
    error = "--png needs --png-frames or --png-title";
    return std::nullopt;
  }
  if (!options.PngFrames.empty() && options.PngDir.empty() && options.HashFile.empty()) {
    error = "--png-frames needs --png or --hashes";
    return std::nullopt;
  }
  if (!options.PngTitleFrames.empty() && options.PngDir.empty()) {
    error = "--png-title needs --png";
    return std::nullopt;
  }
  return options;
}

std::optional<Replay> ReadReplayFile(const std::string& path, std::string& error) {
  ReplayFault fault = ReplayFault::None;
  std::string why;
  std::optional<Replay> replay = LoadReplay(path, fault, why);
  if (!replay) {
    error = fault == ReplayFault::None ? "cannot read " + path + ": " + why
                                       : path + ": " + std::string(ReplayFaultName(fault));
  }
  return replay;
}

std::optional<SimResult> RunSim(const SimOptions& options, std::string& error,
                                std::shared_ptr<const Replay> replay) {
  if (replay && options.Board) {
    // Another version's start is another version's business: that refusal comes first.
    for (auto check : {CheckGameVersion, CheckFairStart, CheckGameOverEnding}) {
      if (ReplayVerdict verdict = check(*replay); !verdict.Verified()) {
        SimResult refused;
        refused.Verdict = std::move(verdict);
        return refused;
      }
    }
  }
  // Check every setting before anything runs, so that a typo is reported, not ignored.
  {
    GameState probe;
    for (const auto& [name, value] : options.Settings) {
      if (!ApplySetting(probe, name, value, error)) return std::nullopt;
    }
  }
  for (const auto& [name, folder] : {std::pair{"--png", &options.PngDir},
                                     {"--dir", &options.Dir},
                                     {"--program-folder", &options.ProgramFolder}}) {
    std::error_code ec;
    if (!folder->empty() && !std::filesystem::is_directory(*folder, ec)) {
      error = std::string(name) + ": " + *folder + " is not a folder";
      return std::nullopt;
    }
  }
  for (const std::string* output :
       {&options.DumpFile, &options.TraceFile, &options.HashFile, &options.RecordFile}) {
    std::string why;
    if (!output->empty() && !IsWritableOutput(*output, why)) {
      error = "cannot write " + *output + ": " + why;
      return std::nullopt;
    }
  }
  std::optional<KeyScript> keys;
  std::optional<JoyScript> joy;
  if (!options.KeysFile.empty() && !LoadScript(options.KeysFile, keys, error)) return std::nullopt;
  if (!options.JoyFile.empty() && !LoadScript(options.JoyFile, joy, error)) return std::nullopt;
  std::optional<MenuScript> menu;
  if (!options.MenuFile.empty() && !LoadScript(options.MenuFile, menu, error)) return std::nullopt;
  std::ofstream trace, hashes;
  for (auto [name, stream] :
       {std::pair{&options.TraceFile, &trace}, {&options.HashFile, &hashes}}) {
    if (name->empty()) continue;
    stream->open(*name, std::ios::binary);
    if (!*stream) {
      error = "cannot write " + *name;
      return std::nullopt;
    }
  }
  std::string pictureError;
  Pictures pictures;
  if (!LoadEmbeddedPictures(pictures)) {
    error = "the built-in pictures are broken";
    return std::nullopt;
  }

  HeadlessPlatform platform(options.ProgramFolder);
  if (!options.Dir.empty()) platform.SetFileStore(std::make_unique<DiskFileStore>(options.Dir));
  platform.RecordedDialogs().SetName(options.Name);
  Game game(platform, pictures);
  SimResult result;
  bool gameOver = false;  // of the game running now
  uint64_t gameOvers = 0;
  platform.SetFrameSource([&] { return game.CurrentFrame(); });
  if (keys) platform.SetKeys(std::move(*keys));
  if (joy) platform.SetJoystick(std::move(*joy));

  auto apply = [&](bool atGameStart) {
    std::string ignored;  // already checked above
    for (const auto& [name, value] : options.Settings) {
      if (IsGameStartValue(name) == atGameStart) ApplySetting(game.State(), name, value, ignored);
    }
  };
  // Settings reach later games through the saved files, as they would in the program.
  bool firstStartUp = true;
  game.OnSettingsLoaded = [&](GameState&) {
    if (firstStartUp) apply(false);
    firstStartUp = false;
  };
  game.OnGameStarted = [&](GameState&) {
    gameOver = false;
    apply(true);
  };
  game.OnTitleStart = [&] {
    // A playback shows the title once it is over: the run has what it came for.
    if (options.Frames == 0 || replay) return game.RequestStop();
    if (options.TitleFrames == 0) game.MenuCommand(MenuId::Start);
  };

  auto snapshot = [&] {
    DumpExtras extras;
    extras.Frame = game.CurrentFrame();
    extras.RandomDraws = game.RandomSource().Draws();
    extras.GameOver = gameOver;
    extras.SoundRequests = &platform.RecordedSound().Requests();
    extras.Dialogs = &platform.RecordedDialogs().Shown();
    return StateToJson(game.State(), extras);
  };
  uint64_t totalFrames = 0;  // over every game of the run
  auto endOfFrame = [&] {
    result.Frames = ++totalFrames;
    if (trace.is_open()) trace << snapshot() << '\n';
    if (hashes.is_open() && options.HashEvery > 0 && result.Frames % options.HashEvery == 0) {
      const std::string json = snapshot();
      hashes << "state " << result.Frames << ' '
             << FingerprintHex(Fingerprint(json.data(), json.size())) << '\n';
    }
  };
  // Menu commands of the current frame not yet run, and yields still to let pass.
  std::deque<MenuScript::Step> pending;
  uint64_t waitLeft = 0;
  auto runPending = [&] {
    while (!pending.empty()) {
      if (waitLeft > 0) {
        --waitLeft;
        return;
      }
      const MenuScript::Step step = pending.front();
      pending.pop_front();
      if (step.Command == "Wait") {
        waitLeft = step.Count;
        continue;
      }
      const MenuId id = *MenuCommandByName(step.Command);
      game.MenuCommand(id);
      if (game.PendingRequest() != Game::Request::None) {
        pending.clear();  // the rest of the line belonged to the game that just ended
        waitLeft = 0;
      }
    }
  };
  platform.OnYield = [&] {
    if (game.InTitle()) {
      if (game.TitleFrame() == options.TitleFrames) game.MenuCommand(MenuId::Start);
      return;
    }
    endOfFrame();
    if (menu) {
      for (const MenuScript::Step& step : menu->At(game.CurrentFrame())) pending.push_back(step);
      runPending();
    }
    if (totalFrames >= options.Frames) game.RequestExit();
  };
  platform.OnWait = [&] {
    // Nothing but the script can end a pause: once it has nothing left, the run ends.
    if (pending.empty()) return game.RequestExit();
    runPending();
  };
  platform.OnPresent = [&](const Surface& field) {
    if (game.InTitle()) {
      const uint64_t frame = game.TitleFrame();
      if (!options.PngTitleFrames.contains(frame)) return;
      const std::string path = options.PngDir + "/title-" + std::to_string(frame) + ".png";
      if (!WritePng(path, field) && pictureError.empty()) pictureError = "cannot write " + path;
      return;
    }
    const uint64_t frame = game.CurrentFrame();
    if (!options.PngFrames.contains(frame)) return;
    if (hashes.is_open())
      hashes << "picture " << frame << ' ' << FingerprintHex(PictureFingerprint(field)) << '\n';
    const std::string path = options.PngDir + "/frame-" + std::to_string(frame) + ".png";
    if (!options.PngDir.empty() && !WritePng(path, field) && pictureError.empty()) {
      pictureError = "cannot write " + path;
    }
  };
  // The frame that ends in game over has no yield; it is counted here.
  game.OnGameOver = [&] {
    result.GameOver = gameOver = true;
    endOfFrame();
    if (++gameOvers < options.Games) {
      if (totalFrames >= options.Frames) game.RequestExit();
      return;
    }
    result.FinalJson = snapshot();
    game.RequestStop();
  };

  // The first game's replay, written when that game ends.
  std::string recordError;
  bool recorded = false;
  if (!options.RecordFile.empty()) {
    game.WallClock = [] {
      // A reproducible build's date makes the file the same on every run.
      const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
      return epoch ? std::strtoll(epoch, nullptr, 10) : SystemSeconds();
    };
    game.OnReplayRecorded = [&](const Replay& finished) {
      if (recorded) return;
      recorded = true;
      std::ofstream out(options.RecordFile, std::ios::binary);
      out << EncodeReplay(finished);
      out.close();
      if (!out) recordError = "cannot write " + options.RecordFile;
    };
  }
  if (replay) {
    game.SetPlaybackHold(0);
    result.Verdict = VerdictAt(ReplayCheck::Unfinished);
    game.OnPlaybackEnded = [&](const ReplayVerdict& verdict) {
      result.Verdict = verdict;
      if (verdict.Refused()) result.DiffersAt = verdict.Frame;
      result.ReplayScore = game.State().Score;
      if (result.FinalJson.empty()) result.FinalJson = snapshot();
    };
    game.PlayReplay(replay);
  }

  const auto start = std::chrono::steady_clock::now();
  game.Run();
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  result.FramesPerSecond =
      seconds.count() > 0 ? static_cast<double>(result.Frames) / seconds.count() : 0;
  if (result.FinalJson.empty()) result.FinalJson = snapshot();
  if (hashes.is_open()) {
    hashes << "final " << result.Frames << ' '
           << FingerprintHex(Fingerprint(result.FinalJson.data(), result.FinalJson.size())) << '\n';
  }
  // Closing writes what is still buffered, so only a closed stream can say it was all written.
  for (auto [name, stream] :
       {std::pair{&options.TraceFile, &trace}, {&options.HashFile, &hashes}}) {
    if (!stream->is_open()) continue;
    stream->close();
    if (!*stream) {
      error = "cannot write " + *name;
      return std::nullopt;
    }
  }
  if (!pictureError.empty()) {
    error = pictureError;
    return std::nullopt;
  }
  if (!recordError.empty() || (!options.RecordFile.empty() && !recorded)) {
    error = recordError.empty() ? "no game was played to record" : recordError;
    return std::nullopt;
  }

  if (!options.DumpFile.empty()) {
    std::ofstream dump(options.DumpFile, std::ios::binary);
    dump << result.FinalJson << '\n';
    dump.close();
    if (!dump) {
      error = "cannot write " + options.DumpFile;
      return std::nullopt;
    }
  }
  return result;
}

}  // namespace pelaryn
