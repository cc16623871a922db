#pragma once
// The time control of the game (xboard "level", "time", "otim" and the UCI
// clocks) and the rule that turns it into the thinking time of one search.
#include <string_view>

#include "board/position.h"

namespace halberd::frontend {

struct TimeControl {
    int movesPerPeriod = 6;   // 0: the whole game
    int baseSeconds = 60;
    int incrementTenths = 0;
    int engineClock = 0;      // tenths of a second
    int opponentClock = 0;
    int depthLimit = 0;       // xboard "sd", UCI "go depth": deepest iteration, 0 for none
    int secondsPerMove = 0;   // xboard "st": a fixed time for every move, 0 for none
};

TimeControl& timeControl();

// 25,920,000 tenths: an analysis runs for thirty days.
constexpr int AnalysisTenths = 25920000;
constexpr int NoDepthLimit = 999;

// Sets targetTime, maxTime (tenths of a second) and the depth limit of the game
// for the next search.
void allocateTime(board::GameBoard& game, const TimeControl& control, int plyCounter, bool analyze);

// "LEVEL moves base increment" with the base in minutes or minutes:seconds;
// false (and the fields read so far kept) when too few numbers are given.
bool applyLevel(TimeControl& control, std::string_view arguments);
// "TIME n" / "OTIM n" in centiseconds; 0 changes nothing.
void applyClock(int& clockTenths, std::string_view arguments);
// "SD n" / "ST n": a positive number sets the limit, anything else removes it.
void applyDepthLimit(TimeControl& control, std::string_view arguments);
void applySecondsPerMove(TimeControl& control, std::string_view arguments);

}  // namespace halberd::frontend
