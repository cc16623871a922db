#pragma once
// Pawn structure: doubled, isolated, backward and passed pawns, duos,
// connected and unstoppable passers. Besides the score it hands the later
// terms each side's passers, most advanced passer and pawn attack sets
// (PawnFacts). Results depend on the pawns only (and on king squares and side
// to move when a side has no pieces), so they are cached in the pawn table.
#include <array>
#include <cstdint>

#include "board/nodestate.h"
#include "eval/pawntable.h"
#include "eval/weights.h"

namespace halberd::eval {

// Byte f: square of the side's passed pawn on file f, 0 = none.
using PassedPawnList = std::array<std::uint8_t, 8>;
// Bit s: square s is attacked by a pawn of the side.
using PawnAttacks = std::uint64_t;

// Bonus of an unstoppable passer of rank r against a side without pieces.
constexpr int runnerBonus(int rank) {
    return scaled(RunnerBase - RunnerRankStep * (7 - rank) - scaled(PassedPawnValue[rank], PasserScale), RunnerShare);
}

// Scans the pawns of the board: every fact, with the pawn score White minus Black.
PawnFacts computePawnStructure(const board::SearchBoard& sb, const board::NodeState& state, board::Colour side);

// The pawn facts through the pawn table: a hit copies the stored facts, a miss
// computes them and replaces the entry.
PawnFacts evaluatePawns(const board::SearchBoard& sb, const board::NodeState& state, board::Colour side,
                        PawnTable& table);

}  // namespace halberd::eval
