#include "frontend/searchcommands.h"

#include "frontend/gamelog.h"
#include "frontend/searchreport.h"
#include "frontend/state.h"
#include "frontend/thinking.h"

namespace halberd::frontend {

Next xboardMoveNow(LoopState&) {
    stopThinking();
    return Next::ReadLine;
}

Next xboardExit(LoopState&) {
    stopThinking();
    analyzeMode.store(0);
    return Next::ReadLine;
}

Next xboardStatus(LoopState&) {
    if (const std::shared_ptr<search::Session> session = runningSession()) printStat01(*session);
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
