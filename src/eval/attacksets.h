#pragma once
// The squares a knight or slider reaches, as square sets: a ray stops at its
// first blocker and includes it. The mobility pass counts targets with these
// instead of walking the board square by square.
#include <array>

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

// Rays 0, 1, 4, 5 run along ranks and files, 2, 3, 6, 7 along diagonals.
inline SquareSet rookTargets(int square, SquareSet blockers) {
    return board::rayAttacks(0, square, blockers) | board::rayAttacks(1, square, blockers) |
           board::rayAttacks(4, square, blockers) | board::rayAttacks(5, square, blockers);
}
inline SquareSet bishopTargets(int square, SquareSet blockers) {
    return board::rayAttacks(2, square, blockers) | board::rayAttacks(3, square, blockers) |
           board::rayAttacks(6, square, blockers) | board::rayAttacks(7, square, blockers);
}
inline SquareSet knightTargets(int square) { return detail::KnightTargets[square]; }

// Counting bits: a plain x86-64 target has no popcount instruction, and the
// library call is slower than this.
constexpr int countSquares(SquareSet set) {
    set = set - ((set >> 1) & 0x5555555555555555ULL);
    set = (set & 0x3333333333333333ULL) + ((set >> 2) & 0x3333333333333333ULL);
    set = (set + (set >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<int>((set * 0x0101010101010101ULL) >> 56);
}

}  // namespace halberd::eval
