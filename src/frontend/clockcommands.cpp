#include "frontend/clockcommands.h"

#include "frontend/clock.h"
#include "frontend/state.h"
#include "frontend/textnumber.h"

namespace halberd::frontend {

namespace {

constexpr std::size_t LevelArguments = 5;  // after "LEVEL"
constexpr std::size_t ClockArguments = 4;  // after "TIME" / "OTIM"
constexpr std::size_t LimitArguments = 3;  // after "SD" / "ST"

}  // namespace

Next xboardLevel(LoopState& state) {
    const std::string_view arguments = std::string_view(state.line).substr(LevelArguments);
    if (!onlyNumberWords(arguments))
        reportBadValue(state);
    else if (!applyLevel(timeControl(), arguments))
        writeReply("Error (command not legal)\n");
    return Next::ReadLine;
}

Next xboardTime(LoopState& state) {
    TimeControl& control = timeControl();
    if (const auto millis = applyClock(control.engineClock, std::string_view(state.line).substr(ClockArguments)))
        control.engineClockMs = *millis;
    return Next::ReadLine;
}

Next xboardOtim(LoopState& state) {
    applyClock(timeControl().opponentClock, std::string_view(state.line).substr(ClockArguments));
    return Next::ReadLine;
}

Next xboardSd(LoopState& state) {
    const std::string_view arguments = std::string_view(state.line).substr(LimitArguments);
    if (integerText(arguments))
        applyDepthLimit(timeControl(), arguments);
    else
        reportBadValue(state);
    return Next::ReadLine;
}

Next xboardSt(LoopState& state) {
    const std::string_view arguments = std::string_view(state.line).substr(LimitArguments);
    if (integerText(arguments))
        applySecondsPerMove(timeControl(), arguments);
    else
        reportBadValue(state);
    return Next::ReadLine;
}

}  // namespace halberd::frontend
