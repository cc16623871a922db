#pragma once
// Move generation and board primitives of the search, on a worker's in-place
// SearchBoard. Each routine is one template on the side to move; the White and
// Black names are its two instances.
#include <cstdint>

#include "board/nodestate.h"

namespace halberd::board {

// Full pseudo-legal list in the copy-make generator's order; returns the count.
// lastFrom/lastTo are the squares of the opponent's last move (en passant);
// castling states are in Position order.
template <Colour C>
int generateAll(const SearchBoard& sb, Move* list, int lastFrom, int lastTo, int inCheck,
                const std::array<std::int16_t, 4>& castling);
// Captures, queen promotions and en passant with their ordering keys in bits 16-31.
template <Colour C>
int generateCaptures(const SearchBoard& sb, Move* list, int lastFrom, int lastTo);
// After a move of side C: is C's king (or a castling transit square) attacked?
// A caller that knows C was not in check before the move passes wasInCheck = 0:
// then only lines through the squares the move emptied are examined, unless the
// king itself moved.
template <Colour C>
int kingAttacked(const SearchBoard& sb, Move move, int wasInCheck = 1);
// After a legal move of side C, just played: is the enemy king in check? Only
// the moved piece (the rook when castling) or a line through a square the move
// emptied can give it, as the enemy was not in check before.
template <Colour C>
bool checksAfter(const SearchBoard& sb, Move move);
// How many moves of a pseudo-legal list of side C are legal. Only evasions, king
// moves and en passant are played and taken back; without a check any other
// move is legal unless its piece is pinned and leaves the line of the pin.
template <Colour C>
int countLegalMoves(SearchBoard& sb, const Move* list, int count, int checked);
// Before a move of side C: does it check the enemy king on kingSquare (64 = none)?
// Exact for every move kind (promotions, castling rooks, en-passant lines).
template <Colour C>
int givesCheck(const SearchBoard& sb, Move move, int kingSquare, const NodeState& state);
// Does a hash-table move fit the board? Logs internal error 3456 when not.
// Special kinds are checked against the pieces they need, so that a stray
// table move can never corrupt the board when it is applied.
template <Colour C>
int hashMovePlausible(const SearchBoard& sb, Move move);
// Plays the move in place; returns the slot it captured (the en-passant victim
// for kind 3), EmptySlot if none, for updateNodeState and undoSearchMove.
template <Colour C>
int applySearchMove(SearchBoard& sb, Move move);
template <Colour C>
void undoSearchMove(SearchBoard& sb, Move move, int capturedSlot);
// Is the square attacked by a slot of the attacking colour?
template <Colour Attacker>
bool squareAttacked(const SearchBoard& sb, int square);
// Is side C's king attacked (check detection of a node)?
template <Colour C>
bool inCheck(const SearchBoard& sb);

inline int generateAllWhite(const SearchBoard& b, Move* l, int f, int t, int c, const std::array<std::int16_t, 4>& s) {
    return generateAll<White>(b, l, f, t, c, s);
}
inline int generateCapturesWhite(const SearchBoard& b, Move* l, int f, int t) {
    return generateCaptures<White>(b, l, f, t);
}
inline int kingAttackedWhite(const SearchBoard& b, Move m, int wasInCheck = 1) {
    return kingAttacked<White>(b, m, wasInCheck);
}
inline int kingAttackedBlack(const SearchBoard& b, Move m, int wasInCheck = 1) {
    return kingAttacked<Black>(b, m, wasInCheck);
}
inline int givesCheckWhite(const SearchBoard& b, Move m, int k, const NodeState& s) {
    return givesCheck<White>(b, m, k, s);
}
inline int hashMovePlausibleWhite(const SearchBoard& b, Move m) { return hashMovePlausible<White>(b, m); }
inline int hashMovePlausibleBlack(const SearchBoard& b, Move m) { return hashMovePlausible<Black>(b, m); }
inline int applySearchMoveWhite(SearchBoard& b, Move m) { return applySearchMove<White>(b, m); }
inline int applySearchMoveBlack(SearchBoard& b, Move m) { return applySearchMove<Black>(b, m); }
inline void undoSearchMoveWhite(SearchBoard& b, Move m, int c) { undoSearchMove<White>(b, m, c); }
inline void undoSearchMoveBlack(SearchBoard& b, Move m, int c) { undoSearchMove<Black>(b, m, c); }
inline bool inCheckWhite(const SearchBoard& b) { return inCheck<White>(b); }

}  // namespace halberd::board
