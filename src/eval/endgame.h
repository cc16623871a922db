#pragma once
// Endgame knowledge: passed pawns racing the kings, kings staying near their
// pawns, the endgame rules for lone minors, rooks and passers, and the
// complete evaluation of pawnless positions with its material corrections.
#include <array>

#include "board/nodestate.h"
#include "eval/pawns.h"
#include "eval/weights.h"

namespace halberd::eval {

// Passers racing the kings: adds to `positional` and `pawnScore` (endgame and pawn ending).
void passerRaces(const board::SearchBoard& sb, const PawnFacts& facts, int& positional, int& pawnScore);
// Each king's distance to its nearest own pawn (proximity; endgame and pawn ending).
int kingPawnDistance(const board::SearchBoard& sb, const board::NodeState& state);
// The endgame-stage rules: lone minor against pawns sets `special` to
// lossWhite or lossBlack; bishop of the promotion colour, rook behind a passer,
// king cut off and passer pair against a lone rook add to `positional`.
void endgameRules(const board::SearchBoard& sb, const board::NodeState& state, board::Colour side,
                  const PawnFacts& facts, int lossWhite, int lossBlack, int& positional, int& special);

// Score of a position without pawns, material balance included; 0 for the draw patterns.
int evaluatePawnless(const board::SearchBoard& sb, const board::NodeState& state);

// Material-specific corrections of the pawnless score and the phase weight
// that mixes the square tables.
struct PawnlessCorrection {
    int score;        // the corrected pawnless score
    int phaseWeight;  // 0..78; the endgame weight is 78 minus it
};
PawnlessCorrection correctPawnless(const board::NodeState& state, int pawnlessScore);

}  // namespace halberd::eval
