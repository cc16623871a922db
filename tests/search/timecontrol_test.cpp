#include "search/timecontrol.h"

#include <gtest/gtest.h>

#include "search/search.h"

namespace halberd::search {
namespace {

TEST(TimeControl, SoftLimitStopsAtCheckUnlessTheScoreDropped) {
    clearScoreDrop();
    startClock(0, 1000);
    EXPECT_EQ(stopRequest.load(), 0);
    checkTime(0);
    EXPECT_TRUE(softTimeReached());
    EXPECT_EQ(stopRequest.load(), 1);

    updateScoreDrop(-200);
    EXPECT_TRUE(scoreDropped());
    startClock(0, 1000);
    checkTime(0);
    EXPECT_TRUE(softTimeReached());
    EXPECT_EQ(stopRequest.load(), 0) << "a score drop keeps the soft limit from stopping";
    clearScoreDrop();
}

TEST(TimeControl, HardLimitStopsEvenAfterAScoreDrop) {
    updateScoreDrop(-500);
    startClock(0, 0);
    checkTime(0);
    EXPECT_EQ(stopRequest.load(), 1);
    clearScoreDrop();
}

TEST(TimeControl, NothingHappensBeforeTheLimits) {
    clearScoreDrop();
    startClock(600, 600);
    checkTime(0);
    EXPECT_FALSE(softTimeReached());
    EXPECT_EQ(stopRequest.load(), 0);
    EXPECT_FALSE(iterationMayStop(0, 0));
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
    // The root records the iteration's score change, then asks.
    const auto iterationEnds = [](int change) {
        startClock(0, 1000);
        updateScoreDrop(change);
        return iterationMayStop(change, 0);
    };
    EXPECT_TRUE(iterationEnds(-100));
    EXPECT_TRUE(iterationEnds(-159));
    EXPECT_FALSE(iterationEnds(-200)) << "a big drop earns another iteration";
    EXPECT_EQ(stopRequest.load(), 0);
    stopRequest.store(1);
    EXPECT_TRUE(iterationMayStop(-200, 0));
    stopRequest.store(0);
    clearScoreDrop();
}

TEST(TimeControl, IterationEndReadsTheClock) {
    clearScoreDrop();
    startClock(0, 1000);
    EXPECT_TRUE(iterationMayStop(0, 0)) << "the soft limit has passed without any periodic check";
    startClock(600, 600);
    EXPECT_FALSE(iterationMayStop(0, 0));
}

TEST(TimeControl, ShortBudgetsAreCheckedMoreOften) {
    startClock(1, 1);
    EXPECT_EQ(checkInterval(), MinCheckInterval);
    startClock(2000, 20000);
    EXPECT_EQ(checkInterval(), 100000);
    startClock(60000, 100000);
    EXPECT_EQ(checkInterval(), CheckInterval);
    startClock(UnlimitedMillis, UnlimitedMillis);
    EXPECT_EQ(checkInterval(), CheckInterval);
    // A node budget is looked at a hundred times on its way.
    setNodeLimit(20000);
    startClock(UnlimitedMillis, UnlimitedMillis);
    EXPECT_EQ(checkInterval(), 200);
    setNodeLimit(0);
}

TEST(TimeControl, NodeBudgetStopsAtTheCheck) {
    clearScoreDrop();
    setNodeLimit(1000);
    startClock(UnlimitedMillis, UnlimitedMillis);
    checkTime(999);
    EXPECT_EQ(stopRequest.load(), 0);
    checkTime(1000);
    EXPECT_EQ(stopRequest.load(), 1);
    setNodeLimit(0);
    stopRequest.store(0);
}

TEST(TimeControl, PonderingIgnoresTheClockUntilPonderHit) {
    clearScoreDrop();
    setPondering(true);
    startClock(0, 0);
    checkTime(0);
    EXPECT_EQ(stopRequest.load(), 0) << "no time limit while pondering";
    EXPECT_FALSE(iterationMayStop(0, 0));
    // The hit gives the limits, counted from now.
    ponderHit(60000, 60000);
    EXPECT_FALSE(pondering());
    checkTime(0);
    EXPECT_EQ(stopRequest.load(), 0);
    ponderHit(0, 0);
    checkTime(0);
    EXPECT_EQ(stopRequest.load(), 1);
    stopRequest.store(0);
}

TEST(TimeControl, ClockIsMonotonic) {
    const std::uint32_t a = nowMillis();
    const std::uint32_t b = nowMillis();
    EXPECT_LE(b - a, 1000u);
}

}  // namespace
}  // namespace halberd::search
