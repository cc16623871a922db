#pragma once
// The squares a knight or slider reaches, as square sets: a ray stops at its
// first blocker and includes it. The mobility pass counts targets with these
// instead of walking the board square by square.
#include <array>
#include <bit>

#include "eval/boardview.h"

namespace halberd::eval {

namespace detail {

// Rays are numbered so that the four with positive steps come first: their
// first blocker is the lowest set square, the others' the highest.
constexpr std::array<int, 8> RayFileStep = {1, 0, 1, -1, -1, 0, -1, 1};
constexpr std::array<int, 8> RayRankStep = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int FirstNegativeRay = 4;

constexpr std::array<std::array<SquareSet, 64>, 8> Rays = [] {
    std::array<std::array<SquareSet, 64>, 8> rays{};
    for (int ray = 0; ray < 8; ++ray)
        for (int square = 0; square < 64; ++square) {
            int file = square % 8 + RayFileStep[ray];
            int rank = square / 8 + RayRankStep[ray];
            for (; file >= 0 && file < 8 && rank >= 0 && rank < 8; file += RayFileStep[ray], rank += RayRankStep[ray])
                rays[ray][square] |= squareBit(8 * rank + file);
        }
    return rays;
}();

static_assert(Rays[0][63] == 0 && Rays[1][63] == 0 && Rays[2][63] == 0 && Rays[3][63] == 0);
static_assert(Rays[4][0] == 0 && Rays[5][0] == 0 && Rays[6][0] == 0 && Rays[7][0] == 0);

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

// Without a blocker the ray runs to the edge. A stand-in blocker on the last
// square the ray could reach (h8 for rising rays, a1 for falling ones), whose
// own rays in that direction are empty, spares the branch for that case.
inline SquareSet rayAttacks(int ray, int square, SquareSet blockers) {
    const SquareSet line = Rays[ray][square];
    const SquareSet hit = line & blockers;
    const int first = ray < FirstNegativeRay ? std::countr_zero(hit | squareBit(63))
                                             : 63 - std::countl_zero(hit | squareBit(0));
    return line ^ Rays[ray][first];
}

}  // namespace detail

// Rays 0, 1, 4, 5 run along ranks and files, 2, 3, 6, 7 along diagonals.
inline SquareSet rookTargets(int square, SquareSet blockers) {
    return detail::rayAttacks(0, square, blockers) | detail::rayAttacks(1, square, blockers) |
           detail::rayAttacks(4, square, blockers) | detail::rayAttacks(5, square, blockers);
}
inline SquareSet bishopTargets(int square, SquareSet blockers) {
    return detail::rayAttacks(2, square, blockers) | detail::rayAttacks(3, square, blockers) |
           detail::rayAttacks(6, square, blockers) | detail::rayAttacks(7, square, blockers);
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
