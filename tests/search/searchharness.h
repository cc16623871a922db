#pragma once
// Sets up a game from a FEN and runs fixed-depth root searches on it with the
// tables cleared first, so that results are reproducible.
#include <memory>
#include <string>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "search/newgame.h"
#include "search/root.h"
#include "search/search.h"
#include "search/threads.h"
#include "search/transposition.h"

namespace halberd::search::testing {

struct RootRun {
    int score = 0;
    board::Move move = 0;
    int depth = 0;
    std::uint64_t nodes = 0;
    board::MoveList list{};
};

inline void clearSearchTables() {
    if (ttBytes() == 0) allocateTables(std::int64_t{16} << 20);
    newGame();
}

class SearchHarness {
public:
    board::GameBoard game;

    explicit SearchHarness(const std::string& fen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1") {
        board::resetGameToStart(game);
        ok = board::setupFromFen(game, fen) >= 0;
        board::listLegalMoves(game);
    }
    bool ok = false;

    // Plays moves given in coordinate notation (a drawn game goes on); false
    // when one is not played.
    bool play(const std::string& moves) {
        std::size_t start = 0;
        while (start < moves.size()) {
            std::size_t end = moves.find(' ', start);
            if (end == std::string::npos) end = moves.size();
            const board::Move move = board::parseCoordinate(moves.substr(start, end - start), game.sideToMove);
            if (move == 0) return false;
            const int result = board::playGameMove(game, move);
            if (result != board::ResultPlayed && result != board::ResultRepetition) return false;
            start = end + 1;
        }
        return true;
    }

    board::Position rootPosition() const {
        board::Position position = game.scratch;
        board::loadScratch(game, position);
        return position;
    }

    RootRun search(int depth, bool clearTables = true, std::int64_t softLimit = 100000000,
                   std::int64_t hardLimit = 100000000) {
        SearchLimits limits;
        limits.depth = depth;
        limits.softMs = softLimit;
        limits.hardMs = hardLimit;
        return searchWithin(limits, clearTables);
    }

    // A search in a session of its own, kept for a look at its variations.
    RootRun searchWithin(const SearchLimits& limits, bool clearTables = true) {
        if (clearTables) clearSearchTables();
        RootRun run;
        run.list = game.legalMoves;
        board::Position position = rootPosition();
        session = std::make_unique<Session>(limits);
        session->setGameHistory(game);
        SearchRequest request;
        request.side = game.sideToMove;
        request.rootList = run.list.data();
        request.position = &position;
        const SearchResult result = searchRoot(*session, request);
        run.score = result.score;
        run.depth = result.depth;
        run.move = run.list[0] & 0xFFFF;
        run.nodes = result.nodes;
        return run;
    }

    std::unique_ptr<Session> session;
};

inline std::string moveText(board::Move move) { return board::writeCoordinate(move); }

}  // namespace halberd::search::testing
