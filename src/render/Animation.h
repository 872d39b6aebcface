#pragma once

#include "base/GameState.h"

namespace pelaryn {

// The global two-frame animation clock: BlinkPhase swings 0…11…0 (22 frames a period) and
// BlinkFrame is 1 for the phases 6 to 11.
void AdvanceAnimationClock(GameState& s);

}  // namespace pelaryn
