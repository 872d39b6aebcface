// What a score board takes for a fair start: games recorded in process, their settings and start
// values applied where the headless runner applies --set, each checked as a board checks it.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "game/FairStart.h"
#include "game/Game.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/headless/SimRunner.h"
#include "platform/script/Scripts.h"
#include "platform/script/Settings.h"
#include "render/Pictures.h"

namespace pelaryn {
namespace {

struct Sitting {
  std::vector<std::pair<std::string, std::string>> Set;  // as --set gives them
  // A modded client's touch to the state, just before the recording begins.
  std::function<void(GameState&)> Edit;
  int Games = 1;         // the replay of the last one is checked
  uint64_t ResetAt = 0;  // the last game is reset at this frame, when not 0
  bool Firing = false;   // shoot and weave, so that a game leaves a busy field behind
};

// Plays the games of one sitting on the headless platform; the replays they recorded.
std::vector<Replay> Play(const Sitting& sitting) {
  Pictures pictures;
  EXPECT_TRUE(LoadEmbeddedPictures(pictures));
  HeadlessPlatform platform(PELARYN_RUNTIME_DIR);
  Game game(platform, pictures);
  platform.SetFrameSource([&] { return game.CurrentFrame(); });
  std::string error;
  if (sitting.Firing) {
    std::istringstream keys("1 100000 Z\n50 300 Left\n400 700 Right\n800 900 Up\n");
    platform.SetKeys(*KeyScript::Parse(keys, error));
  }
  std::vector<Replay> replays;
  game.OnReplayRecorded = [&](const Replay& replay) { replays.push_back(replay); };
  auto apply = [&](GameState& s, bool atGameStart) {
    for (const auto& [name, value] : sitting.Set) {
      if (IsGameStartValue(name) == atGameStart) {
        EXPECT_TRUE(ApplySetting(s, name, value, error));
      }
    }
  };
  game.OnSettingsLoaded = [&](GameState& s) { apply(s, false); };
  game.OnGameStarted = [&](GameState& s) {
    apply(s, true);
    if (sitting.Edit) sitting.Edit(s);
  };
  game.OnTitleStart = [&] {
    if (static_cast<int>(replays.size()) == sitting.Games) return game.RequestStop();
    game.MenuCommand(MenuId::Start);
  };
  platform.OnYield = [&] {
    const bool last = static_cast<int>(replays.size()) + 1 == sitting.Games;
    if (last && game.CurrentFrame() == sitting.ResetAt) game.MenuCommand(MenuId::Reset);
    if (game.CurrentFrame() == 2000) game.RequestExit();
  };
  game.Run();
  return replays;
}

// The second game of a sitting in which the first shot and moved about until its game over.
Sitting SecondGame() {
  Sitting sitting;
  sitting.Games = 2;
  sitting.Firing = true;
  return sitting;
}

TEST(FairStart, TheBoardTakesOnlyStartsTheTitleMakes) {
  struct Case {
    const char* Name;
    Sitting Play;
    ReplayCheck Start;  // of CheckFairStart
    const char* Field;
    ReplayCheck Ending;  // of CheckGameOverEnding
  };
  auto set = [](const char* name, const char* value) {
    Sitting sitting;
    sitting.Set = {{name, value}};
    return sitting;
  };
  auto edit = [](std::function<void(GameState&)> change) {
    Sitting sitting;
    sitting.Edit = std::move(change);
    return sitting;
  };
  Sitting reset;
  reset.ResetAt = 120;
  const Case cases[] = {
      {"default settings", {}, ReplayCheck::Verified, "", ReplayCheck::Verified},
      {"another board", set("InitialDifficulty", "5"), ReplayCheck::Verified, "",
       ReplayCheck::Verified},
      {"the hardest start the window allows", set("InitialDifficulty", "50"), ReplayCheck::Verified,
       "", ReplayCheck::Verified},
      {"a game after another, with its leftovers", SecondGame(), ReplayCheck::Verified, "",
       ReplayCheck::Verified},
      {"ended with a reset", reset, ReplayCheck::Verified, "", ReplayCheck::BoardEnding},
      {"lives", set("Life", "30000"), ReplayCheck::StartState, "Life", ReplayCheck::BoardEnding},
      {"level at the default difficulty", set("Level", "40"), ReplayCheck::StartState, "Level",
       ReplayCheck::Verified},
      {"straight to the boss", set("PhaseFrames", "1290"), ReplayCheck::StartState, "PhaseFrames",
       ReplayCheck::Verified},
      {"a difficulty the window does not offer", set("InitialDifficulty", "51"),
       ReplayCheck::StartSetting, "InitialDifficulty", ReplayCheck::Verified},
      {"an enemy that cannot be hit", edit([](GameState& s) { s.Enemies[3].W = 0; }),
       ReplayCheck::StartState, "Enemies[3].W", ReplayCheck::Verified},
      {"an enemy on the field from the start", edit([](GameState& s) { s.Enemies[5].Life() = 3; }),
       ReplayCheck::StartState, "Enemies[5].State", ReplayCheck::Verified},
      {"a boss's bonus carried in",
       edit([](GameState& s) { s.Boss.Life() = -4, s.Boss.Bonus() = 32000; }),
       ReplayCheck::StartState, "Boss.State", ReplayCheck::Verified},
      {"a scroll beyond the picture", edit([](GameState& s) { s.BackSetting.OffsetY = 5000; }),
       ReplayCheck::StartState, "BackSetting.OffsetY", ReplayCheck::Verified},
      {"a combo countdown no game counts", edit([](GameState& s) { s.ComboTimer = -3; }),
       ReplayCheck::StartState, "ComboTimer", ReplayCheck::Verified},
      {"a clock that leaps", edit([](GameState& s) { s.BlinkStep = 2; }), ReplayCheck::StartState,
       "BlinkStep", ReplayCheck::Verified},
      {"a ratio over a hundred", edit([](GameState& s) { s.ShotRatio = 101; }),
       ReplayCheck::StartState, "ShotRatio", ReplayCheck::Verified},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::vector<Replay> replays = Play(c.Play);
    ASSERT_EQ(replays.size(), static_cast<std::size_t>(c.Play.Games));
    const Replay& replay = replays.back();
    // Re-sealed by the writer: the file is whole, and plays back to its end.
    ReplayFault fault = ReplayFault::None;
    const std::optional<Replay> read = DecodeReplay(EncodeReplay(replay), fault);
    ASSERT_TRUE(read);
    const ReplayVerdict start = CheckFairStart(*read);
    EXPECT_EQ(start.Check, c.Start) << DescribeVerdict(start);
    EXPECT_EQ(start.Field, c.Field) << DescribeVerdict(start);
    EXPECT_EQ(CheckGameOverEnding(*read).Check, c.Ending);
  }
}

// The source must be the seed's after exactly the recorded draws, and no more draws are
// advanced than a bound.
TEST(FairStart, TheRandomSourceIsTheSeedAdvancedByItsDraws) {
  const std::vector<Replay> replays = Play(SecondGame());
  ASSERT_EQ(replays.size(), 2u);
  Replay replay = replays.back();
  ASSERT_GT(replay.RandomDraws, 1000u);
  ASSERT_TRUE(CheckFairStart(replay).Verified());
  for (const int64_t off : {-1, 1}) {
    Replay other = replay;
    other.RandomDraws += off;
    const ReplayVerdict verdict = CheckFairStart(other);
    EXPECT_EQ(verdict.Check, ReplayCheck::StartRandom) << off;
    EXPECT_EQ(verdict.Field, "RandomWords") << off;
  }
  Replay endless = replay;
  endless.RandomDraws = MaxStartDraws + 1;
  EXPECT_EQ(CheckFairStart(endless).Field, "RandomDraws");
  EXPECT_EQ(DescribeVerdict(CheckFairStart(endless)),
            "refused: the random source's RandomDraws is 268435457, a start holds 0 to "
            "268435456");
}

}  // namespace
}  // namespace pelaryn
