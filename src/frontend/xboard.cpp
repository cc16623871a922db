#include "frontend/xboard.h"

#include <string>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "board/startpositions.h"
#include "book/bookfile.h"
#include "book/bookprobe.h"
#include "book/bookrandom.h"
#include "book/bookrecord.h"
#include "frontend/clock.h"
#include "frontend/editmode.h"
#include "frontend/enginebook.h"
#include "frontend/gamelog.h"
#include "frontend/inputline.h"
#include "frontend/pgngame.h"
#include "frontend/positionproblem.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/tablebases.h"
#include "frontend/textnumber.h"
#include "frontend/thinking.h"
#include "frontend/variant.h"
#include "search/newgame.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace halberd::frontend {

namespace {

// The search start that answers a move, or restarts an analysis.
Next answerWithGo(LoopState& state) {
    state.line = "GO";
    return Next::Redispatch;
}

// The move the engine ponders on has come: the pondering search goes on with
// the time the clock gives this move. Any other move stops it (the thread
// takes its guess back) and is played as usual.
bool takePonderHit(LoopState& state) {
    const board::Move guess = ponderGuess.load();
    if (guess == board::NoMove) return false;
    // The guess is on the board: the move came for the side before it.
    const board::Move move =
        board::parseCoordinate(state.line, state.game.sideToMove == board::White ? board::Black : board::White);
    if ((move & 0x7FFF) != (guess & 0x7FFF) || ponderGuess.exchange(0) != guess) return false;
    const Budget budget = allocateTime(timeControl(), state.game.plyCounter, false);
    if (const std::shared_ptr<search::Session> session = runningSession()) session->ponderHit(budget.softMs, budget.hardMs);
    return true;
}

// The engine's own book for the position, as xboard's "bk" shows it: one line
// per move with the chance that the engine plays it, its games and score rate,
// each beginning with a tab, then how the chances are reached and an empty line.
std::string bookLines(const board::GameBoard& game) {
    const book::BookFile file = book::openBookFile(defaultBookPaths());
    book::BookRecordBytes bytes{};
    std::string text;
    if (file && book::bookFind(file.get(), board::writeFen(game), bytes) != 0) {
        const book::BookRecord record = book::decodeBookRecord(bytes);
        const bool startRule = startRuleApplies(game);
        for (int i = 0; i < book::candidateCount(record); ++i) {
            const book::BookCandidate& c = record.candidates[static_cast<std::size_t>(i)];
            const int percent = c.games > 0 ? 50 * c.score / c.games : 50;
            text += '\t';
            text += board::writeCoordinate(c.move);
            text += "  " + bookChanceText(record, i, startRule) + ", " + std::to_string(c.games) + " games, score " +
                    std::to_string(percent) + "%\n";
        }
        if (!text.empty()) text += "\t" + bookChanceNote(startRule) + "\n";
    }
    if (text.empty()) text = "\tno book moves\n";
    return text + "\n";
}

// The search that finds a hint when neither the book nor the last search has one.
constexpr std::int64_t HintSearchMillis = 300;

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
    // Every new game is ordinary chess until a variant command says otherwise.
    setChess960(state.game, false);
    board::resetGameToStart(state.game);
    board::listLegalMoves(state.game);
    book::seedRandomFromClock();
    resignWatch() = ResignWatch{};
    // A new game lifts the depth limit of "sd".
    timeControl().depthLimit = 0;
    search::newGame();
    writeLogHeader();
    pgnNewGame(state.game);
    state.forceMode = false;
    return analyzeMode.load() != 0 ? answerWithGo(state) : Next::ReadLine;
}

Next xboardVariant(LoopState& state) {
    stopThinking();
    const std::string_view name = withoutBlanksAround(std::string_view(state.line).substr(7));
    if (name == "FISCHERANDOM" || name == "NORMAL")
        setChess960(state.game, name == "FISCHERANDOM");
    else
        writeReply("Error (unsupported variant): " + std::string(name) + "\n");
    return Next::ReadLine;
}

Next xboardNew960(LoopState& state) {
    const std::string rest(withoutBlanksAround(std::string_view(state.line).substr(7)));
    const auto number = wholeNumber(rest, 0, board::Chess960Positions - 1);
    const Next next = xboardNew(state);
    if (!rest.empty() && !number) writeReply("Error (no such Chess960 position, 0-959): " + std::string(rest) + "\n");
    const int chosen = setupChess960Start(state.game, number.value_or(-1));
    logSetup(state.game);
    if (rest.empty() || !number) writeReply("# Chess960 position " + std::to_string(chosen) + "\n");
    return next;
}

Next xboardEdit(LoopState& state) {
    stopThinking();
    if (const board::SetupStatus result = runEditMode(state.input, state.game); !board::accepted(result))
        reportIllegalPosition(result);
    return Next::ReadLine;
}

