#include "frontend/variant.h"

#include <random>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "board/startpositions.h"
#include "frontend/settings.h"
#include "frontend/state.h"

namespace halberd::frontend {

void setChess960(board::GameBoard& game, bool on) {
    settings().chess960.store(on ? 1 : 0);
    game.chess960 = on;
}

bool chess960() { return settings().chess960.load() != 0; }

std::string engineMoveText(board::Move move, bool uci) {
    if (!chess960()) return board::writeCoordinate(move);
    // The game does not change while a search that reports its moves runs.
    const board::CastlingText style = uci ? board::CastlingText::KingTakesRook : board::CastlingText::Letters;
    return board::writeCoordinate(move, style, theGame().castlingRookHome);
}

std::string engineMoveText(board::Move move) { return engineMoveText(move, uciMode.load() != 0); }

int setupChess960Start(board::GameBoard& game, int number) {
    if (number < 0 || number >= board::Chess960Positions) {
        std::random_device seed;
        number = std::uniform_int_distribution<int>(0, board::Chess960Positions - 1)(seed);
    }
    setChess960(game, true);
    board::setupFromFen(game, board::chess960StartFen(number));
    return number;
}

}  // namespace halberd::frontend
