#pragma once
// The squares a knight or slider reaches, as square sets (sliders through
// board/magics.h: a line stops at its first blocker and includes it). The
// mobility pass counts targets with these instead of walking the board.
#include <array>

#include "board/magics.h"
#include "board/squaresets.h"
#include "eval/boardview.h"

namespace halberd::eval {

namespace detail {

constexpr std::array<SquareSet, 64> KnightTargets = [] {
    constexpr std::array<std::array<int, 2>, 8> Jumps = {
        {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}}};
    std::array<SquareSet, 64> targets{};
    for (int square = 0; square < 64; ++square)
        for (const auto& [df, dr] : Jumps) {
            const int file = square % 8 + df;
            const int rank = square / 8 + dr;
            if (file >= 0 && file < 8 && rank >= 0 && rank < 8) targets[square] |= squareBit(8 * rank + file);
        }
    return targets;
}();

}  // namespace detail

inline SquareSet knightTargets(int square) { return detail::KnightTargets[square]; }

// Counting bits: one instruction where the processor has it. Code that counts
// on every node is compiled twice (evaluatePieces) and the program picks
// the copy for the processor it runs on, since a plain x86-64 target has no
// popcount instruction and would call the library for each count.
constexpr int countSquares(SquareSet set) { return __builtin_popcountll(set); }

}  // namespace halberd::eval
