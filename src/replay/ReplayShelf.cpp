#include "replay/ReplayShelf.h"

#include <chrono>
#include <cstdio>

namespace pelaryn {

ShelfPlan PlanShelf(const std::vector<ShelfItem>& newestFirst,
                    const std::array<RankEntry, RankingCount>& ranking, std::size_t recent) {
  ShelfPlan plan;
  plan.Place.assign(newestFirst.size(), -1);
  plan.Keep.assign(newestFirst.size(), false);
  for (std::size_t i = 0; i < newestFirst.size() && i < recent; ++i) plan.Keep[i] = true;
  for (int row = 0; row < RankingCount; ++row) {
    const RankEntry& entry = ranking[static_cast<std::size_t>(row)];
    for (std::size_t i = 0; i < newestFirst.size(); ++i) {
      const ShelfItem& item = newestFirst[i];
      const ReplayResult& r = item.Result;
      if (plan.Place[i] >= 0 || r.Ending != ReplayEnding::GameOver || item.Name != entry.Name ||
          r.Score != entry.Score || r.MaxCombo != entry.MaxCombo ||
          r.ShotRatio != entry.ShotRatio) {
        continue;
      }
      plan.Place[i] = row;
      plan.Keep[i] = true;
      break;
    }
  }
  return plan;
}

std::string ReplayFileName(const Replay& replay, int serial) {
  using namespace std::chrono;
  const sys_seconds at{seconds{replay.PlayedAt}};
  const year_month_day date{floor<days>(at)};
  const hh_mm_ss time{at - floor<days>(at)};
  char name[80];
  std::snprintf(name, sizeof name, "%04d%02u%02u-%02d%02d%02d-%07d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()), replay.Result.Score);
  std::string text = name;
  if (serial > 0) text += "-" + std::to_string(serial);
  return text + std::string(ReplayExtension);
}

}  // namespace pelaryn
