#include "frontend/commandloop.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "board/makemove.h"
#include "frontend/benchcommand.h"
#include "frontend/bookcommand.h"
#include "frontend/config.h"
#include "frontend/dispatch.h"
#include "frontend/enginebook.h"
#include "frontend/epdcommand.h"
#include "frontend/gamelog.h"
#include "frontend/memory.h"
#include "frontend/perftcommand.h"
#include "frontend/pgngame.h"
#include "frontend/settings.h"
#include "frontend/signals.h"
#include "frontend/state.h"
#include "frontend/tablebases.h"
#include "frontend/tbcommand.h"

namespace halberd::frontend {

namespace {

void printBanner() {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(EngineName.size()), EngineName.data());
    std::fputs("A chess engine for xboard and UCI, by the Halberd authors\n", stderr);
}

}  // namespace

int runCommandLoop(LineReader& input, board::GameBoard& game) {
    LoopState state{input, game, {}, false};
    while (const auto line = input.readLine()) {
        // A blank line is no command (a person pressing return, a stray "\r").
        if (withoutBlanksAround(*line).empty()) continue;
        state.typed = *line;
        state.line = normaliseLine(*line);
        if (dispatchLine(state) == Next::Quit) return 0;
        if (outputGone()) break;
    }
    // End of input, or no one reads the output any more: a running search is
    // stopped (its thread still replies where it can) and the log is closed whole.
    stopThinking();
    closeLog();
    return 0;
}

int runProgram(int argc, char** argv) {
    board::GameBoard& game = theGame();
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (!arguments.empty() && arguments[0] == "perft") return runPerftWord(game, std::span(arguments).subspan(1));
    if (!arguments.empty() && arguments[0] == "book") return runBookCommand(argc - 1, argv + 1);
    if (!arguments.empty() && arguments[0] == "bench") return runBenchWord(std::span(arguments).subspan(1));
    if (!arguments.empty() && arguments[0] == "tb") return runTbWord(std::span(arguments).subspan(1));
    if (!arguments.empty() && arguments[0] == "epd") return runEpdWord(game, std::span(arguments).subspan(1));
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "--version")) {
        const std::string version = std::string(EngineName) + "\n";
        std::fputs(arguments[0] == "--help" ? HelpText : version.c_str(), stdout);
        return 0;
    }

    std::string& logName = logFileName();
    logName = std::string(argc > 0 ? argv[0] : "halberd") + ".log";
    if (logName.size() > LogFileNameCapacity) logName.resize(LogFileNameCapacity);
    pgnFileName() = std::string(argc > 0 ? argv[0] : "halberd") + ".pgn";
    installSignalHandlers();
    board::listLegalMoves(game);
    switch (readCommandLine(arguments, game)) {
        case Startup::Failed: return 1;
        case Startup::Usage: return 2;
        case Startup::Analysis: return runCommandLineAnalysis(game);
        case Startup::CommandLoop: break;
    }
    if (settings().logEnabled != 0) openLog();

    printBanner();
    std::fputs(memoryLine().c_str(), stderr);
    std::fprintf(stderr, "%s\n", bookInUseLine().c_str());
    startTablebases();
    std::fprintf(stderr, "%s\n", tableCountText().c_str());
    std::fputs("type quit to exit\n", stderr);
    std::fflush(stderr);

    LineReader input(std::cin);
    return runCommandLoop(input, game);
}

}  // namespace halberd::frontend
