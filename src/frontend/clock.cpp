#include "frontend/clock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "frontend/textnumber.h"
#include "search/timecontrol.h"

namespace halberd::frontend {

namespace {

constexpr std::int64_t MillisPerTenth = 100;
// Sudden death shares the clock over this many moves.
constexpr std::int64_t SuddenDeathHorizon = 30;
constexpr std::int64_t MaxMovesToGoHorizon = 50;
// The hard limit is at most this many soft limits.
constexpr std::int64_t HardPerSoft = 4;
constexpr std::int64_t MaxClockShare = 4;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The integer at the front of the text after blanks, which is then consumed;
// nothing (and nothing consumed) when no digit is there.
std::optional<std::int64_t> takeInteger(std::string_view& text) {
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    std::size_t digits = pos;
    if (digits < text.size() && (text[digits] == '-' || text[digits] == '+')) ++digits;
    std::size_t end = digits;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end == digits) return std::nullopt;
    const std::int64_t value = leadingInteger64(text.substr(pos, end - pos));
    text.remove_prefix(end);
    return value;
}

// A number of seconds with an optional fraction ("0.1"), in milliseconds.
std::optional<std::int64_t> takeSecondsAsMillis(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    const std::string word(text.substr(0, text.find_first_of(" \t")));
    char* end = nullptr;
    const double seconds = std::strtod(word.c_str(), &end);
    if (end == word.c_str()) return std::nullopt;
    // Not-a-number and negative increments are none; huge ones are a day.
    const double bounded = seconds > 0 ? std::min(seconds, MaxIncrementTenths / 10.0) : 0.0;
    return std::llround(1000 * bounded);
}

int clampInt(std::int64_t value, int low, int high) {
    return static_cast<int>(std::clamp<std::int64_t>(value, low, high));
}

Budget inTenths(std::int64_t target, std::int64_t max) {
    return {target * MillisPerTenth, max * MillisPerTenth, NoDepthLimit};
}

Budget periodBudget(const TimeControl& control, int plyCounter) {
    const std::int64_t moves = control.movesPerPeriod;
    const std::int64_t done = (std::max(plyCounter, 0) / 2) % moves;
    const std::int64_t left = moves - done;
    const std::int64_t cap = 2 * ((10 * std::int64_t{control.baseSeconds}) / moves);
    std::int64_t t = std::max<std::int64_t>((control.engineClock - 10) / left, 1);
    t = std::max<std::int64_t>(std::min(t, cap), 1);
    return inTenths(t, left > 1 ? t + t / 2 : t);
}

Budget wholeGameBudget(const TimeControl& control) {
    const std::int64_t clock = control.engineClock;
    const std::int64_t inc = control.incrementTenths;
    const std::int64_t t = std::max<std::int64_t>(clock / 30, 1);
    if (inc == 0 && control.baseSeconds <= 420) {
        std::int64_t max = clock > 59 ? 2 * t : t;
        if (max >= clock - 1) max = std::max<std::int64_t>(clock - 1, 1);
        return inTenths(t, max);
    }
    std::int64_t target = t + inc;
    std::int64_t max = 2 * target;
    if (2 * target >= clock - 20) target = max = std::max<std::int64_t>(clock - 20, 1);
    if (inc < clock && clock <= 20) target = max = std::max<std::int64_t>(inc, 1);
    return inTenths(target, max);
}

// Near the end of the clock a tenth is more than is left: thinking it would
// lose the game on time.
Budget withinClock(Budget budget, std::int64_t clockMs, std::int64_t overheadMs) {
    if (clockMs <= 0) return budget;
    const std::int64_t usable = std::max<std::int64_t>(clockMs - overheadMs, 1);
    budget.hardMs = std::min(budget.hardMs, usable);
    budget.softMs = std::min(budget.softMs, budget.hardMs);
    return budget;
}

}  // namespace

TimeControl& timeControl() {
    static TimeControl control;
    return control;
}

// The control with the clock the rules count on: the level's base time until
// "time" has given the clock.
TimeControl clockInForce(const TimeControl& control) {
    TimeControl effective = control;
    if (control.levelGiven && control.engineClock == 0 && control.engineClockMs == 0)
        effective.engineClock = clampInt(std::int64_t{10} * control.baseSeconds, 0, MaxClockTenths);
    return effective;
}