Next xboardSetboard(LoopState& state) {
    stopThinking();
    const std::string fen = state.line.size() > SetboardFenOffset ? state.line.substr(SetboardFenOffset) : "";
    // A position whose side not to move is in check is reported as illegal; it is
    // set up on a copy so that the game stays as it was.
    board::GameBoard candidate = state.game;
    candidate.chess960 = chess960();
    const board::SetupStatus result = board::setupFromFen(candidate, fen);
    if (!board::accepted(result))
        reportIllegalPosition(result, fen);
    else
        state.game = std::move(candidate);
    if (board::accepted(result)) {
        pgnNewGame(state.game);
        logSetup(state.game);
    }
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
    // What the engine does not do, so that the interface does not send it.
    writeReply("feature draw=0 sigint=0 colors=0 nps=0 smp=1 variants=\"normal,fischerandom\"\n");
    writeReply("feature option=\"RESIGN -check " + std::to_string(settings().optResign.load()) + "\"\n");
    writeReply("feature option=\"Ponder -check " + std::to_string(settings().optPonder.load()) + "\"\n");
    writeReply("feature option=\"MultiPV -spin " + std::to_string(settings().multiPv.load()) + " 1 " +
               std::to_string(MaxMultiPv) + "\"\n");
    tellTablesFound();
    writeReply("feature option=\"USE BOOK -check " + std::to_string(settings().optUseBook.load()) + "\" done=1\n");
    return Next::ReadLine;
}

Next xboardPing(LoopState& state) {
    writeReply("pong" + state.line.substr(4) + "\n");
    return Next::ReadLine;
}

Next enteredMove(LoopState& state) {
    // Whether the text is a move does not depend on the position (only
    // castling's squares and what a SAN text resolves to do), so it is asked
    // before a running search, which owns the game, has been stopped.
    const std::string_view typed = typedLine(state);
    const bool coordinate = board::parseCoordinate(state.line, board::White) != board::NoMove;
    if (!coordinate && !board::isSanText(typed)) {
        writeReply("Error (unknown command): " + state.line + "\n");
        return Next::ReadLine;
    }
    // A SAN move is read in the position before a pondered guess, which the stop takes back.
    if (coordinate && takePonderHit(state)) return Next::ReadLine;
    stopThinking();
    board::Move move = board::NoMove;
    if (coordinate) {
        move = board::parseCoordinate(state.line, state.game.sideToMove);
    } else {
        board::Position position{};
        board::loadScratch(state.game, position);
        move = board::parseSan(std::string(typed), state.game.sideToMove, state.game.legalMoves.data(), position);
        if (move == board::NoMove) {
            reportResult(board::ResultNoSuchMove, typed, state.game);
            return Next::ReadLine;
        }
    }
    logMove(state.game, move);
    if (logFile() != nullptr) pgnMove(state.game, move, {}, false);
    const int result = board::playGameMove(state.game, move);
    if (result != board::ResultPlayed)
        reportResult(result, coordinate ? std::string_view(state.line) : typed, state.game);
    // Draws still get an answer; an illegal move, a missing promotion piece, mate
    // and stalemate end the turn here.
    if (result < 0 || result == board::ResultNeedsPromotion || result == board::ResultMate ||
        result == board::ResultStalemate || state.forceMode)
        return Next::ReadLine;
    return answerWithGo(state);
}

Next xboardHard(LoopState&) {
    setPonderSwitch(true);
    return Next::ReadLine;
}

Next xboardEasy(LoopState&) {
    setPonderSwitch(false);
    return Next::ReadLine;
}

Next xboardHint(LoopState& state) {
    board::Move hint = settledPonderGuess();
    if (hint == board::NoMove && thinking.load() == 0) {
        if (!chess960() || state.game.ordinaryStart) hint = book::bookProbe(state.game, defaultBookPaths());
        const std::shared_ptr<search::Session> last = runningSession();
        if (hint == board::NoMove && last) hint = expectedReply(state.game, *last);
        // Out of book before any search: a short silent search of the position.
        if (hint == board::NoMove) {
            GoRequest quick;
            quick.budget = {HintSearchMillis, HintSearchMillis, NoDepthLimit};
            quick.book = false;
            board::GameBoard copy = state.game;
            const auto session = makeSession(copy, quick, nullptr);
            if (const auto found = runRootSearch(copy, quick, *session)) hint = found->move & 0xFFFF;
        }
    }
    if (hint != board::NoMove) writeReply("Hint: " + engineMoveText(hint) + "\n");
    return Next::ReadLine;
}

Next xboardBook(LoopState& state) {
    const std::lock_guard<std::mutex> guard(boardLock());
    writeReply(bookLines(state.game));
    return Next::ReadLine;
}

void reportIllegalPosition(int code, std::string_view fen) {
    writeReply("tellusererror " + illegalPositionText(code, fen) + "\n");
}

}  // namespace halberd::frontend
