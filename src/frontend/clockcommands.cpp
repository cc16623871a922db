#include "frontend/clockcommands.h"

#include "frontend/clock.h"
#include "frontend/state.h"

namespace halberd::frontend {

namespace {

constexpr std::size_t LevelArguments = 5;  // after "LEVEL"
constexpr std::size_t ClockArguments = 4;  // after "TIME" / "OTIM"
constexpr std::size_t LimitArguments = 3;  // after "SD" / "ST"

}  // namespace

Next xboardLevel(LoopState& state) {
    if (!applyLevel(timeControl(), std::string_view(state.line).substr(LevelArguments)))
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
    applyDepthLimit(timeControl(), std::string_view(state.line).substr(LimitArguments));
    return Next::ReadLine;
}

Next xboardSt(LoopState& state) {
    applySecondsPerMove(timeControl(), std::string_view(state.line).substr(LimitArguments));
    return Next::ReadLine;
}

}  // namespace halberd::frontend
