#pragma once
// The square-table term of the evaluation: the middlegame and endgame sums that
// the node routines keep (board/piecesquare.h), mixed by phase.
#include "board/piecesquare.h"
#include "eval/weights.h"

namespace halberd::eval {

// The phase-mixed term of the evaluation: the mix of the two sums by phase
// weight (0..78), scaled from table units to evaluation units.
constexpr int pstTerm(int mg, int eg, int phaseWeight) {
    return scaled((mg * phaseWeight + eg * (FullPhase - phaseWeight)) / FullPhase, PstScale);
}

}  // namespace halberd::eval
