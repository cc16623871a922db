#include "frontend/searchcommands.h"

#include "frontend/clock.h"
#include "frontend/gamelog.h"
#include "frontend/state.h"
#include "frontend/thinking.h"
#include "frontend/searchreport.h"

namespace halberd::frontend {

namespace {

constexpr std::size_t LevelArguments = 5;  // after "LEVEL"
constexpr std::size_t ClockArguments = 4;  // after "TIME" / "OTIM"
constexpr std::size_t LimitArguments = 3;  // after "SD" / "ST"

}  // namespace

Next xboardGo(LoopState& state) {
    settleFinishedSearch();
    if (thinking.load() != 0 || state.game.gameResult != 0) return Next::ReadLine;
    SearchRequest request;
    request.budget = allocateTime(timeControl(), state.game.plyCounter, analyzeMode.load() != 0);
    nextSearch() = request;
    startThinking(state.game);
    state.forceMode = false;
    return Next::ReadLine;
}

Next xboardMoveNow(LoopState&) {
    stopThinking();
    return Next::ReadLine;
}

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

Next xboardExit(LoopState&) {
    stopThinking();
    analyzeMode.store(0);
    return Next::ReadLine;
}

Next xboardStatus(LoopState&) {
    printStat01();
    return Next::ReadLine;
}

Next xboardPost(LoopState&) {
    postMode.store(1);
    return Next::ReadLine;
}

Next xboardNopost(LoopState&) {
    postMode.store(0);
    return Next::ReadLine;
}

Next xboardAnalyze(LoopState& state) {
    stopThinking();
    analyzeMode.store(1);
    logMove(state.game, board::NoMove);
    state.line = "GO";
    return Next::Redispatch;
}

}  // namespace halberd::frontend
