// FEN set-up: any text is accepted or refused without harm; an accepted
// position written back as FEN sets up the same position again, and the two
// move generators (the front end's copy-make and the search's in-place one)
// count the same tree two plies deep.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/board_helpers.h"
#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/perft.h"
#include "fuzzcheck.h"

namespace hb = halberd::board;
using halberd::fuzz::require;
using halberd::testing::snapshotOf;

namespace {

std::vector<hb::Move> sortedMoves(const hb::GameBoard& game) {
    std::vector<hb::Move> moves = snapshotOf(game).legalMoves;
    std::sort(moves.begin(), moves.end());
    return moves;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    const auto before = snapshotOf(game);
    const int result = hb::setupFromFen(game, text);
    if (result < 0) {
        require(snapshotOf(game) == before, "a refused set-up changed the game");
        return 0;
    }
    const std::string written = hb::writeFen(game);
    hb::GameBoard again;
    hb::resetGameToStart(again);
    hb::listLegalMoves(again);
    require(hb::setupFromFen(again, written) == result, "the written FEN is judged differently");
    require(hb::writeFen(again) == written, "the written FEN does not read back the same");
    // The pieces may sit in other slots (a claimed castling right picks the rook
    // slots); the chess position, its keys and its moves are the same.
    require(
        again.scratch.hashKeyLow == game.scratch.hashKeyLow && again.scratch.hashKeyHigh == game.scratch.hashKeyHigh,
        "the written FEN gives other keys");
    require(sortedMoves(again) == sortedMoves(game), "the written FEN gives other legal moves");
    if (result == 0 && game.gameResult == 0)
        require(hb::perft(game, 2, hb::PerftMode::CopyMake) == hb::perft(game, 2, hb::PerftMode::Fast),
                "the generators disagree two plies deep");
    return 0;
}
