#include "frontend/gamefilecommands.h"

#include <algorithm>

#include "frontend/dispatch.h"
#include "frontend/gamelog.h"
#include "frontend/pgngame.h"
#include "frontend/state.h"

namespace halberd::frontend {

namespace {

constexpr std::size_t PartieArguments = 7;  // after "PARTIE "

}  // namespace

Next xboardResult(LoopState& state) {
    stopThinking();
    const auto space = state.line.find(' ');
    if (space != std::string::npos) {
        writeLog(state.line.substr(space + 1) + "\n");
        // The reason in the case the interface wrote it.
        const std::string_view typed = typedLine(state);
        pgnGameOver(typed.substr(std::min(typed.find(' ') + 1, typed.size())));
    }
    return Next::ReadLine;
}

Next loadGameCommand(LoopState& state) {
    stopThinking();
    // The command has no reply: a file that stops early leaves the game where it stopped.
    loadGameFile(state.game, state.line.substr(PartieArguments));
    return Next::ReadLine;
}

}  // namespace halberd::frontend
