#pragma once
// Endgame knowledge: passed pawns racing the kings, kings staying near their
// pawns, the endgame rules for lone minors, rooks and passers, and the
// complete evaluation of pawnless positions with its material corrections.
#include <array>

#include "board/nodestate.h"
#include "eval/pawns.h"
#include "eval/weights.h"

namespace halberd::eval {

// Passers racing the kings (endgame and pawn ending), White minus Black.
struct RaceTerms {
    int positional = 0;  // the kings' distances to the stop squares
    int pawn = 0;        // blocked passers
};
RaceTerms passerRaces(const board::SearchBoard& sb, const PawnFacts& facts);

// Each king's distance to its nearest own pawn (proximity; endgame and pawn ending).
int kingPawnDistance(const board::SearchBoard& sb, const board::NodeState& state);

// A side left with a single minor piece can hardly win, which tilts the
// special term toward the other side; the endgame rules use the loss values
// when that minor faces pawns alone.
struct LoneMinorValues {
    int special = 0;
    std::array<int, 2> loss{};  // by colour of the lone minor's side
};
LoneMinorValues loneMinor(const board::NodeState& state);

// The endgame-stage rules, White minus Black.
struct EndgameRuleTerms {
    int positional = 0;  // bishop of the promotion colour, rook behind a passer, king cut off, passer pair
    int special = 0;     // the lone minor's special term, or its loss when it faces pawns alone
};
EndgameRuleTerms endgameRules(const board::SearchBoard& sb, const board::NodeState& state, board::Colour side,
                              const PawnFacts& facts, const LoneMinorValues& lone);

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
