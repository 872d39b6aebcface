#pragma once

#include <cstdint>
#include <optional>

namespace pelaryn {

// A piece that ends as soon as it starts (a file the player reads but cannot play, a piece of
// silence) is asked for again every frame; each start resets the synthesiser. The gate lets a
// piece start again only once a second has passed since its last start, which a piece that
// really plays always has.
class RestartGate {
 public:
  static constexpr int64_t MinimumMicros = 1'000'000;

  // A start of the piece at `nowMicros`, on any monotonic clock.
  void Started(int64_t nowMicros) { lastStart_ = nowMicros; }
  // Whether the piece, having ended, may start again at `nowMicros`.
  bool MayRestart(int64_t nowMicros) const {
    return !lastStart_ || nowMicros - *lastStart_ >= MinimumMicros;
  }

 private:
  std::optional<int64_t> lastStart_;
};

}  // namespace pelaryn
