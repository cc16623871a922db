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

namespace halberd::eval {

// Byte f: square of the side's passed pawn on file f, 0 = none.
using PassedPawnList = std::array<std::uint8_t, 8>;
// Bit s: square s is attacked by a pawn of the side.
using PawnAttacks = std::uint64_t;

// Passer tables by rank counted from the pawn's own side.
inline constexpr std::array<int, 8> PassedPawnValue = {0, 27, 39, 77, 107, 204, 408, 0};
inline constexpr std::array<int, 8> ConnectedPasserValue = {0, 0, 24, 36, 87, 144, 258, 0};
inline constexpr std::array<int, 8> PawnDuoValue = {0, 0, 24, 36, 87, 144, 258, 0};
inline constexpr std::array<int, 8> PasserFilePenalty = {0, 27, 54, 80, 80, 54, 27, 0};

constexpr int BackwardPenalty = 56;
constexpr int DoubledPenalty = 40;
constexpr int IsolatedPenalty = 25;

// Bonus of an unstoppable passer of rank r against a side without pieces.
constexpr int runnerBonus(int rank) {
    return ((5136 - 243 * (7 - rank) - PassedPawnValue[rank] * 13 / 10) * 4) / 5;
}

// Scans the pawns of the board; fills every fact and returns the pawn score,
// White minus Black.
int computePawnStructure(const board::SearchBoard& sb, const board::NodeState& state, board::Colour side,
                         PawnFacts& facts);

// The pawn score through the pawn table: a hit copies the stored facts, a miss
// computes them and replaces the entry.
int evaluatePawns(const board::SearchBoard& sb, const board::NodeState& state, board::Colour side, PawnFacts& facts);

}  // namespace halberd::eval
