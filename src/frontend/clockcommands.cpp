#include "frontend/clockcommands.h"

#include "frontend/clock.h"
#include "frontend/state.h"
#include "frontend/textnumber.h"

namespace halberd::frontend {

namespace {

constexpr std::size_t LevelArguments = 5;  // after "LEVEL"
constexpr std::size_t ClockArguments = 4;  // after "TIME" / "OTIM"
constexpr std::size_t LimitArguments = 3;  // after "SD" / "ST"
constexpr std::size_t LevelNumbers = 3;

// The value of a one-number command: an integer of at least `least`, or
// nothing after the bad-value reply.
std::optional<std::int64_t> commandValue(const LoopState& state, std::size_t skip, std::int64_t least) {
    const auto value = integerText(std::string_view(state.line).substr(skip));
    if (!value || *value < least) {
        reportBadValue(state);
        return std::nullopt;
    }
    return value;
}

}  // namespace

Next xboardLevel(LoopState& state) {
    const std::string_view arguments = std::string_view(state.line).substr(LevelArguments);
    // Moves, base time and increment: a fourth number is a mistyped line.
    if (!onlyNumberWords(arguments) || numberWordCount(arguments) > LevelNumbers)
        reportBadValue(state);
    else if (!applyLevel(timeControl(), arguments))
        writeReply("Error (command not legal)\n");
    return Next::ReadLine;
}

// A clock of 0 changes nothing; a negative one is no clock.
Next xboardTime(LoopState& state) {
    TimeControl& control = timeControl();
    if (!commandValue(state, ClockArguments, 0)) return Next::ReadLine;
    if (const auto millis = applyClock(control.engineClock, std::string_view(state.line).substr(ClockArguments)))
        control.engineClockMs = *millis;
    return Next::ReadLine;
}

Next xboardOtim(LoopState& state) {
    if (commandValue(state, ClockArguments, 0))
        applyClock(timeControl().opponentClock, std::string_view(state.line).substr(ClockArguments));
    return Next::ReadLine;
}

// At least one ply, at least one second: a smaller limit is no limit at all.
Next xboardSd(LoopState& state) {
    if (commandValue(state, LimitArguments, 1))
        applyDepthLimit(timeControl(), std::string_view(state.line).substr(LimitArguments));
    return Next::ReadLine;
}

Next xboardSt(LoopState& state) {
    if (commandValue(state, LimitArguments, 1))
        applySecondsPerMove(timeControl(), std::string_view(state.line).substr(LimitArguments));
    return Next::ReadLine;
}

}  // namespace halberd::frontend
