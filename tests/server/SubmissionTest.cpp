// A board's verification of what it is sent: games recorded by pelaryn-sim, some of them changed
// afterwards, each answered with the check that decides it; a run accepted carries the figures
// of the board's own playback. And the names and board names a board keeps.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "../ScratchPath.h"
#include "server/verify/BoardRules.h"
#include "server/verify/Submission.h"

namespace pelaryn {
namespace {

using testing::ScratchFolder;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// What pelaryn-sim prints for `args`.
std::string Sim(const std::string& args) {
  const char* sim = std::getenv("PELARYN_SIM");
  EXPECT_NE(sim, nullptr) << "PELARYN_SIM names the pelaryn-sim to run";
  std::FILE* out = ::popen((Quote(sim ? sim : "pelaryn-sim") + " " + args + " 2>&1").c_str(), "r");
  std::string said;
  for (int c; out && (c = std::fgetc(out)) != EOF;) said += static_cast<char>(c);
  if (out) ::pclose(out);
  return said;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

Replay Decoded(const std::string& bytes) {
  ReplayFault fault = ReplayFault::None;
  std::optional<Replay> replay = DecodeReplay(bytes, fault);
  EXPECT_TRUE(replay) << ReplayFaultName(fault);
  return replay.value_or(Replay{});
}

std::string Changed(const std::string& bytes, const std::function<void(Replay&)>& change) {
  Replay replay = Decoded(bytes);
  change(replay);
  return EncodeReplay(replay);
}

// The replay with its events changed by `edit`, every settings event written with the settings
// `edit` leaves.
using EventEdit = std::function<void(Replay&, std::vector<ReplayEvent>&, GameState&)>;
std::string WithEvents(const std::string& bytes, const EventEdit& edit) {
  return Changed(bytes, [&](Replay& r) {
    std::vector<ReplayEvent> events;
    ReplayEventReader reader(r.Input);
    for (ReplayEvent event; reader.Next(event);) events.push_back(event);
    GameState settings = r.Start;
    edit(r, events, settings);
    std::vector<uint8_t> input;
    uint32_t last = 0;
    for (const ReplayEvent& event : events) AppendEvent(input, last, event, &settings);
    r.Input = std::move(input);
  });
}

TEST(Submission, EachReplayIsAnsweredByTheCheckThatDecidesIt) {
  const ScratchFolder folder("submission");
  const std::string keys = folder.File("fire.keys");
  std::ofstream(keys) << "1 20000 Z\n1 60 Left\n61 180 Right\n";
  // A game of the keys above, which the ship loses within a thousand frames.
  auto record = [&](const std::string& file, const std::string& args) {
    const std::string path = folder.File(file);
    const std::string said = Sim("--keys " + Quote(keys) + " --record " + Quote(path) + " " + args);
    EXPECT_NE(said.find("frames run"), std::string::npos) << file << ": " << said;
    return path;
  };
  const std::string plain = record("plain.pelrpy", "--frames 3000");
  const std::string named = record("named.pelrpy", "--frames 3000 --name '  ヴェル\u3000'");
  const std::string start5 = record("start5.pelrpy", "--frames 3000 --set InitialDifficulty=5");
  const std::string life = record("life.pelrpy", "--frames 300 --set Life=30000");
  const std::string level = record("level.pelrpy", "--frames 3000 --set Level=40");
  const std::string phase = record("phase.pelrpy", "--frames 3000 --set PhaseFrames=1290");
  const std::string exited = record("exit.pelrpy", "--frames 300");
  const std::string tab = record("tab.pelrpy", "--frames 3000 --name " + Quote("A\tB"));
  const std::string bytes = Bytes(plain);
  ASSERT_EQ(Decoded(bytes).Result.Ending, ReplayEnding::GameOver);

  std::string noise(2u << 20, '\0');
  std::mt19937 random(34);
  for (char& c : noise) c = static_cast<char>(random());
  std::string flipped = bytes;
  flipped[bytes.size() / 2] ^= 0x10;

  using enum SubmissionOutcome;
  using enum SubmissionCheck;
  struct Case {
    const char* What;
    std::string Body;
    SubmissionOutcome Outcome;
    SubmissionCheck Decided;
    std::string File = {};  // the replay pelaryn-sim plays through to its end
    const char* Board = "";
    const char* Named = "";
    std::optional<std::string_view> Sent = std::nullopt;
  };
  const Case cases[] = {
      {"default", bytes, Accepted, Verified, plain, "standard", "\u2014"},
      {"a name sent", bytes, Accepted, Verified, plain, "standard", "KEVA", " KEVA "},
      {"a name typed", Bytes(named), Accepted, Verified, named, "standard", "ヴェル", "KEVA"},
      {"the picture kept elsewhere",
       Changed(bytes, [](Replay& r) { r.BackgroundPath = "/elsewhere/back.bmp"; }), Accepted,
       Verified, plain, "standard", "\u2014"},
      {"start 5", Bytes(start5), Accepted, Verified, start5, "start-5-skip-0", "\u2014"},
      {"Life", Bytes(life), Refused, Start, life},
      {"Level", Bytes(level), Refused, Start, level},
      {"PhaseFrames", Bytes(phase), Refused, Start, phase},
      {"an enemy at the start", Changed(bytes, [](Replay& r) { r.Start.Enemies[3].W += 1; }),
       Refused, Start},
      {"a forged score", Changed(bytes, [](Replay& r) { r.Result.Score += 1000; }), Refused,
       Claims},
      {"an exit", Bytes(exited), Refused, Ending},
      {"a flipped bit", flipped, Malformed, Format},
      {"a cut file", bytes.substr(0, bytes.size() - 9), Malformed, Format},
      {"nothing", "", Malformed, Format},
      {"noise", noise, Malformed, Format},
      {"another version", Changed(bytes, [](Replay& r) { r.GameVersion = "0.1"; }), Refused,
       Version},
      {"another format", Changed(bytes, [](Replay& r) { r.FormatVersion = 2; }), Refused, Format},
      {"too long",
       WithEvents(bytes,
                  [](Replay& r, auto& list, auto&) {
                    r.Result.Frames = list.back().Frame = MaxBoardFrames + 1;
                    r.Checkpoints.resize(r.Result.Frames / CheckpointEvery + 1);
                  }),
       Refused, Length},
      {"the skip changed",
       WithEvents(bytes,
                  [](Replay& r, auto& list, auto& s) {
                    s.DifficultySkip = 2;
                    ReplayEvent window;
                    window.Frame = 200, window.Type = ReplayEventType::WindowSettings;
                    window.PictureWidth = r.BackgroundWidth;
                    window.PictureHeight = r.BackgroundHeight;
                    list.insert(std::find_if(list.begin(), list.end(),
                                             [](const ReplayEvent& e) { return e.Frame >= 200; }),
                                window);
                  }),
       Refused, Difficulty},
      {"a key changed",
       WithEvents(bytes,
                  [](Replay&, auto& list, auto&) {
                    for (ReplayEvent& e : list) {
                      if (e.Type == ReplayEventType::Keys && e.Frame > 150) e.Keys ^= 0x4;  // Up
                    }
                  }),
       Refused, Play},
      {"a control character typed", Bytes(tab), Refused, Name, {}, "", "", "KEVA"},
  };
  std::string identity;  // of the default game's start and input
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const SubmissionVerdict verdict = VerifySubmission(c.Body, c.Sent);
    EXPECT_EQ(verdict.Outcome, c.Outcome) << verdict.Reason;
    EXPECT_EQ(SubmissionCheckName(verdict.Check), SubmissionCheckName(c.Decided)) << verdict.Reason;
    const NewRun& run = verdict.Run;
    if (c.Outcome != Accepted) {
      // A refused run is stored with no figures at all, neither the head's nor the playback's.
      EXPECT_TRUE(run.Board.empty() && run.Name.empty() && run.StartInputKey.empty());
      EXPECT_EQ(run.Score, 0);
      if (c.Decided == Play) {
        EXPECT_GT(verdict.Frame, 0u);
      }
      // The start alone is refused: the game itself plays it to its end, every checkpoint held.
      if (!c.File.empty()) {
        EXPECT_EQ(Sim("--replay " + Quote(c.File)).rfind("replay verified", 0), 0u);
      }
      continue;
    }
    unsigned long frames = 0;
    int score = -1;
    const std::string said = Sim("--replay " + Quote(c.File));
    ASSERT_EQ(std::sscanf(said.c_str(), "replay verified: %lu frames, score %d", &frames, &score),
              2)
        << said;
    const Replay replay = Decoded(c.Body);
    EXPECT_EQ(run.Board, c.Board);
    EXPECT_EQ(run.Name, c.Named);
    EXPECT_EQ(run.Score, score);
    EXPECT_EQ(run.Frames, static_cast<int64_t>(frames));
    EXPECT_EQ(run.Combo, replay.Result.MaxCombo);
    EXPECT_EQ(run.Ratio, replay.Result.ShotRatio);
    EXPECT_EQ(run.Level, replay.Result.Level);
    EXPECT_EQ(run.PlayedAt, replay.PlayedAt);
    EXPECT_NE(run.Fingerprint, 0u);
    EXPECT_FALSE(run.StartInputKey.empty());
    // The same keys from the same start are one run, whatever name was typed and wherever its
    // picture was; another start is another run.
    if (identity.empty()) identity = run.StartInputKey;
    EXPECT_EQ(run.StartInputKey == identity, c.File != start5);
  }
  const Replay started = Decoded(Bytes(start5));
  // Figures that a run left at zero would not match.
  EXPECT_GT(started.Result.Score, 0);
  EXPECT_GT(started.Result.Level, 0);
}

TEST(BoardRules, NamesAndBoardsAreKeptOnlyAsABoardShowsThem) {
  // Sixteen of a character and one more, then the same cut at sixteen.
  auto seventeen = [](std::string_view c) {
    std::string text;
    for (int i = 0; i < 17; ++i) text += c;
    return std::pair{text, text.substr(0, text.size() - c.size())};
  };
  const auto [ascii, asciiCut] = seventeen("A");
  const auto [kana, kanaCut] = seventeen("あ");
  const auto [emoji, emojiCut] = seventeen("😀");
  struct NameCase {
    std::string Typed;
    std::optional<std::string_view> Sent;
    std::optional<std::string> Kept;  // none: refused
  };
  const NameCase names[] = {
      {"  PELA  ", std::nullopt, "PELA"},
      {"\u3000ヴェル\u3000", std::nullopt, "ヴェル"},
      {asciiCut, std::nullopt, asciiCut},
      {ascii, std::nullopt, asciiCut},
      {kana, std::nullopt, kanaCut},
      {emoji, std::nullopt, emojiCut},
      // Blanks before the name do not count; one left at the cut goes.
      {"  ABCDEFGHIJKLMNO P", std::nullopt, "ABCDEFGHIJKLMNO"},
      {"<script>\"'</script>", std::nullopt, "<script>\"'</scri"},
      {"\xff", std::nullopt, std::nullopt},
      {"\xc0\xaf", std::nullopt, std::nullopt},          // an overlong "/"
      {"\xed\xa0\x80", std::nullopt, std::nullopt},      // a surrogate
      {"\xf4\x90\x80\x80", std::nullopt, std::nullopt},  // past the last character
      {"A\xe3\x81", std::nullopt, std::nullopt},         // cut in a character
      {"A\tB", std::nullopt, std::nullopt},
      {"A\x7f", std::nullopt, std::nullopt},
      {"A\u0085", std::nullopt, std::nullopt},
      {"\u202eABC", std::nullopt, std::nullopt},
      {"\u2067ABC", std::nullopt, std::nullopt},
      {"PE\u200bLA", std::nullopt, std::nullopt},  // looks like PELA
      {"\u200fPELA", std::nullopt, std::nullopt},
      {"\U0001F468\u200d\U0001F469", std::nullopt, "\U0001F468\u200d\U0001F469"},
      {"PELA", "KEVA", "PELA"},
      {"PELA", "\x01", "PELA"},
      {" \u3000 ", "KEVA ", "KEVA"},
      {"", "\x01", std::nullopt},
      {"A\nB", "KEVA", std::nullopt},
      {"", "   ", "\u2014"},
      {"", std::nullopt, "\u2014"},
  };
  for (const NameCase& c : names) {
    SCOPED_TRACE(c.Typed);
    std::string why;
    EXPECT_EQ(RunName(c.Typed, c.Sent, why), c.Kept);
    EXPECT_EQ(why.empty(), c.Kept.has_value());
    if (!c.Sent && c.Kept != "\u2014") {
      EXPECT_EQ(CleanRunName(c.Typed, why), c.Kept);
    }
  }

  struct BoardCase {
    int Start, Skip;
    const char* Board;
  };
  for (const BoardCase& c : {BoardCase{0, 0, "standard"}, BoardCase{5, 2, "start-5-skip-2"},
                             BoardCase{5, 0, "start-5-skip-0"}, BoardCase{0, 3, "start-0-skip-3"},
                             BoardCase{50, 10, "start-50-skip-10"}}) {
    GameState start;
    start.InitialDifficulty = static_cast<int16_t>(c.Start);
    start.DifficultySkip = static_cast<int16_t>(c.Skip);
    EXPECT_EQ(BoardOf(start), c.Board);
    EXPECT_TRUE(IsBoardName(c.Board)) << c.Board;
  }
  for (const char* board :
       {"start-05-skip-0", "start-51-skip-0", "start-0-skip-11", "start-0-skip-0",
        "start--1-skip-0", "start-5-skip-", "", "Standard", "start-5-skip-0 ", "start-5"}) {
    EXPECT_FALSE(IsBoardName(board)) << board;
  }
}

}  // namespace
}  // namespace pelaryn
