#include "frontend/clock.h"

#include <gtest/gtest.h>

namespace halberd::frontend {
namespace {

struct Budget {
    int target;
    int max;
};

Budget budget(const TimeControl& control, int plyCounter = -1) {
    board::GameBoard game;
    allocateTime(game, control, plyCounter, false);
    EXPECT_EQ(game.depthLimit, NoDepthLimit);
    return {game.targetTime, game.maxTime};
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
    Budget b = budget(control);
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
    Budget b = budget(control);
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

TEST(Clock, WholeGameWithIncrementOrLongBase) {
    TimeControl control{0, 120, 120, 3000, 0};
    Budget b = budget(control);
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
    board::GameBoard game;
    TimeControl control;
    applyDepthLimit(control, " 4");
    allocateTime(game, control, 5, true);
    EXPECT_EQ(game.targetTime, AnalysisTenths);
    EXPECT_EQ(game.maxTime, AnalysisTenths);
    EXPECT_EQ(game.depthLimit, NoDepthLimit) << "analysis ignores sd";
}

TEST(Clock, DepthLimitAndFixedSecondsPerMove) {
    board::GameBoard game;
    TimeControl control;
    applyDepthLimit(control, " 7");
    applySecondsPerMove(control, " 3");
    control.engineClock = 20;  // the clock does not matter with a fixed time
    allocateTime(game, control, 5, false);
    EXPECT_EQ(game.depthLimit, 7);
    EXPECT_EQ(game.targetTime, 30);
    EXPECT_EQ(game.maxTime, 30);
    // A level returns to the clock; sd 0 or a stray word lifts the depth limit.
    ASSERT_TRUE(applyLevel(control, " 40 5 0"));
    EXPECT_EQ(control.secondsPerMove, 0);
    for (const char* words : {" 0", " x", " -4"}) {
        applyDepthLimit(control, words);
        EXPECT_EQ(control.depthLimit, 0) << words;
    }
}

}  // namespace
}  // namespace halberd::frontend
