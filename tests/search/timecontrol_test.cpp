#include "search/timecontrol.h"

#include <gtest/gtest.h>

namespace halberd::search {
namespace {

TEST(TimeControl, SoftLimitStopsAtCheckUnlessTheScoreDropped) {
    clearScoreDrop();
    startClock(0, 1000);
    EXPECT_EQ(stopRequest.load(), 0);
    checkTime();
    EXPECT_TRUE(softTimeReached());
    EXPECT_EQ(stopRequest.load(), 1);

    updateScoreDrop(-200);
    EXPECT_TRUE(scoreDropped());
    startClock(0, 1000);
    checkTime();
    EXPECT_TRUE(softTimeReached());
    EXPECT_EQ(stopRequest.load(), 0) << "a score drop keeps the soft limit from stopping";
    clearScoreDrop();
}

TEST(TimeControl, HardLimitStopsEvenAfterAScoreDrop) {
    updateScoreDrop(-500);
    startClock(0, 0);
    checkTime();
    EXPECT_EQ(stopRequest.load(), 1);
    clearScoreDrop();
}

TEST(TimeControl, NothingHappensBeforeTheLimits) {
    clearScoreDrop();
    startClock(600, 600);
    checkTime();
    EXPECT_FALSE(softTimeReached());
    EXPECT_EQ(stopRequest.load(), 0);
    EXPECT_FALSE(iterationMayStop(0));
}

TEST(TimeControl, StartClockForgetsAnEarlierStopRequest) {
    stopRequest.store(1);
    startClock(600, 600);
    EXPECT_EQ(stopRequest.load(), 0);
}

TEST(TimeControl, ScoreDropThresholdIsAThirdOfAPawn) {
    updateScoreDrop(-159);
    EXPECT_FALSE(scoreDropped());
    updateScoreDrop(-160);
    EXPECT_TRUE(scoreDropped());
    updateScoreDrop(30);
    EXPECT_FALSE(scoreDropped());
}

TEST(TimeControl, IterationEndAfterTheSoftLimitDependsOnTheScoreChange) {
    clearScoreDrop();
    startClock(0, 1000);
    checkTime();
    stopRequest.store(0);
    EXPECT_TRUE(iterationMayStop(-100));
    EXPECT_TRUE(iterationMayStop(-159));
    EXPECT_FALSE(iterationMayStop(-200)) << "a big drop earns another iteration";
    stopRequest.store(1);
    EXPECT_TRUE(iterationMayStop(-200));
    stopRequest.store(0);
}

TEST(TimeControl, ClockIsMonotonic) {
    const std::uint32_t a = nowMillis();
    const std::uint32_t b = nowMillis();
    EXPECT_LE(b - a, 1000u);
}

}  // namespace
}  // namespace halberd::search
