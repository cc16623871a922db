#pragma once
// Small readers of a SearchBoard shared by the evaluation terms, written
// once for both colours. Every term reads the board it is handed; only the
// search decides that this is its working board.
#include <cstdint>

#include "board/searchboard.h"
#include "board/squaresets.h"

namespace halberd::eval {

using board::squareBit;
using board::SquareSet;

// Every term is White minus Black: a colour's own terms take board::colourSign.
inline int slotSquareOf(const board::SearchBoard& sb, int slot) { return sb.slotSquare[slot]; }
inline bool slotOnBoard(const board::SearchBoard& sb, int slot) { return sb.slotSquare[slot] != board::OffBoard; }
inline int kingSquareOf(const board::SearchBoard& sb, board::Colour c) {
    return sb.slotSquare[board::slotBase(c) + board::KingSlot];
}

// A pawn of colour C (promoted pieces excluded) stands on the square.
template <board::Colour C>
bool pawnOn(const board::SearchBoard& sb, int square) {
    return sb.slotType[sb.board[square]] == board::pawnOf(C);
}

inline bool squareEmpty(const board::SearchBoard& sb, int square) { return sb.board[square] == board::EmptySlot; }

}  // namespace halberd::eval
