#pragma once
// Where the pieces stand and what they reach: rook files, the bishop pair,
// heavy pieces on the seventh and eighth rank, outposts, and the mobility pass
// with its threats and king-zone attack count. All terms White minus Black.
#include <array>

#include "board/nodestate.h"
#include "eval/pawns.h"
#include "eval/weights.h"

namespace halberd::eval {

// Rooks on files without own pawns (positional).
int rookFiles(const board::SearchBoard& sb, const board::NodeState& state);
// Both original bishops still on the board (positional).
int bishopPair(const board::SearchBoard& sb, const board::NodeState& state);
// Rooks and queen on the seventh or eighth rank (positional; late middlegame and endgame).
int heavyPiecesOnSeventh(const board::SearchBoard& sb);
// Outpost value of a minor piece of colour C on a square.
template <board::Colour C>
int knightOutpost(const board::SearchBoard& sb, int square);
// Outposts of both sides' knights and bishops (positional).
int outposts(const board::SearchBoard& sb);

// The mobility pass: adds threat penalties to `positional` and the king-attack
// balance to `proximity`; returns the mobility score, already doubled.
int evaluatePieces(const board::SearchBoard& sb, const board::NodeState& state, PawnAttacks whitePawnAttacks,
                   PawnAttacks blackPawnAttacks, board::Colour side, int& positional, int& proximity);

}  // namespace halberd::eval
