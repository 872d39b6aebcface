#pragma once

#include "base/GameState.h"
#include "base/Random.h"

namespace pelaryn {

// ぐりぐり: both scroll speeds wander by -3..+3 a frame, in single precision, within -20..20.
void Guriguri(GameState& s, Random& random);

// One step of that walk for one speed and one draw r (before the limit).
int16_t GuriguriStep(int16_t speed, double r);

// 慣性: every call moves both scroll speeds one step towards zero.
void InertiaDecay(GameState& s);

}  // namespace pelaryn
