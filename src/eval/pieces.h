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

// What the mobility pass adds to the evaluation, White minus Black.
struct PieceTerms {
    int mobility = 0;    // already doubled
    int positional = 0;  // threat penalties
    int proximity = 0;   // the king-attack balance
};

// The mobility pass over knights, bishops, rooks and queens, given both
// colours' pawn attack sets (PawnFacts::attacks).
PieceTerms evaluatePieces(const board::SearchBoard& sb, const board::NodeState& state,
                          const std::array<PawnAttacks, 2>& pawnAttacks, board::Colour side);

}  // namespace halberd::eval
