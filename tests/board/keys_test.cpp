#include "board/keys.h"

#include <gtest/gtest.h>

#include <random>

namespace hb = halberd::board;

TEST(KeyTables, FirstValuesMatchTheMersenneTwisterForSeed123456) {
    EXPECT_EQ(hb::KeyTableLow[0], 545331265u);
    EXPECT_EQ(hb::KeyTableLow[1], 2211535594u);
    EXPECT_EQ(hb::KeyTableLow[2], 4152021490u);
    EXPECT_EQ(hb::KeyTableHigh[0], 593589421u);
    EXPECT_EQ(hb::KeyTableHigh[1], 3192876840u);
    EXPECT_EQ(hb::KeyTableHigh[2], 4045509473u);
    // The compile-time generator agrees with the library's over the whole run.
    std::mt19937 reference(123456);
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(hb::KeyTableLow[i], reference()) << i;
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(hb::KeyTableHigh[i], reference()) << i;
}
