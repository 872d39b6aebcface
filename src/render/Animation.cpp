#include "render/Animation.h"

#include "base/Arith.h"

namespace pelaryn {

void AdvanceAnimationClock(GameState& s) {
  s.BlinkPhase = Sat16(s.BlinkPhase + s.BlinkStep);
  if (s.BlinkPhase < 1) s.BlinkStep = 1;
  if (s.BlinkPhase > 10) s.BlinkStep = -1;
  s.BlinkFrame = s.BlinkPhase > 5 ? 1 : 0;
}

}  // namespace pelaryn
