#include "eval/evaluate.h"

#include <algorithm>

#include "eval/endgame.h"
#include "eval/kingsafety.h"
#include "eval/pawns.h"
#include "eval/pieces.h"
#include "eval/pst.h"

namespace halberd::eval {

namespace {

using namespace board;

// Stages 0-3: king safety and piece placement (steps 3 to 6), the lone minor's
// tilt among them.
void pieceAndKingTerms(const SearchBoard& sb, const NodeState& state, int stage, const LoneMinorValues& lone,
                       EvalTerms& terms) {
    if (stage <= StageLateMiddlegame) terms.positional += queenTropism(sb);
    terms.positional += rookFiles(sb, state);
    terms.proximity += minorsNearKing(sb);
    terms.kingSafety += shelterAndOpenFiles(sb, state);
    terms.positional += bishopPair(sb, state);
    terms.special = lone.special;
    terms.positional += lineUps(sb);
    if (stage >= StageLateMiddlegame) terms.positional += heavyPiecesOnSeventh(sb);
}

// Stages 3 and 4 after the pawn pass: passers racing the kings, kings near their pawns (step 9).
void endgamePawnTerms(const SearchBoard& sb, const NodeState& state, const PawnFacts& facts, EvalTerms& terms) {
    const RaceTerms races = passerRaces(sb, facts);
    terms.positional += races.positional;
    terms.pawn += races.pawn;
    terms.proximity += kingPawnDistance(sb, state);
}

// Stages 0-3: outposts, the endgame rules of stage 3, the mobility pass (steps 10 and 11).
void activityTerms(const SearchBoard& sb, const NodeState& state, int stage, Colour side, const PawnFacts& facts,
                   const LoneMinorValues& lone, EvalTerms& terms) {
    terms.positional += outposts(sb);
    if (stage == StageEndgame) {
        const EndgameRuleTerms rules = endgameRules(sb, state, side, facts, lone);
        terms.positional += rules.positional;
        terms.special = rules.special;
    }
    const PieceTerms pieces = evaluatePieces(sb, state, facts.attacks, side);
    terms.mobility = pieces.mobility;
    terms.positional += pieces.positional;
    terms.proximity += pieces.proximity;
}

// Stage 5: the pawnless evaluator replaces every family; only the square
// tables are mixed in, with a phase the material pattern may fix.
int pawnlessTotal(const SearchBoard& sb, const NodeState& state) {
    const PawnlessCorrection corrected = correctPawnless(state, evaluatePawnless(sb, state));
    return pstTerm(state.pstMg, state.pstEg, corrected.phaseWeight) + corrected.score;
}

}  // namespace

int phaseWeight(const NodeState& state) {
    return std::min((state.nonPawnMaterial[White] + state.nonPawnMaterial[Black]) / PhaseDivisor, FullPhase);
}

int combineTerms(const NodeState& state, const EvalTerms& terms, int phase) {
    const int eg = FullPhase - phase;
    const int matTerm = (state.materialMg * phase + state.materialEg * eg) / FullPhase;
    const int posTerm = scaled(terms.positional, PositionalScale);
    const int kingTerm = terms.kingSafety - terms.kingSafety * eg / KingSafetyFade;
    const int pawnTerm = terms.pawn + terms.pawn * eg / PawnGrowth;
    const int mobTerm = scaled(terms.mobility, MobilityScale);
    return matTerm + terms.special + posTerm + kingTerm + pawnTerm + pstTerm(state.pstMg, state.pstEg, phase) +
           terms.proximity + mobTerm;
}

int finishScore(int total, Colour side, int halfmoveClock, bool roundToTens) {
    total *= colourSign(side);
    // Beyond 100 plies the scaling would turn the sign; the score has reached the tempo value by then.
    const int clock = std::clamp(halfmoveClock, 0, 100);
    int r = total * (100 - clock) / 100 + TempoBonus;
    if (roundToTens) r = r / 10 * 10;
    if (r == 0) return -2;
    return std::clamp(r, -EvalLimit, EvalLimit);
}

int evaluate(const SearchBoard& sb, const NodeState& state, Colour side, EvalState& es) {
    ++es.evalCount;
    const int stage = state.stageCode;
    if (stage == StagePawnless) return finishScore(pawnlessTotal(sb, state), side, state.halfmoveClock, false);

    EvalTerms terms;
    const LoneMinorValues lone = loneMinor(state);
    if (stage <= StageEndgame) pieceAndKingTerms(sb, state, stage, lone, terms);

    const PawnFacts facts = evaluatePawns(sb, state, side, es.pawnTable);
    terms.pawn = facts.score;
    if (stage >= StageEndgame) endgamePawnTerms(sb, state, facts, terms);
    if (stage <= StageEndgame) activityTerms(sb, state, stage, side, facts, lone, terms);

    return finishScore(combineTerms(state, terms, phaseWeight(state)), side, state.halfmoveClock, true);
}

}  // namespace halberd::eval
