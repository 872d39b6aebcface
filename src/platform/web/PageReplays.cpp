#include "platform/web/PageReplays.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "game/Game.h"
#include "platform/web/Browser.h"
#include "platform/web/PageWindows.h"
#include "replay/ReplayShelf.h"
#include "replay/ReplayVerdict.h"

namespace pelaryn {
namespace {

constexpr std::string_view kReplays = "pelaryn/replays/";
// Where the page leaves a replay the player opened from the disk, for the game to read.
constexpr std::string_view kOpened = "pelaryn/opened-replay";
// Far above any game's recording; the same bound the desktop reads a file with.
constexpr std::size_t kMaxReplayBytes = std::size_t{64} << 20;

std::string Stored(std::string_view key) {
  return std::string(kReplays) + std::string(key);
}

// The replay in `bytes`, or none with the reason in the game's words.
std::shared_ptr<const Replay> Decoded(const std::optional<std::string>& bytes, std::string& why) {
  if (!bytes || bytes->size() > kMaxReplayBytes) {
    why = std::string(ReplayFaultText(ReplayFault::NotReplay));
    return nullptr;
  }
  ReplayFault fault = ReplayFault::None;
  std::optional<Replay> replay = DecodeReplay(*bytes, fault);
  if (!replay) {
    why = std::string(ReplayFaultText(fault));
    return nullptr;
  }
  return std::make_shared<const Replay>(std::move(*replay));
}

nlohmann::json Listed(const std::vector<PageReplays::Entry>& entries) {
  nlohmann::json rows = nlohmann::json::array();
  for (const PageReplays::Entry& entry : entries) {
    const Replay& r = *entry.Game;
    rows.push_back(
        {{"key", entry.Path},
         {"place", entry.Place},
         {"name", r.Name},
         {"score", r.Result.Score},
         {"combo", r.Result.MaxCombo},
         // Only a game over works out the ratio.
         {"ratio", r.Result.Ending == ReplayEnding::GameOver ? nlohmann::json(r.Result.ShotRatio)
                                                             : nlohmann::json()},
         {"length", PlayLength(r.Result.Frames, r.Start.FramePeriod)},
         {"playedAt", r.PlayedAt},
         // Only a game over can go to the score board.
         {"gameOver", r.Result.Ending == ReplayEnding::GameOver}});
  }
  return rows;
}

}  // namespace

std::vector<PageReplays::Entry> PageReplays::ReadAll() const {
  std::vector<Entry> entries;
  for (std::string& key : browser::StoredNames(std::string(kReplays))) {
    std::string why;
    if (auto replay = Decoded(browser::ReadStored(Stored(key)), why)) {
      entries.push_back({std::move(key), std::move(replay), -1});
    }
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return KeptLater(a.Path, b.Path); });
  return entries;
}

std::vector<PageReplays::Entry> PageReplays::List(
    const std::array<RankEntry, RankingCount>& ranking) const {
  return ShelfListing(ReadAll(), ranking);
}

bool PageReplays::Keep(const Replay& replay, const std::array<RankEntry, RankingCount>& ranking,
                       std::string& error) {
  const std::vector<std::string> taken = browser::StoredNames(std::string(kReplays));
  const std::string key = FreeReplayFileName(replay, [&taken](const std::string& name) {
    return std::find(taken.begin(), taken.end(), name) != taken.end();
  });
  if (!browser::Store(Stored(key), EncodeReplay(replay), error)) return false;
  Prune(ranking);
  return true;
}

void PageReplays::Prune(const std::array<RankEntry, RankingCount>& ranking) {
  for (const Entry& entry : ShelfLeftOver(ReadAll(), ranking)) browser::Forget(Stored(entry.Path));
}

void PageReplays::ShowWindow(Game& game, bool opened) {
  if (game.Playing()) {
    if (opened) browser::Forget(std::string(kOpened));
    return;
  }
  std::vector<Entry> entries = List(game.State().Ranking);
  const auto request = [&entries](const std::string& problem) {
    nlohmann::json shown{{"kind", "replays"}, {"replays", Listed(entries)}};
    if (!problem.empty()) shown["problem"] = problem;
    return shown;
  };
  WindowAnswer answer = opened ? WindowAnswer{"open", {}} : AskWindow(request(""));
  std::shared_ptr<const Replay> chosen;
  for (;;) {
    std::string why;
    // Only a replay the window listed is played or deleted, whatever the page answers.
    const std::string key = answer.Text("key");
    const auto listed = std::find_if(entries.begin(), entries.end(),
                                     [&key](const Entry& entry) { return entry.Path == key; });
    if (answer.Action == "play") {
      if (listed != entries.end()) chosen = listed->Game;
    } else if (answer.Action == "open") {
      chosen = Decoded(browser::ReadStored(std::string(kOpened)), why);
      browser::Forget(std::string(kOpened));
    } else if (answer.Action == "delete") {
      if (listed != entries.end()) browser::Forget(Stored(listed->Path));
      entries = List(game.State().Ranking);
    } else {
      break;
    }
    // A replay of another version is refused here, while the window is open.
    if (chosen && CheckGameVersion(*chosen).Refused()) {
      why = std::string(OtherVersionText());
      chosen = nullptr;
    }
    if (chosen) break;
    // Shown again with what changed, or with why the file cannot be played.
    answer = AskWindow(request(why));
  }
  browser::CloseWindow();
  if (!chosen) return;
  if (!game.InTitle() && game.CurrentFrame() > 0 &&
      AskOnce({{"kind", "endGameForReplay"}}).Action != "ok") {
    return;
  }
  game.PlayReplay(std::move(chosen));
}

}  // namespace pelaryn
