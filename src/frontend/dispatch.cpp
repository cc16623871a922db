#include "frontend/dispatch.h"

#include <array>

#include "frontend/clockcommands.h"
#include "frontend/consolecommands.h"
#include "frontend/gamefilecommands.h"
#include "frontend/gocommand.h"
#include "frontend/searchcommands.h"
#include "frontend/settingcommands.h"
#include "frontend/state.h"
#include "frontend/uci.h"
#include "frontend/xboard.h"

namespace halberd::frontend {

namespace {

constexpr std::array CommandTable = {
    Command{"GO", Match::Prefix, false, goCommand},
    Command{"FORCE", Match::Exact, false, xboardForce},
    Command{"?", Match::Exact, false, xboardMoveNow},
    Command{"UNDO", Match::Exact, false, xboardUndo},
    Command{"REMOVE", Match::Exact, false, xboardRemove},
    Command{"LEVEL", Match::Prefix, false, xboardLevel},
    Command{"TIME", Match::Prefix, false, xboardTime},
    Command{"OTIM", Match::Prefix, false, xboardOtim},
    Command{"SD ", Match::Prefix, false, xboardSd},
    Command{"ST ", Match::Prefix, false, xboardSt},
    Command{"EXIT", Match::Exact, false, xboardExit},
    Command{"WHITE", Match::Exact, false, ignoreCommand},
    Command{"BLACK", Match::Exact, false, ignoreCommand},
    Command{".", Match::Exact, false, xboardStatus},
    Command{"POST", Match::Exact, false, xboardPost},
    Command{"NOPOST", Match::Exact, false, xboardNopost},
    Command{"HARD", Match::Exact, false, xboardHard},
    Command{"EASY", Match::Exact, false, xboardEasy},
    Command{"QUIT", Match::Exact, false, xboardQuit},
    Command{"NEW", Match::Exact, false, xboardNew},
    Command{"NEW 960", Match::Prefix, false, xboardNew960},
    Command{"VARIANT", Match::Prefix, false, xboardVariant},
    Command{"ANALYZE", Match::Exact, false, xboardAnalyze},
    Command{"EDIT", Match::Exact, false, xboardEdit},
    Command{"SETBOARD", Match::Prefix, false, xboardSetboard},
    Command{"PRINT", Match::Exact, false, xboardPrint},
    Command{"PARTIE ", Match::Prefix, false, loadGameCommand},
    Command{"XBOARD", Match::Prefix, false, ignoreCommand},
    Command{"RESET", Match::Prefix, false, ignoreCommand},
    Command{"PROTOVER 2", Match::Prefix, false, xboardProtover},
    Command{"NAME", Match::Prefix, false, ignoreCommand},
    Command{"ACCEPTED", Match::Prefix, false, ignoreCommand},
    // Sent by xboard in every game; nothing here depends on them.
    Command{"REJECTED", Match::Prefix, false, ignoreCommand},
    Command{"RANDOM", Match::Exact, false, ignoreCommand},
    Command{"COMPUTER", Match::Exact, false, ignoreCommand},
    Command{"RATING", Match::Prefix, false, ignoreCommand},
    Command{"ICS ", Match::Prefix, false, ignoreCommand},
    // Draw offers are declined by saying nothing; no speed limit.
    Command{"DRAW", Match::Exact, false, ignoreCommand},
    Command{"CORES", Match::Prefix, false, xboardCores},
    Command{"NPS", Match::Prefix, false, ignoreCommand},
    Command{"HINT", Match::Exact, false, xboardHint},
    Command{"BK", Match::Exact, false, xboardBook},
    Command{"HELP", Match::Exact, false, consoleHelp},
    Command{"D", Match::Exact, false, consoleBoard},
    Command{"RESULT", Match::Prefix, false, xboardResult},
    Command{"PING", Match::Prefix, false, xboardPing},
    Command{"MEMORY", Match::Prefix, false, xboardMemory},
    Command{"EGTPATH", Match::PrefixAnyCase, false, xboardEgtpath},
    Command{"option", Match::PrefixAnyCase, false, xboardOption},
    Command{"UCI", Match::Exact, false, uciIdentify},
    Command{"ISREADY", Match::Exact, true, uciIsReady},
    Command{"position", Match::Prefix, true, uciPosition},
    Command{"STOP", Match::Exact, true, uciStop},
    Command{"DEBUG", Match::Prefix, true, uciDebug},
    Command{"PONDERHIT", Match::Exact, true, uciPonderHit},
    Command{"SETOPTION", Match::PrefixAnyCase, true, uciSetoption},
    Command{"UCINEWGAME", Match::Prefix, false, uciNewGame},
};

}  // namespace

std::string_view typedLine(const LoopState& state) {
    return withoutBlanksAround(state.typed.empty() ? state.line : state.typed);
}

void reportBadValue(const LoopState& state) {
    writeReply("Error (bad value): " + std::string(typedLine(state)) + "\n");
}

bool commandMatches(const Command& command, std::string_view line, bool inUciMode) {
    if (command.needsUci && !inUciMode) return false;
    switch (command.match) {
        case Match::Exact: return line == command.text;
        case Match::Prefix: return line.starts_with(command.text);
        case Match::PrefixAnyCase: return startsWithAnyCase(line, command.text);
    }
    return false;
}

std::span<const Command> commandTable() { return CommandTable; }

Next dispatchLine(LoopState& state) {
    for (;;) {
        Handler handler = enteredMove;
        for (const Command& command : CommandTable) {
            if (commandMatches(command, state.line, uciMode.load() != 0)) {
                handler = command.handler;
                break;
            }
        }
        const Next next = handler(state);
        if (next != Next::Redispatch) return next;
    }
}

}  // namespace halberd::frontend
