#pragma once
// Every margin and limit of the node routines in one place. Scores are in
// units of 1/480 pawn (board::PawnValue), depths in 1/256 plies (OnePly)
// unless a name ends in Plies; piece values come from the board's table.
#include "board/types.h"
#include "search/search.h"

namespace halberd::search {

// Scores short of a mate: a static score outside +-NonMateLimit is a mate bound.
constexpr int NonMateLimit = MateBound - 1;

// ---------------------------------------------------------------- draws
constexpr int MinorValue = board::PieceValueMg[board::Knight];
constexpr int FiftyMoveLimit = 100;
// With this many reversible plies or fewer neither rule can have drawn.
constexpr int DrawFreeClock = 3;
// A single repetition scores two units below 0 for the root side, two or more one unit.
constexpr int SingleRepetitionUnits = 2;
constexpr int RepeatedRepetitionUnits = 1;

// ---------------------------------------------------------------- tablebases
// A tablebase score is stored this much deeper than the node, at most TablebaseMaxDepth.
constexpr int TablebaseDepthBonus = 6 * OnePly;
constexpr int TablebaseMaxDepth = 63 * OnePly;

// ---------------------------------------------------------------- root
// The first aspiration window lies this far around the previous score; each
// failure widens it by half plus this much again.
constexpr int AspirationHalfWidth = 50;
constexpr int AspirationMinDepth = 4;
// With a single legal move the root deepens only to this iteration.
constexpr int SingleMoveDepthCap = 3;
// Moves are extended up to ply 2 x iteration depth, at most MaxExtensionPly.
constexpr int ExtensionPliesPerIteration = 2;
constexpr int MaxExtensionPly = 62;

// ---------------------------------------------------------------- shallow pruning
// Razoring and static futility in non-PV nodes up to this depth.
constexpr int StaticPruningMaxPlies = 6;
// Razoring is left alone when alpha is already above twenty pawns.
constexpr int RazorAlphaLimit = 20 * board::PawnValue;
// Single-precision margins of the shallow pruning rules.
constexpr float RazorMarginPerPly = 4.2f * 486.0f;
constexpr float FutilityMarginPerPly = 2.4f * 486.0f;
constexpr int FutilityBase = 1458;

// ---------------------------------------------------------------- null move
constexpr int NullMoveMaxPly = 62;
// Reduction: NullReductionPlies, one more ply per NullMarginPerPly of estimate
// above beta (at most NullMarginMaxPlies) and one per NullDepthPerPly of depth.
constexpr int NullReductionPlies = 3;
constexpr int NullMarginPerPly = 1200;
constexpr int NullMarginMaxPlies = 3;
constexpr int NullDepthPerPly = 4 * OnePly;
// From this depth on a null-move cut-off is verified by a reduced search.
constexpr int NullVerifyDepth = 12 * OnePly;

// ---------------------------------------------------------------- move loop
// A node without a hash move is searched a ply shallower from this depth on.
constexpr int InternalReductionMinPlies = 4;
// Late-move pruning of quiet moves up to this depth (lateMoveCounts per ply).
constexpr int LateMovePruningMaxPlies = 12;
// Futility of single quiet moves up to this depth.
constexpr int MoveFutilityMaxPlies = 6;
// Late-move reductions from this depth on; the root keeps its first moves whole.
constexpr int ReductionMinDepth = 3 * OnePly;
constexpr int RootUnreducedMoves = 3;
// A move of a node that was (or is) on a principal variation reduces this much less.
constexpr int TtPvReduction = 1;
constexpr int TtPvReductionInPv = 2;
// A PV node whose estimate lies this far above its best score reduces a ply less.
constexpr int ReductionEstimateGap = 1440;
// History adjusts a reduction by one ply per HistoryPerReductionPly, at most HistoryReductionMax.
constexpr int HistoryPerReductionPly = 128;
constexpr int HistoryReductionMax = 2;
// A reduction leaves at least two plies to the child.
constexpr int ReductionKeepsPlies = 2;

// Singular extension of the hash move: from this depth, with an entry at most
// SingularDepthSlack plies shallower, tested SingularMarginPerPly x depth below it.
constexpr int SingularMinDepth = 8 * OnePly;
constexpr int SingularDepthSlack = 3;
constexpr int SingularMarginPerPly = 8;
// The test search runs at this fraction of the node's depth.
constexpr int SingularDepthDivisor = 2;

// History values settle within +-HistoryScale; the bonus d x d is capped there too.
constexpr int HistoryScale = 512;
// Moves that failed before a cut-off and are punished for it.
constexpr int MaxFailedMoves = 64;
// Queen promotions whose under-promotions are skipped.
constexpr int MaxQueenPromotions = 16;
// An under-promotion stays worth a look when the queen only drew: a score this close to 0.
constexpr int DrawishScore = 3;

// ---------------------------------------------------------------- quiescence
// In check the capture search tries every move down to this depth.
constexpr int CheckEvasionMinDepth = -OnePly;
// The material guess that spares an evaluation: phases in steps of a pawn's
// value of non-pawn material, and the margin the guess must clear.
constexpr int PhaseUnit = board::PawnValue;
constexpr int MaxPhase = 78;
constexpr int MaterialGuessMargin = 4 * board::PawnValue;
// Delta pruning: the margin a capture's gain must leave; endgames (a side with
// a rook's worth of pieces or less) keep a queen's margin.
constexpr int DeltaMargin = 800;
constexpr int DeltaEndgameMaterial = board::PieceValueMg[board::Rook];
constexpr int DeltaEndgameMargin = board::PieceValueMg[board::Queen];
constexpr int EnPassantGain = board::PawnValue;
constexpr int PromotionGain = board::PieceValueMg[board::Queen] - board::PawnValue;

}  // namespace halberd::search
