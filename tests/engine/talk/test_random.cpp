#include "talk/clock.h"
#include "talk/random.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace besedka {
namespace {

TEST(Random, FollowsTheLinearCongruentialSequence) {
    Random random(0);
    EXPECT_EQ(random.below(10), 0);
    EXPECT_EQ(random.seed(), 1u);
    EXPECT_EQ(random.below(6), 0);
    EXPECT_EQ(random.seed(), 134775814u);
    EXPECT_EQ(random.below(1000), 861);
    EXPECT_EQ(random.seed(), 3698175007u);
    EXPECT_EQ(random.below(90), 18);
}

TEST(Random, ADrawBelowZeroGivesZeroAndStillAdvances) {
    Random random(5);
    EXPECT_EQ(random.below(0), 0);
    EXPECT_EQ(random.seed(), 5u * 134775813u + 1u);
}

TEST(Random, RangeRedrawsBelowItsLowEnd) {
    Random random(12345);
    for (int i = 0; i < 2000; ++i) {
        const int value = random.range(60, 90);
        ASSERT_GE(value, 60);
        ASSERT_LE(value, 90);
    }
    Random six(12345); // the first draws of 1..6 from this seed
    EXPECT_EQ(six.range(1, 6), 3);
    EXPECT_EQ(six.range(1, 6), 2);
}

TEST(Random, RangeReseededBeforeEveryDrawEndsWithAFakeClock) {
    FakeClock clock(1000);
    Random random;
    for (int i = 0; i < 200; ++i) {
        const int value = random.range(125, 250, &clock);
        ASSERT_GE(value, 125);
        ASSERT_LE(value, 250);
    }
    EXPECT_EQ(clock.reads(), 200u);
}

// The redraw loop as written with a clock read before every draw.
int rangeReadingTheClockEachDraw(Random& random, int low, int high, Clock& clock) {
    int value = 0;
    do {
        random.reseed(clock);
        value = random.below(high) + 1;
    } while (value < low);
    return value;
}

TEST(Random, ReseededRangeGivesWhatAClockReadAtEveryDrawGives) {
    // A clock that moves one millisecond per read shows every millisecond in
    // turn, like a real clock under a loop that re-reads it.
    for (std::uint32_t start : {0u, 1000u, 43200000u, 86399990u}) {
        for (int k = 0; k < 50; ++k) {
            FakeClock reading((start + static_cast<std::uint32_t>(k) * 977u) % 86400000u);
            FakeClock once((start + static_cast<std::uint32_t>(k) * 977u) % 86400000u);
            Random a, b;
            ASSERT_EQ(rangeReadingTheClockEachDraw(a, 60, 90, reading), b.range(60, 90, &once));
            ASSERT_EQ(a.seed(), b.seed()) << "later draws continue alike";
            EXPECT_EQ(once.reads(), 1u);
        }
    }
}

TEST(Clock, FakeClockAdvancesOneMillisecondPerRead) {
    FakeClock clock(86399999);
    EXPECT_EQ(clock.millisecondsSinceMidnight(), 86399999u);
    EXPECT_EQ(clock.millisecondsSinceMidnight(), 0u); // wraps at midnight
    EXPECT_EQ(clock.millisecondsSinceMidnight(), 1u);
}

TEST(Clock, EnvironmentSelectsTheFakeClock) {
    ::setenv("BESEDKA_CLOCK", "43200000", 1);
    auto fake = clockFromEnvironment();
    EXPECT_EQ(fake->millisecondsSinceMidnight(), 43200000u);
    EXPECT_EQ(fake->millisecondsSinceMidnight(), 43200001u);
    EXPECT_EQ(fake->localNow().hour, 12);
    ::setenv("BESEDKA_CLOCK", "soon", 1);
    EXPECT_NE(dynamic_cast<SystemClock*>(clockFromEnvironment().get()), nullptr);
    ::unsetenv("BESEDKA_CLOCK");
    EXPECT_LT(clockFromEnvironment()->millisecondsSinceMidnight(), 86400000u);
}

} // namespace
} // namespace besedka
