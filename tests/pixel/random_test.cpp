#include "pixel/random.h"

#include <gtest/gtest.h>

TEST(RandomTest, SequenceFromTheStartingState) {
  const std::uint32_t saved = RandomState;
  RandomState = 1;
  const std::int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
  for (std::int32_t value : expected) EXPECT_EQ(NextRandom(), value);
  RandomState = saved;
}
