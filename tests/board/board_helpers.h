#pragma once
// Small helpers for board tests: square and move names, and hand-built positions.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board/gameboard.h"
#include "board/keys.h"
#include "board/makemove.h"

namespace halberd::testing {

inline int square(const char* name) { return board::squareOf(name[0] - 'a', name[1] - '1'); }

// "e2e4" as a move without kind; a fifth letter q, r, b or n adds the promotion kind.
inline board::Move coordinate(const std::string& text) {
    board::Move m = board::makeMove(square(text.c_str()), square(text.c_str() + 2));
    if (text.size() > 4) {
        const std::string kinds = "qrbn";
        m |= static_cast<board::Move>(board::PromoteQueen + static_cast<int>(kinds.find(text[4]))) << 12;
    }
    return m;
}

// A new game with White's moves listed.
inline board::GameBoard startGame() {
    board::GameBoard game;
    board::resetGameToStart(game);
    board::listLegalMoves(game);
    return game;
}

// An empty game board without castling rights; pieces are put on it slot by slot.
inline void clearBoard(board::GameBoard& game) {
    board::resetGameToStart(game);
    game.board.fill(board::EmptySlot);
    game.slotSquare.fill(board::OffBoard);
    game.castling.fill(-1);
}

inline void put(board::GameBoard& game, int slot, const char* at, board::PieceType type) {
    game.slotSquare[slot] = square(at);
    game.board[square(at)] = slot;
    game.slotType[slot] = type;
    game.slotValue[slot] = board::slotValueOfType(type);
}

// Finishes a hand-built position: side to move, its legal moves and its keys.
inline board::Move finish(board::GameBoard& game, board::Colour side) {
    game.sideToMove = side;
    const board::Move result = board::listLegalMoves(game);
    board::computeKeys(game.scratch, side);
    return result;
}

inline int listLength(const board::Move* list) {
    int n = 0;
    while (list[n] != 0) ++n;
    return n;
}

// The listed move with these squares (and promotion kind), or 0.
inline board::Move findListed(const board::Move* list, board::Move move) {
    for (; *list != 0; ++list)
        if (board::sameMove(*list, move) || (!board::isPromotion(move) && board::sameSquares(*list, move)))
            return *list;
    return 0;
}

// Plays coordinate moves one after the other; returns the last result code.
inline int playAll(board::GameBoard& game, std::initializer_list<const char*> moves) {
    int result = 0;
    for (const char* m : moves) result = board::playGameMove(game, coordinate(m));
    return result;
}

// The parts of a game that a set-up or navigation must reproduce exactly.
struct GameSnapshot {
    std::array<std::int32_t, 32> slotSquare;
    std::array<std::int32_t, 64> board;
    std::array<std::int32_t, 33> slotType;
    std::array<std::int32_t, 33> slotValue;
    std::array<std::int32_t, 4> castling;
    int sideToMove;
    int epSquare;
    int plyCounter;
    std::vector<board::Move> legalMoves;
    std::uint32_t keyLow;
    std::uint32_t keyHigh;
    bool operator==(const GameSnapshot&) const = default;
};

inline GameSnapshot snapshotOf(const board::GameBoard& g) {
    return {g.slotSquare,
            g.board,
            g.slotType,
            g.slotValue,
            g.castling,
            g.sideToMove,
            g.epSquare,
            g.plyCounter,
            std::vector<board::Move>(g.legalMoves.begin(), g.legalMoves.begin() + listLength(g.legalMoves.data())),
            g.scratch.hashKeyLow,
            g.scratch.hashKeyHigh};
}

}  // namespace halberd::testing
