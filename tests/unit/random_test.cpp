// Tests of the mascot's random generator.
#include "mascot/random.h"

#include <gtest/gtest.h>

TEST(RandomTest, KnownSeedsGiveKnownSequences) {
    SeedRandom(1);
    EXPECT_EQ(NextRandom(), 41);
    EXPECT_EQ(NextRandom(), 18467);
    EXPECT_EQ(NextRandom(), 6334);
    SeedRandom(0);
    EXPECT_EQ(NextRandom(), 38);
}

TEST(RandomTest, StateWrapsAndResultsStayInRange) {
    SeedRandom(0xFFFFFFFFu);
    int32_t first = NextRandom();
    SeedRandom(0xFFFFFFFFu);
    EXPECT_EQ(NextRandom(), first) << "same seed, same sequence";
    for (int i = 0; i < 100000; i++) {
        int32_t value = NextRandom();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}
