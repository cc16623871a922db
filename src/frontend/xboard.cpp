#include "frontend/xboard.h"

#include <string>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "book/bookrandom.h"
#include "eval/pawntable.h"
#include "frontend/clock.h"
#include "frontend/editmode.h"
#include "frontend/gamelog.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "search/ordering.h"
#include "search/transposition.h"

namespace halberd::frontend {

namespace {

// The search start that answers a move, or restarts an analysis.
Next answerWithGo(LoopState& state) {
    state.line = "GO";
    return Next::Redispatch;
}

// The FEN of a SETBOARD line starts at its tenth character.
constexpr std::size_t SetboardFenOffset = 9;

}  // namespace

Next ignoreCommand(LoopState&) { return Next::ReadLine; }

Next xboardForce(LoopState& state) {
    stopThinking();
    state.forceMode = true;
    return Next::ReadLine;
}

Next xboardUndo(LoopState& state) {
    stopThinking();
    if (board::gotoPly(state.game, board::GotoBack) != 0) writeReply("Error (command not legal now): undo\n");
    return analyzeMode.load() != 0 ? answerWithGo(state) : Next::ReadLine;
}

Next xboardRemove(LoopState& state) {
    stopThinking();
    // Only the second take-back decides the reply; the first may have succeeded.
    board::gotoPly(state.game, board::GotoBack);
    if (board::gotoPly(state.game, board::GotoBack) != 0) writeReply("Error (command not legal now): remove\n");
    return Next::ReadLine;
}

Next xboardQuit(LoopState&) {
    stopThinking();
    closeLog();
    return Next::Quit;
}

Next xboardNew(LoopState& state) {
    stopThinking();
    board::resetGameToStart(state.game);
    board::listLegalMoves(state.game);
    book::seedRandomFromClock();
    state.game.resignCount = 0;
    state.game.lastScore = 0;
    // A new game lifts the depth limit of "sd".
    timeControl().depthLimit = 0;
    search::ttClear();
    eval::pawnTableClear();
    search::clearHistory();
    search::clearKillers();
    writeLogHeader();
    state.forceMode = false;
    return analyzeMode.load() != 0 ? answerWithGo(state) : Next::ReadLine;
}

Next xboardEdit(LoopState& state) {
    stopThinking();
    if (const int result = runEditMode(state.input, state.game); result != 0) reportIllegalPosition(result);
    return Next::ReadLine;
}

Next xboardSetboard(LoopState& state) {
    stopThinking();
    const std::string fen = state.line.size() > SetboardFenOffset ? state.line.substr(SetboardFenOffset) : "";
    // A position whose side not to move is in check is reported as illegal; it is
    // set up on a copy so that the game stays as it was.
    board::GameBoard candidate = state.game;
    const int result = board::setupFromFen(candidate, fen);
    if (result < 0 || (result & static_cast<int>(board::IllegalFlag)) != 0)
        reportIllegalPosition(result);
    else
        state.game = std::move(candidate);
    return Next::ReadLine;
}

Next xboardPrint(LoopState& state) {
    const std::lock_guard<std::mutex> guard(boardLock());
    printBoard(state.game);
    return Next::ReadLine;
}

Next xboardProtover(LoopState&) {
    const std::string name(EngineName);
    writeReply("feature myname=\"" + name +
               "\" name=1 ping=1 time=1 analyze=1 setboard=1 memory=1 reuse=0 egt=\"nalimov\"\n");
    writeReply("feature option=\"RESIGN -check " + std::to_string(settings().optResign.load()) + "\"\n");
    writeReply("feature option=\"USE BOOK -check " + std::to_string(settings().optUseBook.load()) + "\" done=1\n");
    return Next::ReadLine;
}

Next xboardPing(LoopState& state) {
    pendingReply = "pong" + state.line.substr(4) + "\n";
    flushPendingReply();
    return Next::ReadLine;
}

Next enteredMove(LoopState& state) {
    // Whether the text is a move does not depend on the side (only castling's
    // squares do), so it is asked before a running search, which owns the game,
    // has been stopped.
    if (board::parseCoordinate(state.line, board::White) == board::NoMove) {
        writeReply("Error (unknown command): " + state.line + "\n");
        return Next::ReadLine;
    }
    stopThinking();
    const board::Move move = board::parseCoordinate(state.line, state.game.sideToMove);
    logMove(state.game, move);
    const int result = board::playGameMove(state.game, move);
    if (result != board::ResultPlayed) reportResult(result, state.line, state.game);
    // Draws still get an answer; an illegal move, a missing promotion piece, mate
    // and stalemate end the turn here.
    if (result < 0 || result == board::ResultNeedsPromotion || result == board::ResultMate ||
        result == board::ResultStalemate || state.forceMode)
        return Next::ReadLine;
    return answerWithGo(state);
}

void reportIllegalPosition(int code) {
    writeReply("tellusererror Illegal position " + std::to_string(code) + "\n");
}

}  // namespace halberd::frontend
