#include "search/timecontrol.h"

#include <gtest/gtest.h>

#include "search/search.h"
#include "search/session.h"

namespace halberd::search {
namespace {

SearchLimits nodeBudget(std::uint64_t nodes) {
    SearchLimits limits;
    limits.nodes = nodes;
    return limits;
}

TEST(TimeControl, SoftLimitStopsAtCheckUnlessTheScoreDropped) {
    Session plain;
    startClock(plain, 0, 1000);
    EXPECT_FALSE(plain.stopped());
    checkTime(plain, 0);
    EXPECT_TRUE(plain.clock.softReached);
    EXPECT_TRUE(plain.stopped());

    Session dropped;
    updateScoreDrop(dropped.clock, -200);
    EXPECT_TRUE(dropped.clock.scoreDropped);
    startClock(dropped, 0, 1000);
    checkTime(dropped, 0);
    EXPECT_TRUE(dropped.clock.softReached);
    EXPECT_FALSE(dropped.stopped()) << "a score drop keeps the soft limit from stopping";
}

TEST(TimeControl, HardLimitStopsEvenAfterAScoreDrop) {
    Session session;
    updateScoreDrop(session.clock, -500);
    startClock(session, 0, 0);
    checkTime(session, 0);
    EXPECT_TRUE(session.stopped());
}

TEST(TimeControl, NothingHappensBeforeTheLimits) {
    Session session;
    startClock(session, 600, 600);
    checkTime(session, 0);
    EXPECT_FALSE(session.clock.softReached);
    EXPECT_FALSE(session.stopped());
    EXPECT_FALSE(iterationMayStop(session, 0, 0));
}

TEST(TimeControl, AStopBeforeTheClockStartsStays) {
    Session session;
    session.requestStop();
    startClock(session, 600, 600);
    EXPECT_TRUE(session.stopped());
}

TEST(TimeControl, ScoreDropThresholdIsAThirdOfAPawn) {
    SearchClock clock;
    updateScoreDrop(clock, -159);
    EXPECT_FALSE(clock.scoreDropped);
    updateScoreDrop(clock, -160);
    EXPECT_TRUE(clock.scoreDropped);
    updateScoreDrop(clock, 30);
    EXPECT_FALSE(clock.scoreDropped);
}

TEST(TimeControl, IterationEndAfterTheSoftLimitDependsOnTheScoreChange) {
    // The root records the iteration's score change, then asks.
    const auto iterationEnds = [](int change) {
        Session session;
        startClock(session, 0, 1000);
        updateScoreDrop(session.clock, change);
        const bool ends = iterationMayStop(session, change, 0);
        EXPECT_EQ(session.stopped(), change >= -159);
        return ends;
    };
    EXPECT_TRUE(iterationEnds(-100));
    EXPECT_TRUE(iterationEnds(-159));
    EXPECT_FALSE(iterationEnds(-200)) << "a big drop earns another iteration";
    Session stopped;
    stopped.requestStop();
    EXPECT_TRUE(iterationMayStop(stopped, -200, 0));
}

TEST(TimeControl, IterationEndReadsTheClock) {
    Session late;
    startClock(late, 0, 1000);
    EXPECT_TRUE(iterationMayStop(late, 0, 0)) << "the soft limit has passed without any periodic check";
    Session early;
    startClock(early, 600, 600);
    EXPECT_FALSE(iterationMayStop(early, 0, 0));
}

TEST(TimeControl, ShortBudgetsAreCheckedMoreOften) {
    Session session;
    startClock(session, 1, 1);
    EXPECT_EQ(session.clock.interval, MinCheckInterval);
    startClock(session, 2000, 20000);
    EXPECT_EQ(session.clock.interval, 100000);
    startClock(session, 60000, 100000);
    EXPECT_EQ(session.clock.interval, CheckInterval);
    startClock(session, UnlimitedMillis, UnlimitedMillis);
    EXPECT_EQ(session.clock.interval, CheckInterval);
    // A node budget is looked at a hundred times on its way.
    Session budget(nodeBudget(20000));
    startClock(budget, UnlimitedMillis, UnlimitedMillis);
    EXPECT_EQ(budget.clock.interval, 200);
}

TEST(TimeControl, NodeBudgetStopsAtTheCheck) {
    Session session(nodeBudget(1000));
    startClock(session, UnlimitedMillis, UnlimitedMillis);
    checkTime(session, 999);
    EXPECT_FALSE(session.stopped());
    checkTime(session, 1000);
    EXPECT_TRUE(session.stopped());
}

TEST(TimeControl, PonderingIgnoresTheClockUntilPonderHit) {
    SearchLimits limits;
    limits.ponder = true;
    Session session(limits);
    startClock(session, 0, 0);
    checkTime(session, 0);
    EXPECT_FALSE(session.stopped()) << "no time limit while pondering";
    EXPECT_FALSE(iterationMayStop(session, 0, 0));
    // The hit gives the limits, counted from now.
    session.ponderHit(60000, 60000);
    EXPECT_FALSE(session.pondering());
    checkTime(session, 0);
    EXPECT_FALSE(session.stopped());
    session.ponderHit(0, 0);
    checkTime(session, 0);
    EXPECT_TRUE(session.stopped());
}

TEST(TimeControl, ClockIsMonotonic) {
    const std::uint32_t a = nowMillis();
    const std::uint32_t b = nowMillis();
    EXPECT_LE(b - a, 1000u);
}

}  // namespace
}  // namespace halberd::search
