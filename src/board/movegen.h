#pragma once
// Move generation and board primitives of the search, on the in-place
// SearchBoard. Each routine is one template on the side to move; the White and
// Black names are its two instances.
#include <cstdint>

#include "board/nodestate.h"

namespace halberd::board {

// Full pseudo-legal list in the copy-make generator's order; returns the count.
// lastFrom/lastTo are the squares of the opponent's last move (en passant);
// castling states are in Position order.
template <Colour C>
int generateAll(Move* list, int lastFrom, int lastTo, int inCheck, const std::array<std::int16_t, 4>& castling);
// Captures, queen promotions and en passant with their ordering keys in bits 16-31.
template <Colour C>
int generateCaptures(Move* list, int lastFrom, int lastTo);
// After a move of side C: is C's king (or a castling transit square) attacked?
// A caller that knows C was not in check before the move passes wasInCheck = 0:
// then only lines through the squares the move emptied are examined, unless the
// king itself moved.
template <Colour C>
int kingAttacked(Move move, int wasInCheck = 1);
// After a legal move of side C, just played: is the enemy king in check? Only
// the moved piece (the rook when castling) or a line through a square the move
// emptied can give it, as the enemy was not in check before.
template <Colour C>
bool checksAfter(Move move);
// How many moves of a pseudo-legal list of side C are legal. Only evasions, king
// moves and en passant are played and taken back; without a check any other
// move is legal unless its piece is pinned and leaves the line of the pin.
template <Colour C>
int countLegalMoves(const Move* list, int count, int checked);
// Before a move of side C: does it check the enemy king on kingSquare (64 = none)?
// Exact for every move kind (promotions, castling rooks, en-passant lines).
template <Colour C>
int givesCheck(Move move, int kingSquare, const NodeState& state);
// Does a hash-table move fit the board? Logs internal error 3456 when not.
// Special kinds are checked against the pieces they need, so that a stray
// table move can never corrupt the board when it is applied.
template <Colour C>
int hashMovePlausible(Move move);
// Plays the move in place; returns the slot it captured (the en-passant victim
// for kind 3), EmptySlot if none, for updateNodeState and undoSearchMove.
template <Colour C>
int applySearchMove(Move move);
template <Colour C>
void undoSearchMove(Move move, int capturedSlot);
// Is the square attacked by a slot of the attacking colour (SearchBoard)?
template <Colour Attacker>
bool squareAttacked(int square);
// Is side C's king attacked (check detection of a node)?
template <Colour C>
bool inCheck();

inline int generateAllWhite(Move* l, int f, int t, int c, const std::array<std::int16_t, 4>& s) {
    return generateAll<White>(l, f, t, c, s);
}
inline int generateAllBlack(Move* l, int f, int t, int c, const std::array<std::int16_t, 4>& s) {
    return generateAll<Black>(l, f, t, c, s);
}
inline int generateCapturesWhite(Move* l, int f, int t) { return generateCaptures<White>(l, f, t); }
inline int generateCapturesBlack(Move* l, int f, int t) { return generateCaptures<Black>(l, f, t); }
inline int kingAttackedWhite(Move m, int wasInCheck = 1) { return kingAttacked<White>(m, wasInCheck); }
inline int kingAttackedBlack(Move m, int wasInCheck = 1) { return kingAttacked<Black>(m, wasInCheck); }
inline int givesCheckWhite(Move m, int k, const NodeState& s) { return givesCheck<White>(m, k, s); }
inline int givesCheckBlack(Move m, int k, const NodeState& s) { return givesCheck<Black>(m, k, s); }
inline int hashMovePlausibleWhite(Move m) { return hashMovePlausible<White>(m); }
inline int hashMovePlausibleBlack(Move m) { return hashMovePlausible<Black>(m); }
inline int applySearchMoveWhite(Move m) { return applySearchMove<White>(m); }
inline int applySearchMoveBlack(Move m) { return applySearchMove<Black>(m); }
inline void undoSearchMoveWhite(Move m, int c) { undoSearchMove<White>(m, c); }
inline bool inCheckWhite() { return inCheck<White>(); }
inline bool inCheckBlack() { return inCheck<Black>(); }
inline void undoSearchMoveBlack(Move m, int c) { undoSearchMove<Black>(m, c); }

}  // namespace halberd::board
