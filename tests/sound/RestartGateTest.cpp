#include "platform/sound/RestartGate.h"

#include <gtest/gtest.h>

namespace {

TEST(RestartGate, APieceThatEndsStartsAgainOnlyASecondAfterItsLastStart) {
  pelaryn::RestartGate gate;
  EXPECT_TRUE(gate.MayRestart(-5));  // never started: nothing to hold back
  gate.Started(2'000'000);
  EXPECT_FALSE(gate.MayRestart(2'000'000));
  EXPECT_FALSE(gate.MayRestart(2'999'999));
  EXPECT_TRUE(gate.MayRestart(3'000'000));
  gate.Started(3'000'000);
  EXPECT_FALSE(gate.MayRestart(3'500'000));
  EXPECT_TRUE(gate.MayRestart(60'000'000));
}

}  // namespace
