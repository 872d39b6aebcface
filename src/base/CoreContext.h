#pragma once

#include "base/GameState.h"
#include "base/Platform.h"
#include "base/Random.h"

namespace pelaryn {

// What every rule may use besides drawing: the state, the one random source, and the platform
// for sound and music.
struct CoreContext {
  GameState& s;
  Random& random;
  Platform& platform;
};

}  // namespace pelaryn
