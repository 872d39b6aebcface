// The replays kept on disk: the latest twenty games, plus the one behind each ranking row for as
// long as the row stands, through insertions, rows pushed out and 初期化.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../ScratchPath.h"
#include "persist/Ranking.h"
#include "platform/desktop/ReplayFolder.h"

namespace pelaryn {
namespace {

namespace fs = std::filesystem;

Replay GameOverReplay(int64_t playedAt, const std::string& name, int32_t score) {
  Replay replay;
  replay.GameVersion = "0.99";
  replay.PlayedAt = playedAt;
  replay.Name = name;
  replay.Result = {ReplayEnding::GameOver, 100, score, 3, 40, 0};
  replay.Start.FramePeriod = 45;
  replay.BackgroundWidth = 300;
  replay.BackgroundHeight = 400;
  uint32_t last = 0;
  ReplayEvent end;
  end.Frame = 100;
  AppendEvent(replay.Input, last, end);
  replay.Checkpoints.assign(2, 0);
  return replay;
}

TEST(ReplayFolder, KeepsTheLatestGamesAndThoseBehindRankingRows) {
  const fs::path root = testing::ScratchPath("replay-folder");
  fs::remove_all(root);
  fs::create_directories(root);
  ReplayFolder folder((root / "replays").string(), "");
  GameState s;
  for (int i = 0; i < RankingCount; ++i) s.Ranking[i] = DefaultRankEntry(i);
  auto play = [&](int game, int32_t score) {
    // The game over ranks the game as the game does, then the replay is kept.
    const std::string name = "P" + std::to_string(game);
    if (const auto place = RankingPlace(s, score)) {
      InsertRankEntry(s, *place, score, 40, 3);
      s.Ranking[*place].Name = name;
    }
    std::string error;
    ASSERT_TRUE(
        folder.Keep(GameOverReplay(1'700'000'000 + game * 60, name, score), s.Ranking, error))
        << error;
  };
  auto ranked = [&] {
    std::vector<std::string> names;
    for (const auto& entry : folder.List(s.Ranking)) {
      if (entry.Place >= 0) names.push_back(entry.Game->Name);
    }
    return names;
  };
  // Game 0 scores high and ranks first; 24 games of no score follow, each a recent one.
  play(0, 900000);
  // A later file with the same result under another name is not the row's.
  std::string error;
  ASSERT_TRUE(folder.Keep(GameOverReplay(1'700'000'030, "X", 900000), s.Ranking, error));
  EXPECT_EQ(ranked(), std::vector<std::string>{"P0"});
  for (int game = 1; game <= 24; ++game) play(game, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(root / "replays"), {}), 21);  // X is gone
  EXPECT_EQ(ranked(), std::vector<std::string>{"P0"});
  // Ten better games push P0 out of the ranking, and its replay goes with it.
  for (int game = 25; game < 35; ++game) play(game, 1'000'000 + game);
  EXPECT_EQ(ranked().size(), 10u);
  EXPECT_EQ(ranked().front(), "P34");
  for (const auto& entry : folder.List(s.Ranking)) EXPECT_NE(entry.Game->Name, "P0");
  EXPECT_EQ(folder.List(s.Ranking).size(), 20u);  // the ten ranked are among the latest twenty
  // 初期化: no row is anyone's now; only the latest twenty stay.
  for (int game = 35; game < 50; ++game) play(game, 0);
  EXPECT_EQ(folder.List(s.Ranking).size(), 25u);  // games 25…49: five ranked are older
  ResetRanking(s);
  folder.Prune(s.Ranking);
  EXPECT_EQ(std::distance(fs::directory_iterator(root / "replays"), {}), 20);
  EXPECT_TRUE(ranked().empty());
  fs::remove_all(root);
}

// Without a fallback folder, a file of the same name in the working directory is nobody's
// replay: the game keeps its own name.
TEST(ReplayFolder, AnUnnamedFallbackIsNoFolder) {
  const fs::path root = testing::ScratchPath("replay-unnamed-fallback");
  fs::remove_all(root);
  ReplayFolder folder(root.string(), "");
  const Replay replay = GameOverReplay(1'700'000'000, "P", 10);
  const fs::path stray = fs::current_path() / ReplayFileName(replay);
  ASSERT_FALSE(fs::exists(stray));
  { std::ofstream(stray) << "not ours"; }
  GameState s;
  std::string error;
  ASSERT_TRUE(folder.Keep(replay, s.Ranking, error)) << error;
  EXPECT_TRUE(fs::exists(root / ReplayFileName(replay)));
  fs::remove(stray);
  fs::remove_all(root);
}

}  // namespace
}  // namespace pelaryn
