#include "frontend/clock.h"

#include <gtest/gtest.h>

#include <limits>

#include "search/timecontrol.h"

namespace halberd::frontend {
namespace {

// The budget in tenths of a second, the unit of the xboard rules.
struct Tenths {
    std::int64_t target;
    std::int64_t max;
};

Tenths budget(const TimeControl& control, int plyCounter = -1) {
    const Budget b = allocateTime(control, plyCounter, false);
    EXPECT_EQ(b.depth, NoDepthLimit);
    EXPECT_EQ(b.softMs % 100, 0);
    return {b.softMs / 100, b.hardMs / 100};
}

TEST(Clock, LevelForms) {
    TimeControl control;
    EXPECT_TRUE(applyLevel(control, " 40 5 0"));
    EXPECT_EQ(control.movesPerPeriod, 40);
    EXPECT_EQ(control.baseSeconds, 300);
    EXPECT_EQ(control.incrementTenths, 0);
    EXPECT_TRUE(applyLevel(control, " 0 2 12"));
    EXPECT_EQ(control.movesPerPeriod, 0);
    EXPECT_EQ(control.baseSeconds, 120);
    EXPECT_EQ(control.incrementTenths, 120);
    EXPECT_TRUE(applyLevel(control, " 40 0:30 0"));
    EXPECT_EQ(control.baseSeconds, 30);
    EXPECT_TRUE(applyLevel(control, " 0 1:30 2"));
    EXPECT_EQ(control.baseSeconds, 90);
    EXPECT_EQ(control.incrementTenths, 20);
    EXPECT_TRUE(applyLevel(control, " 0 0:10 0.1"));
    EXPECT_EQ(control.baseSeconds, 10);
    EXPECT_EQ(control.incrementTenths, 1) << "a fractional increment is not lost";
    EXPECT_TRUE(applyLevel(control, " 0 0:02 0.02"));
    EXPECT_EQ(control.incrementMs, 20);
    EXPECT_TRUE(applyLevel(control, " 0 3 2.5"));
    EXPECT_EQ(control.incrementTenths, 25);
}

TEST(Clock, BadLevelKeepsWhatWasRead) {
    TimeControl control;
    control.incrementTenths = 50;
    EXPECT_FALSE(applyLevel(control, " 30"));
    EXPECT_EQ(control.movesPerPeriod, 30);
    EXPECT_EQ(control.baseSeconds, 60);
    EXPECT_EQ(control.incrementTenths, 0) << "the increment is cleared first";
    EXPECT_FALSE(applyLevel(control, " 20 5:"));
    EXPECT_EQ(control.movesPerPeriod, 20);
    EXPECT_FALSE(applyLevel(control, ""));
}

TEST(Clock, TimeAndOtimIgnoreZero) {
    int clock = 77;
    applyClock(clock, " 0");
    EXPECT_EQ(clock, 77);
    applyClock(clock, " 3000");
    EXPECT_EQ(clock, 300);
    applyClock(clock, " 15");
    EXPECT_EQ(clock, 1);
}

TEST(Clock, PeriodControl) {
    TimeControl control{40, 300, 0, 3000, 0};
    Tenths b = budget(control);
    EXPECT_EQ(b.target, 74);
    EXPECT_EQ(b.max, 111);
    // The last move of the period may use the whole clock, with no extra.
    control.engineClock = 100;
    b = budget(control, 2 * 39);
    EXPECT_EQ(b.target, 90);
    EXPECT_EQ(b.max, 90);
    // The cap is twice the average share of the base time.
    control.engineClock = 100000;
    b = budget(control);
    EXPECT_EQ(b.target, 150);
    // An empty clock still thinks a tenth.
    control.engineClock = 0;
    b = budget(control);
    EXPECT_EQ(b.target, 1);
    EXPECT_EQ(b.max, 1);
}

TEST(Clock, WholeGameWithoutIncrement) {
    TimeControl control{0, 300, 0, 3000, 0};
    Tenths b = budget(control);
    EXPECT_EQ(b.target, 100);
    EXPECT_EQ(b.max, 200);
    control.engineClock = 40;
    b = budget(control);
    EXPECT_EQ(b.target, 1);
    EXPECT_EQ(b.max, 1);
    control.engineClock = 90;
    b = budget(control);
    EXPECT_EQ(b.target, 3);
    EXPECT_EQ(b.max, 6);
}

// The tenths rules think at least a tenth a move: a game of two seconds and
// 20 ms a move would spend five increments a move and lose on time. Below
// three seconds the clock is shared in milliseconds, and no move plans on more
// than the clock holds.
TEST(Clock, FastGamesLiveOnTheirIncrement) {
    struct Case {
        const char* level;
        const char* time;
        std::int64_t softMs, hardMs;
    };
    for (const Case& c : {Case{" 0 0:02 0.02", " 200", 80, 320}, Case{" 0 0:02 0.02", " 15", 18, 25},
                          Case{" 0 0:02 0.02", " 5", 1, 1}, Case{" 0 0:10 0.1", " 1000", 400, 800},
                          Case{" 40 0:30 0", " 9", 40, 40}, Case{" 0 5 0", " 30000", 10000, 20000}}) {
        TimeControl control;
        ASSERT_TRUE(applyLevel(control, c.level));
        const auto millis = applyClock(control.engineClock, c.time);
        ASSERT_TRUE(millis.has_value());
        control.engineClockMs = *millis;
        const Budget b = allocateTime(control, 10, false);
        EXPECT_EQ(b.softMs, c.softMs) << c.level << " time" << c.time;
        EXPECT_EQ(b.hardMs, c.hardMs) << c.level << " time" << c.time;
        EXPECT_EQ(b.bookPauseMs, std::min<std::int64_t>(300, c.softMs)) << c.level << " time" << c.time;
    }
}

TEST(Clock, WholeGameWithIncrementOrLongBase) {
    TimeControl control{0, 120, 120, 3000, 0};
    Tenths b = budget(control);
    EXPECT_EQ(b.target, 220);
    EXPECT_EQ(b.max, 440);
    control = {0, 120, 20, 15, 0};
    b = budget(control);
    EXPECT_EQ(b.target, 1);
    EXPECT_EQ(b.max, 1);
    control = {0, 120, 10, 15, 0};
    b = budget(control);
    EXPECT_EQ(b.target, 10) << "a low clock plays on the increment";
    EXPECT_EQ(b.max, 10);
    control = {0, 600, 0, 6000, 0};
    b = budget(control);
    EXPECT_EQ(b.target, 200);
    EXPECT_EQ(b.max, 400);
}

TEST(Clock, AnalysisIsEndless) {
    TimeControl control;
    applyDepthLimit(control, " 4");
    const Budget b = allocateTime(control, 5, true);
    EXPECT_EQ(b.softMs, search::UnlimitedMillis);
    EXPECT_EQ(b.hardMs, search::UnlimitedMillis);
    EXPECT_EQ(b.depth, NoDepthLimit) << "analysis ignores sd";
}

TEST(Clock, DepthLimitAndFixedSecondsPerMove) {
    TimeControl control;
    applyDepthLimit(control, " 7");
    applySecondsPerMove(control, " 3");
    control.engineClock = 20;  // the clock does not matter with a fixed time
    const Budget b = allocateTime(control, 5, false);
    EXPECT_EQ(b.depth, 7);
    // The engine's own overhead comes off a fixed time, so that the move is in before it runs out.
    EXPECT_EQ(b.softMs, 3000 - DefaultMoveOverheadMs);
    EXPECT_EQ(b.hardMs, 3000 - DefaultMoveOverheadMs);
    EXPECT_EQ(fixedMoveMillis(100), 90);
    EXPECT_EQ(fixedMoveMillis(1), 1);
    // A level returns to the clock; sd 0 or a stray word lifts the depth limit.
    ASSERT_TRUE(applyLevel(control, " 40 5 0"));
    EXPECT_EQ(control.secondsPerMove, 0);
    for (const char* words : {" 0", " x", " -4"}) {
        applyDepthLimit(control, words);
        EXPECT_EQ(control.depthLimit, 0) << words;
    }
}

// Numbers from hostile or careless input are held to sane ranges where they
// are read, and the rules compute in 64 bits: no overflow, and a budget that
// fits the clock that was given.
TEST(Clock, HugeAndNegativeNumbersStayInRange) {
    TimeControl control;
    EXPECT_TRUE(applyLevel(control, " 0 50000000 0"));
    EXPECT_EQ(control.baseSeconds, MaxBaseSeconds);
    EXPECT_TRUE(applyLevel(control, " 40 40000000:0 0"));
    EXPECT_EQ(control.baseSeconds, MaxBaseSeconds);
    EXPECT_TRUE(applyLevel(control, " 99999999999 5 -3"));
    EXPECT_EQ(control.movesPerPeriod, MaxMovesPerPeriod);
    EXPECT_EQ(control.incrementTenths, 0);
    EXPECT_TRUE(applyLevel(control, " 0 5 200000000"));
    EXPECT_EQ(control.incrementTenths, MaxIncrementTenths);
    applyClock(control.engineClock, " 99999999999999");
    EXPECT_EQ(control.engineClock, MaxClockTenths);
    applyClock(control.engineClock, " -500");
    EXPECT_EQ(control.engineClock, 0);

    // 40 moves in 35791394 minutes with a minute left: the minute is shared out.
    ASSERT_TRUE(applyLevel(control, " 40 35791394 0"));
    applyClock(control.engineClock, " 6000");
    Tenths b = budget(control);
    EXPECT_EQ(b.target, 14);
    EXPECT_EQ(b.max, 21);
    ASSERT_TRUE(applyLevel(control, " 0 5 200000000"));
    control.engineClock = MaxClockTenths;
    b = budget(control);
    EXPECT_GT(b.target, 0);
    EXPECT_LE(b.max, MaxClockTenths);
}

TEST(Clock, UciSharesTheClockAsSuddenDeathOrOverTheMovesToGo) {
    // A minute, no increment: a thirtieth of the clock less the overhead.
    Budget b = uciClockBudget(60000, 0, 0);
    EXPECT_EQ(b.softMs, (60000 - DefaultMoveOverheadMs) / 30);
    EXPECT_EQ(b.hardMs, 4 * b.softMs);
    // Most of the increment is spent too.
    b = uciClockBudget(60000, 1000, 0);
    EXPECT_EQ(b.softMs, (60000 - DefaultMoveOverheadMs) / 30 + 750);
    // Forty moves to go share the clock; the last one may use all of it but the overhead.
    b = uciClockBudget(300000, 0, 40);
    EXPECT_EQ(b.softMs, (300000 - DefaultMoveOverheadMs) / 40);
    b = uciClockBudget(2000, 0, 1);
    EXPECT_EQ(b.softMs, 2000 - DefaultMoveOverheadMs);
    EXPECT_EQ(b.hardMs, 2000 - DefaultMoveOverheadMs);
    // Nearly out of time: never more than a quarter of what is left.
    b = uciClockBudget(200, 100, 0);
    EXPECT_LE(b.hardMs, (200 - DefaultMoveOverheadMs) / 4);
    EXPECT_LE(b.softMs, b.hardMs);
    b = uciClockBudget(0, 0, 0);
    EXPECT_EQ(b.hardMs, 1);
    b = uciClockBudget(MaxClockMillis, MaxClockMillis, MaxMovesPerPeriod);
    EXPECT_GT(b.softMs, 0);
    EXPECT_LE(b.hardMs, MaxClockMillis);
}

}  // namespace
}  // namespace halberd::frontend
