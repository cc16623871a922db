#include "frontend/thinking.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>
#include <thread>

#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "book/bookrandom.h"
#include "frontend/gamelog.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/uci.h"
#include "search/root.h"
#include "search/search.h"

namespace halberd::frontend {

namespace {

// A forced loss within five moves.
constexpr int ResignBelow = -32689;
constexpr int ResignAfterMoves = 3;
constexpr auto BookMovePause = std::chrono::milliseconds(300);

std::int32_t resultWord = 0;

bool hasLegalMove(const board::GameBoard& game) {
    return game.legalMoves[0] != 0 && (game.legalMoves[0] & board::IllegalFlag) == 0;
}

void playEngineMove(board::GameBoard& game, board::Move move, int score, bool fromBook) {
    int code = 0;
    {
        const std::lock_guard<std::mutex> guard(boardLock());
        code = board::playGameMove(game, move);
    }
    const std::string text = board::writeCoordinate(move);
    if (code != board::ResultPlayed) {
        writeReply("move " + text + "\n");
        reportResult(code, text, game);
        return;
    }
    const MoveReply reply = applyResignRule(score, fromBook, settings().optResign.load() != 0, game);
    if (reply.bookPause) std::this_thread::sleep_for(BookMovePause);
    writeReply("move " + text + "\n");
    if (reply.resign) reportResult(board::ResultResign, text, game);
}

}  // namespace

std::int32_t runRootSearch(board::GameBoard& game) {
    if (game.gameResult != 0 || !hasLegalMove(game)) return -1;
    board::Position& position = game.scratch;
    board::loadScratch(game, position);
    search::loadGameHistory(game);
    const int score = search::searchRoot(game.sideToMove, game.legalMoves.data(), -search::InfiniteScore,
                                         game.targetTime, game.maxTime, game.depthLimit, 1, position, game.uciMode);
    const board::Move best = game.legalMoves[0] & 0xFFFF;
    // The list goes back to plain moves for everyone else who reads it.
    for (board::Move& m : game.legalMoves) m &= 0xFFFF;
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(score) << 16) | best);
}

MoveReply applyResignRule(int score, bool fromBook, bool resignOption, board::GameBoard& game) {
    MoveReply reply;
    if (fromBook) {
        reply.bookPause = true;
        return reply;
    }
    if (score == search::NoResultScore) return reply;
    if (resignOption && score < ResignBelow && game.lastScore > score) {
        ++game.resignCount;
        game.lastScore = score;
        reply.resign = game.resignCount == ResignAfterMoves;
        return reply;
    }
    game.resignCount = 0;
    game.lastScore = score;
    return reply;
}

void thinkThread(std::int32_t* result) {
    book::seedRandomFromClock();
    board::GameBoard& game = theGame();
    const std::int32_t packed = runRootSearch(game);
    *result = packed;
    const auto move = packed == -1 ? board::NoMove : static_cast<board::Move>(packed & 0xFFFF);
    const int score = static_cast<std::int16_t>(static_cast<std::uint32_t>(packed) >> 16);
    if (move != board::NoMove && analyzeMode.load() == 0) logEngineMove(game, move, score);
    // A UCI interface waits for a bestmove after every go, even without a move.
    if (game.uciMode != 0 && analyzeMode.load() == 0)
        uciBestMove(move);
    else if (move != board::NoMove && analyzeMode.load() == 0)
        playEngineMove(game, move, score, search::playedBookMove());
    std::fflush(stdout);
    if (outputGone()) {
        // The interface is gone and the command loop may be waiting for input
        // that never comes: the game log is closed whole and the program ends.
        closeLog();
        std::_Exit(0);
    }
    thinking.store(0);
}

bool startThinking(board::GameBoard& game) {
    if (thinking.load() != 0 || game.gameResult != 0) return false;
    stopRequest.store(0);
    thinking.store(1);
    try {
        // Detached: the command loop only ever waits on `thinking`.
        std::thread(thinkThread, &resultWord).detach();
    } catch (const std::system_error&) {
        thinking.store(0);
        return false;
    }
    return true;
}

}  // namespace halberd::frontend
