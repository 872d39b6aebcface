#include "base/Random.h"

#include <gtest/gtest.h>

namespace pelaryn {

TEST(Random, FollowsTheReferenceGenerators) {
  // splitmix64 started from 0 and xoshiro256** started from {1, 2, 3, 4}: published values.
  uint64_t x = 0;
  EXPECT_EQ(SplitMix64(x), 0xe220a8397b1dcdafULL);
  Random r = Random::FromState({1, 2, 3, 4});
  EXPECT_EQ(r.NextRaw(), 11520u);
  EXPECT_EQ(r.NextRaw(), 0u);
  EXPECT_EQ(r.NextRaw(), 1509978240u);
  EXPECT_EQ(r.NextRaw(), 1215971899390074240u);
}

TEST(Random, EveryRunDrawsTheSameUniformSequenceAndCountsIt) {
  Random a, b;
  double sum = 0;
  for (int i = 0; i < 100000; ++i) {
    const double v = a.Next();
    ASSERT_EQ(v, b.Next());
    ASSERT_GE(v, 0.0);
    ASSERT_LT(v, 1.0);
    sum += v;
  }
  EXPECT_NEAR(sum / 100000, 0.5, 0.01);
  EXPECT_EQ(a.Draws(), 100000u);
}

}  // namespace pelaryn
