#include "frontend/gamefilecommands.h"

#include "frontend/gamelog.h"
#include "frontend/state.h"

namespace halberd::frontend {

namespace {

constexpr std::size_t PartieArguments = 7;  // after "PARTIE "

}  // namespace

Next xboardResult(LoopState& state) {
    stopThinking();
    const auto space = state.line.find(' ');
    if (space != std::string::npos) writeLog(state.line.substr(space + 1) + "\n");
    return Next::ReadLine;
}

Next loadGameCommand(LoopState& state) {
    stopThinking();
    // The command has no reply: a file that stops early leaves the game where it stopped.
    loadGameFile(state.game, state.line.substr(PartieArguments));
    return Next::ReadLine;
}

}  // namespace halberd::frontend
