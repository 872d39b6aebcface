// Replays: a game recorded, changed and played back must be caught where it differs; files that
// are not whole replays are refused with their reason; watching leaves the player's own state.

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "../TestGame.h"
#include "persist/Ranking.h"
#include "platform/headless/SimRunner.h"
#include "platform/script/StateJson.h"
#include "replay/ByteStream.h"

namespace pelaryn {
namespace {

const std::string Scenarios = std::string(PELARYN_GOLDEN_DIR) + "/../scenarios/";

Replay Record(SimOptions options) {
  options.ProgramFolder = ".";
  options.RecordFile = ::testing::TempDir() + "recorded.pelrpy";
  std::string error;
  EXPECT_TRUE(RunSim(options, error)) << error;
  std::optional<Replay> replay = ReadReplayFile(options.RecordFile, error);
  EXPECT_TRUE(replay) << error;
  return replay ? *replay : Replay{};
}

std::optional<uint32_t> PlayBack(const Replay& replay) {
  SimOptions options;
  options.ProgramFolder = ".";
  options.Frames = UINT64_MAX;
  std::string error;
  const auto result = RunSim(options, error, std::make_shared<const Replay>(replay));
  EXPECT_TRUE(result) << error;
  return result ? result->DiffersAt : std::optional<uint32_t>(0);
}

// The events of a replay again, with the one at `index` changed by `change`.
std::vector<uint8_t> WithEventChanged(const Replay& replay, std::size_t index,
                                      const std::function<void(ReplayEvent&)>& change) {
  std::vector<uint8_t> input;
  uint32_t last = 0;
  ReplayEventReader events(replay.Input);
  ReplayEvent event;
  for (std::size_t i = 0; events.Next(event); ++i) {
    if (i == index) change(event);
    GameState settings;
    if (event.Type == ReplayEventType::WindowSettings) ApplyEventSettings(event, settings);
    AppendEvent(input, last, event, &settings);
  }
  return input;
}

TEST(ReplayFile, ChangedInputOrStartIsCaughtAtTheNextCheckpoint) {
  SimOptions options;
  options.KeysFile = Scenarios + "moves.keys";
  options.Frames = 600;
  const Replay recorded = Record(options);
  ASSERT_EQ(recorded.Result.Frames, 600u);
  ASSERT_EQ(recorded.Checkpoints.size(), 7u);
  EXPECT_EQ(PlayBack(recorded), std::nullopt);

  // The first key change after frame 250 made the other way: the ship moves differently from
  // that frame on, which the checkpoint at 300 sees.
  std::size_t index = 0;
  uint32_t changedFrame = 0;
  {
    ReplayEventReader events(recorded.Input);
    ReplayEvent event;
    for (std::size_t i = 0; events.Next(event); ++i) {
      if (event.Type == ReplayEventType::Keys && event.Frame > 250 && event.Keys != 0) {
        index = i;
        changedFrame = event.Frame;
        break;
      }
    }
  }
  ASSERT_GT(changedFrame, 0u);
  struct Case {
    const char* what;
    std::function<void(Replay&)> change;
    uint32_t differsAt;
  };
  const Case cases[] = {
      {"a key",
       [&](Replay& r) {
         r.Input = WithEventChanged(r, index, [](ReplayEvent& e) { e.Keys ^= 0x4; });  // Up
       },
       (changedFrame + 99) / 100 * 100},
      {"the score at the start", [](Replay& r) { r.Start.Score += 10; }, 100},
      {"the random draws", [](Replay& r) { ++r.RandomDraws; }, 100},
      {"the score at the end", [](Replay& r) { r.Checkpoints.back() ^= 1; }, 600},
  };
  for (const Case& c : cases) {
    Replay changed = recorded;
    c.change(changed);
    ReplayFault fault;
    const auto read = DecodeReplay(EncodeReplay(changed), fault);
    ASSERT_TRUE(read) << c.what << ": " << ReplayFaultName(fault);
    EXPECT_EQ(PlayBack(*read), std::optional<uint32_t>(c.differsAt)) << c.what;
  }
}

TEST(ReplayFile, FilesThatAreNotWholeReplaysAreRefusedWithTheirReason) {
  SimOptions options;
  options.Frames = 250;
  Replay replay = Record(options);
  const std::string bytes = EncodeReplay(replay);
  replay.FormatVersion = 2;
  const std::string otherFormat = EncodeReplay(replay);
  replay.FormatVersion = ReplayFormatVersion;
  std::string flipped = bytes;
  flipped[bytes.size() / 2] ^= 0x10;
  struct Case {
    std::string bytes;
    ReplayFault fault;
  };
  const Case cases[] = {
      {"", ReplayFault::NotReplay},
      {"GIF89a and more bytes than a header", ReplayFault::NotReplay},
      {bytes.substr(0, 5), ReplayFault::CutShort},
      {bytes.substr(0, 20), ReplayFault::CutShort},
      {bytes.substr(0, bytes.size() - 1), ReplayFault::CutShort},
      {bytes + "x", ReplayFault::Damaged},
      {flipped, ReplayFault::Damaged},
      {otherFormat, ReplayFault::OtherFormat},
  };
  for (const Case& c : cases) {
    ReplayFault fault = ReplayFault::None;
    EXPECT_FALSE(DecodeReplay(c.bytes, fault)) << c.bytes.size();
    EXPECT_EQ(fault, c.fault) << c.bytes.size() << " bytes: " << ReplayFaultName(fault);
  }
  // Random bytes behind a good head are refused, whatever they are.
  std::mt19937 noise(7);
  for (int i = 0; i < 200; ++i) {
    std::string junk = bytes.substr(0, 18);
    junk.resize(18 + noise() % 2000);
    for (std::size_t j = 18; j < junk.size(); ++j) junk[j] = static_cast<char>(noise());
    ReplayFault fault = ReplayFault::None;
    EXPECT_FALSE(DecodeReplay(junk, fault));
  }
  // Another game version's replay is read, but refused before it plays: its rules may differ.
  replay.GameVersion = "0.1";
  ReplayFault fault;
  const auto older = DecodeReplay(EncodeReplay(replay), fault);
  ASSERT_TRUE(older);
  EXPECT_EQ(PlayBack(*older), std::optional<uint32_t>(0));
}

// Counts the saves, to see a playback makes none.
class CountingStore : public MemoryFileStore {
 public:
  bool Write(std::string_view name, std::string_view bytes, std::string& error) override {
    ++writes;
    return MemoryFileStore::Write(name, bytes, error);
  }
  int writes = 0;
};

TEST(ReplayFile, SettingsRankingAndMenuCommandsPlayBackAndWatchingLeavesThePlayersState) {
  testing::TestGame recording(false);
  std::optional<Replay> recorded;
  recording.game.OnReplayRecorded = [&](const Replay& r) { recorded = r; };
  RecordingDialogs& dialogs = recording.platform.RecordedDialogs();
  dialogs.OnSettings = [](SettingsHost& host) {
    host.Settings().BackSetting.ScrollTate = 7;
    host.Settings().BackSetting.Guriguri = true;
    host.ReloadBackground();
  };
  dialogs.OnRanking = [](GameState& s) { ResetRanking(s); };
  std::istringstream keys("1 400 Z Left\n");
  std::string why;
  recording.platform.SetKeys(KeyScript::Parse(keys, why).value());
  // Something for 初期化 to undo.
  recording.game.OnSettingsLoaded = [](GameState& s) { s.Ranking[0].Score = 123456; };
  recording.Start();
  recording.Frames(120);
  recording.game.MenuCommand(MenuId::Option);
  recording.Frames(60);
  recording.game.MenuCommand(MenuId::Ranking);
  recording.game.MenuCommand(MenuId::Se);
  recording.game.MenuCommand(MenuId::Autoshot);
  recording.Frames(150);
  recording.game.MenuCommand(MenuId::Reset);
  ASSERT_TRUE(recorded);
  EXPECT_EQ(recorded->Result.Ending, ReplayEnding::Reset);
  EXPECT_EQ(recorded->Result.Frames, 330u);

  testing::TestGame watching(false);
  auto store = std::make_unique<CountingStore>();
  CountingStore& files = *store;
  watching.platform.SetFileStore(std::move(store));
  watching.game.SetPlaybackHold(0);
  std::string before, after;
  std::string verdict;
  uint32_t framesPlayed = 0;
  watching.game.OnPlaybackEnded = [&](const ReplayVerdict& found) {
    verdict = DescribeVerdict(found);
    framesPlayed = static_cast<uint32_t>(watching.game.CurrentFrame());
    // A host closed now (a browser tab) must not write the replay's settings as the player's.
    watching.game.SaveFiles();
  };
  auto dump = [&] {
    DumpExtras extras;
    extras.RandomDraws = watching.game.RandomSource().Draws();
    return StateToJson(watching.s, extras) +
           std::to_string(watching.game.RandomSource().StateWords()[0]);
  };
  int titles = 0;
  watching.game.OnTitleStart = [&] {
    if (++titles == 1) {
      // The player's own unsaved choices on the title.
      watching.s.AutoShot = true;
      watching.s.BackSetting.ScrollYoko = -3;
      before = dump();
      watching.game.PlayReplay(std::make_shared<const Replay>(*recorded));
    } else {
      after = dump();
      watching.game.RequestStop();
    }
  };
  watching.game.Run();
  EXPECT_EQ(verdict, "verified");
  EXPECT_EQ(framesPlayed, 330u);
  EXPECT_EQ(titles, 2);
  EXPECT_EQ(after, before);
  EXPECT_EQ(files.writes, 0);
  watching.game.SaveFiles();
  EXPECT_EQ(files.writes, 2) << "the player's own settings and ranking, once the replay is over";
}

}  // namespace
}  // namespace pelaryn

