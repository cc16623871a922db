#pragma once
// The static evaluation: a signed score in 1/480 pawn from the side to move's view.
#include <cstdint>

#include "board/nodestate.h"
#include "eval/pawntable.h"
#include "eval/weights.h"

namespace halberd::eval {

// What the evaluations of one search worker write: its pawn table, and the
// calls of evaluate since the last reset (the root search resets it).
struct EvalState {
    PawnTable pawnTable;
    std::uint32_t evalCount = 0;
};

// Evaluates a board with the node's state for the side to move; the search
// hands in its working board and its worker's evaluation state.
int evaluate(const board::SearchBoard& sb, const board::NodeState& state, board::Colour side, EvalState& es);

// ------------------------------------------------------------ the combination
// The term accumulators of one evaluation, White minus Black.
struct EvalTerms {
    int positional = 0;  // placement, threats, passer races, endgame rules
    int kingSafety = 0;  // shelter and open files at both kings
    int pawn = 0;        // pawn structure and blocked passers
    int proximity = 0;   // pieces and king near their own men, king-zone attacks
    int mobility = 0;    // the piece-activity pass
    int special = 0;     // lone-minor and endgame adjustments
};

// Every evaluation stays inside the mate bounds.
constexpr int EvalLimit = 32000;

// Weight of the middlegame tables, 0..78, from both sides' non-pawn material.
int phaseWeight(const board::NodeState& state);

// The weighted total of stages 0..4, White minus Black.
int combineTerms(const board::NodeState& state, const EvalTerms& terms, int phase);

// From a White-minus-Black total to the mover's score: sign, fifty-move
// scaling toward the tempo bonus, rounding to tens (stages 0..4), the clamp,
// and never 0 (a 0 would read as a draw).
int finishScore(int total, board::Colour side, int halfmoveClock, bool roundToTens);

}  // namespace halberd::eval
