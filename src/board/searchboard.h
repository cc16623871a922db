#pragma once
// The search's working board, changed in place and restored by the node routines.
#include <array>
#include <cstdint>

#include "board/castling.h"
#include "board/squaresets.h"
#include "board/types.h"

namespace halberd::board {

struct SearchBoard {
    std::array<std::int32_t, 32> slotSquare;
    std::array<std::int32_t, 64> board;
    std::array<std::int32_t, 33> slotType;
    std::array<std::int32_t, 33> slotValue;
    // Bit s set when a man stands on square s: the squares of slotSquare as a
    // set, kept by the routines that make and unmake moves.
    SquareSet occupied;
    // The same by colour: where each side's men stand.
    std::array<SquareSet, 2> men;
    // Castling, by castling index, for the rights standing at the root (a right
    // is never gained in the tree): the rook's home, the squares that must be
    // empty, and the move.
    RookHomes castlingRookHome;
    std::array<SquareSet, 4> castlingPath;
    std::array<Move, 4> castlingMove;
};

// The squares the slots stand on, as a set.
SquareSet occupiedSquares(const std::array<std::int32_t, 32>& slotSquare);
// The squares the slots of one colour stand on.
SquareSet sideSquares(const std::array<std::int32_t, 32>& slotSquare, Colour side);

}  // namespace halberd::board