std::int64_t fixedMoveMillis(std::int64_t millis, std::int64_t overheadMs) {
    const std::int64_t keep = std::min(overheadMs, millis / 10);
    return std::max<std::int64_t>(millis - keep, 1);
}

Budget allocateTime(const TimeControl& given, int plyCounter, bool analyze) {
    if (analyze) return {search::UnlimitedMillis, search::UnlimitedMillis, NoDepthLimit};
    const TimeControl control = clockInForce(given);
    const std::int64_t overhead = control.moveOverheadMs;
    Budget budget;
    if (control.secondsPerMove > 0) {
        const std::int64_t fixed = fixedMoveMillis(1000 * std::int64_t{control.secondsPerMove}, overhead);
        budget = {fixed, fixed, NoDepthLimit};
    } else if (control.movesPerPeriod > 0) {
        budget = withinClock(periodBudget(control, plyCounter), control.engineClockMs, overhead);
    } else if (control.engineClockMs > 0 && control.engineClockMs < LowClockMs) {
        budget = uciClockBudget(control.engineClockMs, control.incrementMs, 0, overhead);
    } else {
        budget = withinClock(wholeGameBudget(control), control.engineClockMs, overhead);
    }
    if (control.engineClockMs > 0) budget.bookPauseMs = std::min(budget.bookPauseMs, budget.softMs);
    if (control.depthLimit > 0) budget.depth = control.depthLimit;
    return budget;
}

Budget uciClockBudget(std::int64_t clockMs, std::int64_t incrementMs, int movesToGo, std::int64_t overheadMs) {
    const std::int64_t usable = std::max<std::int64_t>(clockMs - overheadMs, 1);
    const std::int64_t horizon =
        movesToGo > 0 ? std::min<std::int64_t>(movesToGo, MaxMovesToGoHorizon) : SuddenDeathHorizon;
    const std::int64_t soft = usable / horizon + incrementMs * 3 / 4;
    const std::int64_t hard = std::min(HardPerSoft * soft, usable / std::min(horizon, MaxClockShare));
    return {std::max<std::int64_t>(std::min(soft, hard), 1), std::max<std::int64_t>(hard, 1), NoDepthLimit};
}

bool applyLevel(TimeControl& control, std::string_view arguments) {
    control.incrementTenths = 0;
    control.incrementMs = 0;
    control.secondsPerMove = 0;
    control.levelGiven = true;
    control.engineClock = 0;
    control.engineClockMs = 0;
    std::string_view text = arguments;
    const auto moves = takeInteger(text);
    if (!moves) return false;
    control.movesPerPeriod = clampInt(*moves, 0, MaxMovesPerPeriod);
    const auto minutes = takeInteger(text);
    if (!minutes) return false;
    std::int64_t seconds = 60 * std::clamp<std::int64_t>(*minutes, 0, MaxBaseSeconds);
    if (arguments.find(':') != std::string_view::npos) {
        if (!text.starts_with(':')) return false;
        text.remove_prefix(1);
        const auto extra = takeInteger(text);
        if (!extra) return false;
        seconds += std::clamp<std::int64_t>(*extra, 0, MaxBaseSeconds);
    }
    control.baseSeconds = clampInt(seconds, 0, MaxBaseSeconds);
    // Interfaces send fractional increments ("level 0 0:10 0.1").
    if (const auto increment = takeSecondsAsMillis(text)) {
        control.incrementMs = *increment;
        control.incrementTenths = static_cast<int>((*increment + MillisPerTenth / 2) / MillisPerTenth);
    }
    return true;
}

std::optional<std::int64_t> applyClock(int& clockTenths, std::string_view arguments) {
    const std::int64_t centiseconds = leadingInteger64(arguments);
    if (centiseconds == 0) return std::nullopt;
    clockTenths = clampInt(centiseconds / 10, 0, MaxClockTenths);
    return std::clamp<std::int64_t>(centiseconds, 0, MaxClockMillis / 10) * 10;
}

void applyDepthLimit(TimeControl& control, std::string_view arguments) {
    control.depthLimit = std::clamp(leadingInteger(arguments), 0, NoDepthLimit);
}

void applySecondsPerMove(TimeControl& control, std::string_view arguments) {
    control.secondsPerMove = std::clamp(leadingInteger(arguments), 0, MaxSecondsPerMove);
}

}  // namespace halberd::frontend
