#include "frontend/clock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "frontend/textnumber.h"

namespace halberd::frontend {

TimeControl& timeControl() {
    static TimeControl control;
    return control;
}

void allocateTime(board::GameBoard& game, const TimeControl& control, int plyCounter, bool analyze) {
    game.depthLimit = NoDepthLimit;
    if (analyze) {
        game.targetTime = game.maxTime = AnalysisTenths;
        return;
    }
    if (control.depthLimit > 0) game.depthLimit = control.depthLimit;
    if (control.secondsPerMove > 0) {
        game.targetTime = game.maxTime = 10 * control.secondsPerMove;
        return;
    }
    const int clock = control.engineClock;
    if (control.movesPerPeriod > 0) {
        const int done = (plyCounter / 2) % control.movesPerPeriod;
        const int left = control.movesPerPeriod - done;
        const int cap = 2 * ((10 * control.baseSeconds) / control.movesPerPeriod);
        int t = std::max((clock - 10) / left, 1);
        t = std::max(std::min(t, cap), 1);
        game.targetTime = game.maxTime = t;
        if (left > 1) game.maxTime = t + t / 2;
        return;
    }
    const int inc = control.incrementTenths;
    const int t = std::max(clock / 30, 1);
    if (inc == 0 && control.baseSeconds <= 420) {
        game.targetTime = game.maxTime = t;
        if (clock > 59) game.maxTime = 2 * t;
        if (game.maxTime >= clock - 1) game.maxTime = std::max(clock - 1, 1);
        return;
    }
    game.targetTime = t + inc;
    if (2 * game.targetTime < clock - 20)
        game.maxTime = 2 * game.targetTime;
    else
        game.targetTime = game.maxTime = std::max(clock - 20, 1);
    if (inc < clock && clock <= 20) game.targetTime = game.maxTime = std::max(inc, 1);
}

bool applyLevel(TimeControl& control, std::string_view arguments) {
    const std::string text(arguments);
    control.incrementTenths = 0;
    control.secondsPerMove = 0;
    int moves = 0, minutes = 0, seconds = 0;
    // Interfaces send fractional increments ("level 0 0:10 0.1").
    double increment = 0;
    const auto tenths = [](double s) { return static_cast<int>(std::lround(10 * s)); };
    if (text.find(':') != std::string::npos) {
        const int n = std::sscanf(text.c_str(), "%d %d:%d %lf", &moves, &minutes, &seconds, &increment);
        if (n >= 1) control.movesPerPeriod = moves;
        if (n >= 3) control.baseSeconds = seconds + 60 * minutes;
        if (n >= 4) control.incrementTenths = tenths(increment);
        return n >= 3;
    }
    const int n = std::sscanf(text.c_str(), "%d %d %lf", &moves, &minutes, &increment);
    if (n >= 1) control.movesPerPeriod = moves;
    if (n >= 2) control.baseSeconds = 60 * minutes;
    if (n >= 3) control.incrementTenths = tenths(increment);
    return n >= 2;
}

void applyClock(int& clockTenths, std::string_view arguments) {
    const std::string text(arguments);
    int centiseconds = 0;
    if (std::sscanf(text.c_str(), "%d", &centiseconds) == 1 && centiseconds != 0) clockTenths = centiseconds / 10;
}

void applyDepthLimit(TimeControl& control, std::string_view arguments) {
    control.depthLimit = std::clamp(leadingInteger(arguments), 0, NoDepthLimit);
}

void applySecondsPerMove(TimeControl& control, std::string_view arguments) {
    // Up to a day a move keeps the tenths within an int.
    control.secondsPerMove = std::clamp(leadingInteger(arguments), 0, 86400);
}

}  // namespace halberd::frontend
