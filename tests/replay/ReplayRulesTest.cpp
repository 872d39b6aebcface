// What a player relies on of a replay: its numbers read back whole, its head tells its game's own
// figures and a playback holds it to them, a second playback starts with no key held, the
// recorded background size stands, and every game kept has a name of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "../TestGame.h"
#include "base/Field.h"
#include "platform/headless/SimRunner.h"
#include "replay/ByteStream.h"
#include "replay/ReplayShelf.h"

namespace pelaryn {
namespace {

const std::string Scenarios = std::string(PELARYN_GOLDEN_DIR) + "/../scenarios/";

Replay Record(SimOptions options, SimResult* result = nullptr) {
  options.ProgramFolder = ".";
  options.RecordFile = ::testing::TempDir() + "rules.pelrpy";
  std::string error;
  const auto run = RunSim(options, error);
  EXPECT_TRUE(run) << error;
  if (run && result) *result = *run;
  std::optional<Replay> replay = ReadReplayFile(options.RecordFile, error);
  EXPECT_TRUE(replay) << error;
  return replay.value_or(Replay{});
}

TEST(ReplayRules, NumbersReadBackWholeAtTheEdgesOfTheirEncoding) {
  // A varint one below, at and one above each length in bytes, and the largest; with it the two
  // signed numbers as long (n and -n - 1 fold onto 2n and 2n + 1).
  std::vector<std::pair<uint64_t, std::size_t>> edges{{UINT64_MAX, 10}};
  for (std::size_t bytes = 1; bytes <= 9; ++bytes) {
    const uint64_t edge = uint64_t{1} << (7 * bytes);
    edges.insert(edges.end(), {{edge - 1, bytes}, {edge, bytes + 1}, {edge + 1, bytes + 1}});
  }
  for (const auto& [value, size] : edges) {
    const auto half = static_cast<int64_t>(value / 2);
    std::vector<uint8_t> out;
    for (ByteWriter w(out); const int64_t n : {half, -half - 1}) w.Varint(value), w.Signed(n);
    EXPECT_EQ(out.size(), 4 * size) << value;
    ByteReader in({reinterpret_cast<const char*>(out.data()), out.size()});
    for (const int64_t n : {half, -half - 1}) {
      EXPECT_EQ(in.Varint(), value);
      EXPECT_EQ(in.Signed(), n);
    }
    EXPECT_TRUE(in.Ok() && in.AtEnd()) << value;
  }
  // One above the largest: a tenth byte above 1.
  ByteReader beyond("\xff\xff\xff\xff\xff\xff\xff\xff\xff\x02");
  beyond.Varint();
  EXPECT_FALSE(beyond.Ok());

  // A replay's head, each figure at an edge of its width, and key events at frame steps whose
  // event heads take one, two and three bytes.
  Replay replay;
  replay.GameVersion = std::string(GameVersion());
  replay.PlayedAt = INT64_MIN;
  replay.Start.FramePeriod = 1000;
  replay.RandomDraws = UINT64_MAX;
  replay.BackgroundWidth = 4096;
  replay.BackgroundHeight = FieldHeight;
  std::vector<std::pair<uint32_t, uint16_t>> keys;
  for (uint32_t frame = 0; const uint32_t step : {15u, 16u, 17u, 2047u, 2048u, 2049u}) {
    keys.emplace_back(frame += step, std::array<uint16_t, 3>{0x7F, 0x80, 0x3FF}[keys.size() % 3]);
  }
  for (const ReplayResult& result :
       {ReplayResult{ReplayEnding::GameOver, 16383, INT32_MAX, INT16_MAX, 255, INT16_MIN},
        ReplayResult{ReplayEnding::Reset, 16384, INT32_MIN, INT16_MIN, 0, INT16_MAX},
        ReplayResult{ReplayEnding::Exit, 16385, -1, -1, 128, -1}}) {
    replay.Result = result;
    replay.Input.clear();
    uint32_t last = 0;
    ReplayEvent event;
    for (const auto& [frame, mask] : keys) {
      event.Frame = frame, event.Type = ReplayEventType::Keys, event.Keys = mask;
      AppendEvent(replay.Input, last, event);
    }
    event.Frame = result.Frames, event.Type = ReplayEventType::End;
    AppendEvent(replay.Input, last, event);
    replay.Checkpoints.assign(result.Frames / CheckpointEvery + 1, UINT64_MAX);
    ReplayFault fault;
    const std::optional<Replay> read = DecodeReplay(EncodeReplay(replay), fault);
    ASSERT_TRUE(read) << ReplayFaultName(fault);
    const ReplayResult& r = read->Result;
    EXPECT_EQ(std::tuple(read->PlayedAt, r.Ending, r.Frames, r.Score, r.MaxCombo, r.ShotRatio,
                         r.Level, read->RandomDraws, read->BackgroundWidth),
              std::tuple(INT64_MIN, result.Ending, result.Frames, result.Score, result.MaxCombo,
                         result.ShotRatio, result.Level, UINT64_MAX, 4096));
    std::vector<std::pair<uint32_t, uint16_t>> readKeys;
    ReplayEventReader events(read->Input);
    while (events.Next(event) && event.Type == ReplayEventType::Keys) {
      readKeys.emplace_back(event.Frame, event.Keys);
    }
    EXPECT_EQ(readKeys, keys);
  }
}

// Replays watched one after another in one game: what each playback found and the background it
// played on, and the boxes the game showed.
struct Watched {
  std::string verdict;
  int width, height;
  bool missing;
};
struct Watching {
  std::vector<Watched> played;
  std::vector<std::string> boxes;
};
Watching WatchInTurn(const std::vector<Replay>& replays) {
  testing::TestGame watching(false);
  watching.game.SetPlaybackHold(0);
  Watching seen;
  watching.game.OnPlaybackEnded = [&](const ReplayVerdict& verdict) {
    const Surface& back = watching.game.BackgroundPicture();
    seen.played.push_back({DescribeVerdict(verdict), back.Width(), back.Height(),
                           watching.game.PlaybackBackgroundMissing()});
  };
  std::size_t next = 0;
  watching.game.OnTitleStart = [&] {
    while (next < replays.size()) {
      if (watching.game.PlayReplay(std::make_shared<const Replay>(replays[next++]))) return;
    }
    watching.game.RequestStop();
  };
  watching.game.Run();
  for (const DialogRecord& box : watching.platform.RecordedDialogs().Shown()) {
    seen.boxes.push_back(box.Text);
  }
  return seen;
}

TEST(ReplayRules, TheHeadTellsItsGamesOwnFiguresAndAPlaybackHoldsItToThem) {
  SimOptions options;
  options.KeysFile = Scenarios + "moves.keys";
  options.Frames = 20000;
  options.Settings = {{"AutoShot", "true"}, {"Life", "5"}, {"Level", "12"}};
  SimResult played;
  const Replay gameOver = Record(options, &played);
  const ReplayResult& r = gameOver.Result;
  const auto end = nlohmann::json::parse(played.FinalJson);
  ASSERT_EQ(r.Ending, ReplayEnding::GameOver);
  EXPECT_EQ((std::tuple<uint64_t, int, int, int, int>(r.Frames, r.Score, r.MaxCombo, r.ShotRatio,
                                                      r.Level)),
            std::tuple(played.Frames, end["Score"].get<int>(), end["MaxCombo"].get<int>(),
                       end["ShotRatio"].get<int>(), end["Level"].get<int>()));
  // Figures apart from one another, so that one taken for another shows.
  EXPECT_EQ(std::set<int>({r.Score, r.MaxCombo, r.ShotRatio, r.Level}).size(), 4u);
  options.Frames = 150;  // ended by the frame limit, as Exit ends a game
  const Replay exited = Record(options);

  const auto figure = [](const char* name, int claimed, int made) {
    return "differs: the " + std::string(name) + " claimed " + std::to_string(claimed) + ", made " +
           std::to_string(made);
  };
  // Each forged head, and a word of the box that refuses it.
  struct Case {
    const Replay& recorded;
    std::function<void(Replay&)> forge;
    std::string verdict, box;
  };
  const Case cases[] = {
      {gameOver, [](Replay&) {}, "verified", ""},
      {exited, [](Replay&) {}, "verified", ""},
      {gameOver, [](Replay& f) { f.Result.Score += 5000; },
       figure("score", r.Score + 5000, r.Score), "スコア " + std::to_string(r.Score + 5000)},
      {gameOver, [](Replay& f) { ++f.Result.MaxCombo; },
       figure("best combo", r.MaxCombo + 1, r.MaxCombo), "最大コンボ"},
      {gameOver, [](Replay& f) { --f.Result.ShotRatio; },
       figure("shoot-down ratio", r.ShotRatio - 1, r.ShotRatio), "撃墜率"},
      {gameOver, [](Replay& f) { ++f.Result.Level; }, figure("level", r.Level + 1, r.Level),
       "レベル"},
      {gameOver, [](Replay& f) { f.Result.Ending = ReplayEnding::Reset; },
       "differs: the ending claimed reset, made game over", "終わり方"},
      {exited, [](Replay& f) { f.Result.Ending = ReplayEnding::GameOver; },
       "differs: the ending claimed game over, made reset", "終わり方"},
      {gameOver, [](Replay& f) { f.GameVersion = "0.1"; },
       "refused: recorded by version 0.1, this is " + std::string(GameVersion()), "（0.1）"},
  };
  std::vector<Replay> forged;
  for (const Case& c : cases) {
    Replay f = c.recorded;
    c.forge(f);
    // Still a file that reads.
    ReplayFault fault;
    forged.push_back(DecodeReplay(EncodeReplay(f), fault).value_or(Replay{}));
  }
  const Watching seen = WatchInTurn(forged);
  ASSERT_EQ(seen.played.size(), std::size(cases));
  std::size_t box = 0;
  for (std::size_t i = 0; i < seen.played.size(); ++i) {
    EXPECT_EQ(seen.played[i].verdict, cases[i].verdict);
    if (cases[i].box.empty()) continue;
    ASSERT_LT(box, seen.boxes.size());
    EXPECT_NE(seen.boxes[box++].find(cases[i].box), std::string::npos) << cases[i].verdict;
  }
  EXPECT_EQ(box, seen.boxes.size());
}

TEST(ReplayRules, ASecondPlaybackStartsWithNoKeyHeldWhereTheFirstEndedWithKeysDown) {
  const std::string held = ::testing::TempDir() + "held.keys";
  std::ofstream(held) << "1 9000 Left Z\n";
  SimOptions options;
  options.Frames = 150;
  options.KeysFile = held;
  const Replay first = Record(options);
  options.KeysFile.clear();
  const Replay second = Record(options);
  const std::vector<Watched> watched = WatchInTurn({first, second}).played;
  ASSERT_EQ(watched.size(), 2u);
  EXPECT_EQ(watched[0].verdict, "verified");
  EXPECT_EQ(watched[1].verdict, "verified");
}

TEST(ReplayRules, TheRecordedBackgroundSizeStandsWhenEitherSideDiffersFromThePicture) {
  SimOptions options;
  options.Frames = 3;
  const Replay recorded = Record(options);
  const int w = recorded.BackgroundWidth, h = recorded.BackgroundHeight;
  const std::pair<int, int> sizes[] = {{w, h}, {w + 8, h}, {w, h + 8}, {w + 8, h + 8}};
  std::vector<Replay> replays;
  for (const auto& [width, height] : sizes) {
    replays.push_back(recorded);
    replays.back().BackgroundWidth = width;
    replays.back().BackgroundHeight = height;
  }
  const std::vector<Watched> watched = WatchInTurn(replays).played;
  ASSERT_EQ(watched.size(), std::size(sizes));
  for (std::size_t i = 0; i < watched.size(); ++i) {
    EXPECT_EQ(std::tuple(watched[i].width, watched[i].height, watched[i].missing),
              std::tuple(sizes[i].first, sizes[i].second, i > 0))
        << i;
  }
}

TEST(ReplayRules, GamesEndedInTheSameSecondWithTheSameScoreAreAllKept) {
  Replay game;
  game.PlayedAt = 1'765'190'052;  // 2025-12-08 10:34:12 UTC
  game.Result.Score = 4321;
  std::set<std::string> kept;
  const auto taken = [&](const std::string& name) { return kept.contains(name); };
  Replay otherScore = game, nextSecond = game;
  otherScore.Result.Score = 4322;
  ++nextSecond.PlayedAt;
  for (const Replay* r : {&game, &game, &game, &otherScore, &nextSecond}) {
    kept.insert(FreeReplayFileName(*r, taken));
  }
  EXPECT_EQ(kept, (std::set<std::string>{
                      "20251208-103412-0004321.pelrpy", "20251208-103412-0004321-1.pelrpy",
                      "20251208-103412-0004321-2.pelrpy", "20251208-103412-0004322.pelrpy",
                      "20251208-103413-0004321.pelrpy"}));
  // Listed newest first: the later second, then the serials of one second as numbers.
  std::vector<std::string> listed = {
      "/r/20251208-103412-0004321.pelrpy", "/r/20251208-103412-0004321-9.pelrpy",
      "/r/20251208-103413-0004321.pelrpy", "/r/20251208-103412-0004321-10.pelrpy",
      "/r/20251208-103412-0004321-1.pelrpy"};
  std::sort(listed.begin(), listed.end(), KeptLater);
  EXPECT_EQ(listed,
            (std::vector<std::string>{
                "/r/20251208-103413-0004321.pelrpy", "/r/20251208-103412-0004321-10.pelrpy",
                "/r/20251208-103412-0004321-9.pelrpy", "/r/20251208-103412-0004321-1.pelrpy",
                "/r/20251208-103412-0004321.pelrpy"}));
}

}  // namespace
}  // namespace pelaryn
