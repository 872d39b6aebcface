#include "replay/ReplayShelf.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <utility>

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

namespace {

// A file name's stem without its folder and extension, split into what ReplayFileName wrote
// before the serial and the serial (0 without one).
std::pair<std::string_view, long> NameAndSerial(std::string_view path) {
  if (const auto slash = path.find_last_of('/'); slash != std::string_view::npos) {
    path.remove_prefix(slash + 1);
  }
  if (const auto dot = path.rfind('.'); dot != std::string_view::npos) path = path.substr(0, dot);
  // "YYYYMMDD-HHMMSS-SSSSSSS": the score is seven characters wide, its sign included.
  constexpr std::size_t kNamed = 23;
  long serial = 0;
  if (path.size() > kNamed + 1 && path[kNamed] == '-') {
    const std::string_view digits = path.substr(kNamed + 1);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), serial);
    if (error == std::errc() && end == digits.data() + digits.size())
      return {path.substr(0, kNamed), serial};
    serial = 0;
  }
  return {path, serial};
}

}  // namespace

bool KeptLater(std::string_view a, std::string_view b) {
  const auto [nameA, serialA] = NameAndSerial(a);
  const auto [nameB, serialB] = NameAndSerial(b);
  if (nameA != nameB) return nameA > nameB;
  return serialA > serialB;
}

std::string FreeReplayFileName(const Replay& replay,
                               const std::function<bool(const std::string&)>& taken) {
  std::string name = ReplayFileName(replay);
  for (int serial = 1; serial < 100 && taken(name); ++serial) name = ReplayFileName(replay, serial);
  return name;
}

namespace {

ShelfPlan PlanOf(const std::vector<ShelvedReplay>& newestFirst,
                 const std::array<RankEntry, RankingCount>& ranking) {
  std::vector<ShelfItem> items;
  items.reserve(newestFirst.size());
  for (const ShelvedReplay& entry : newestFirst)
    items.push_back({entry.Game->Name, entry.Game->Result});
  return PlanShelf(items, ranking);
}

}  // namespace

std::vector<ShelvedReplay> ShelfListing(std::vector<ShelvedReplay> newestFirst,
                                        const std::array<RankEntry, RankingCount>& ranking) {
  const ShelfPlan plan = PlanOf(newestFirst, ranking);
  std::vector<ShelvedReplay> listed;
  for (std::size_t i = 0; i < newestFirst.size(); ++i) {
    newestFirst[i].Place = plan.Place[i];
    if (plan.Keep[i]) listed.push_back(std::move(newestFirst[i]));
  }
  std::stable_sort(listed.begin(), listed.end(),
                   [](const ShelvedReplay& a, const ShelvedReplay& b) {
                     const int pa = a.Place < 0 ? RankingCount : a.Place,
                               pb = b.Place < 0 ? RankingCount : b.Place;
                     return pa < pb;
                   });
  return listed;
}

std::vector<ShelvedReplay> ShelfLeftOver(const std::vector<ShelvedReplay>& newestFirst,
                                         const std::array<RankEntry, RankingCount>& ranking) {
  const ShelfPlan plan = PlanOf(newestFirst, ranking);
  std::vector<ShelvedReplay> leftOver;
  for (std::size_t i = 0; i < newestFirst.size(); ++i) {
    if (!plan.Keep[i]) leftOver.push_back(newestFirst[i]);
  }
  return leftOver;
}

std::string PlayLength(uint32_t frames, int framePeriodMs) {
  const uint64_t seconds = uint64_t{frames} * static_cast<uint64_t>(framePeriodMs) / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                static_cast<unsigned long long>(seconds % 60));
  return text;
}

}  // namespace pelaryn