namespace pelaryn {
namespace {

// The replays recorded by playing the desktop game (tools/replays/record): each holds what it
// was recorded to show, and the headless runner plays it to the same end, which proves both
// front ends run the same game.
TEST(ReplayFile, GamesRecordedOnTheDesktopVerifyHeadless) {
  struct Case {
    const char* file;
    std::function<void(const Replay&, const std::vector<ReplayEvent>&)> holds;
  };
  auto count = [](const std::vector<ReplayEvent>& events, ReplayEventType type) {
    return std::count_if(events.begin(), events.end(),
                         [&](const ReplayEvent& e) { return e.Type == type; });
  };
  const Case cases[] = {
      {"pad-boss.pelrpy",
       [&](const Replay& r, const std::vector<ReplayEvent>& events) {
         EXPECT_GT(r.Result.Frames, 1334u);  // the first boss comes at frame 1334
         EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const ReplayEvent& e) {
           return e.Type == ReplayEventType::Joy && e.Joy.Result == 0 && e.Joy.Info.Buttons != 0;
         }));
       }},
      {"pause-settings.pelrpy",
       [&](const Replay& r, const std::vector<ReplayEvent>& events) {
         EXPECT_EQ(r.Result.Ending, ReplayEnding::Exit);
         std::vector<MenuId> commands;
         for (const ReplayEvent& e : events) {
           if (e.Type == ReplayEventType::Menu) commands.push_back(e.Menu);
         }
         EXPECT_EQ(commands, (std::vector<MenuId>{MenuId::Pause, MenuId::Pause, MenuId::Se,
                                                  MenuId::Autoshot}));
         EXPECT_EQ(count(events, ReplayEventType::WindowSettings), 1);
       }},
      {"game-over.pelrpy",
       [&](const Replay& r, const std::vector<ReplayEvent>&) {
         EXPECT_EQ(r.Result.Ending, ReplayEnding::GameOver);
         EXPECT_EQ(r.Name, "PELA");
       }},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto replay =
        ReadReplayFile(std::string(PELARYN_GOLDEN_DIR) + "/../recorded/" + c.file, error);
    ASSERT_TRUE(replay) << error;
    std::vector<ReplayEvent> events;
    ReplayEventReader reader(replay->Input);
    for (ReplayEvent e; reader.Next(e);) events.push_back(e);
    c.holds(*replay, events);
    SimOptions options;
    options.ProgramFolder = ".";
    options.Frames = UINT64_MAX;
    const auto result = RunSim(options, error, std::make_shared<const Replay>(*replay));
    ASSERT_TRUE(result) << error;
    EXPECT_EQ(result->DiffersAt, std::nullopt) << c.file;
    EXPECT_EQ(DescribeVerdict(result->Verdict), "verified") << c.file;
    EXPECT_EQ(result->Frames, replay->Result.Frames) << c.file;
    EXPECT_EQ(result->ReplayScore, replay->Result.Score) << c.file;
  }
}

}  // namespace
}  // namespace pelaryn
