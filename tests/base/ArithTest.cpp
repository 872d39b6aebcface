#include "base/Arith.h"

#include <gtest/gtest.h>

namespace pelaryn {

TEST(Arith, RoundsHalfwayCasesToEvenAndSaturatesStores) {
  EXPECT_EQ(Round(4.5), 4);
  EXPECT_EQ(Round(5.5), 6);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(2.5000001), 3);
  EXPECT_EQ(RoundF(1.5f), 2);
  EXPECT_EQ(Round(std::nan("")), 0);
  EXPECT_GT(Round(1e300), 0);

  EXPECT_EQ(Sat16(32767), 32767);
  EXPECT_EQ(Sat16(32768), 32767);
  EXPECT_EQ(Sat16(-40000), -32768);
  EXPECT_EQ(Sat32(int64_t{1} << 40), INT32_MAX);
  EXPECT_EQ(Floor(-0.5), -1);
  EXPECT_EQ(Sign(int64_t{-7}), -1);
  EXPECT_EQ(Sign(0.0), 0);
}

}  // namespace pelaryn
