#include "player/Scroll.h"

#include <cstdlib>

#include "base/Arith.h"

namespace pelaryn {
namespace {

void LimitTo20(int16_t& speed) {
  if (std::abs(speed) > 20) speed = static_cast<int16_t>(20 * Sign(int64_t{speed}));
}

}  // namespace

int16_t GuriguriStep(int16_t speed, double r) {
  const float rf = static_cast<float>(r);
  return Sat16(RoundF(static_cast<float>(speed) - 6.0f * rf + 3.0f));
}

void Guriguri(GameState& s, Random& random) {
  BackSettingRecord& b = s.BackSetting;
  b.ScrollYoko = GuriguriStep(b.ScrollYoko, random.Next());
  b.ScrollTate = GuriguriStep(b.ScrollTate, random.Next());
  LimitTo20(b.ScrollTate);
  LimitTo20(b.ScrollYoko);
}

void InertiaDecay(GameState& s) {
  BackSettingRecord& b = s.BackSetting;
  b.ScrollYoko = static_cast<int16_t>(b.ScrollYoko - Sign(int64_t{b.ScrollYoko}));
  b.ScrollTate = static_cast<int16_t>(b.ScrollTate - Sign(int64_t{b.ScrollTate}));
}

}  // namespace pelaryn
