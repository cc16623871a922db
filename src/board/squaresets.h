#pragma once
// Sets of squares as 64-bit words (bit s for square s) and the eight rays of
// every square: what a slider reaches, where the first man on a line stands.
#include <array>
#include <bit>
#include <cstdint>

namespace halberd::board {

using SquareSet = std::uint64_t;

constexpr SquareSet squareBit(int square) { return SquareSet{1} << square; }

// Rays are numbered so that the four with positive steps come first: their
// first man is the lowest set square, the others' the highest.
constexpr std::array<int, 8> RayFileStep = {1, 0, 1, -1, -1, 0, -1, 1};
constexpr std::array<int, 8> RayRankStep = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int FirstNegativeRay = 4;

// Rays[ray][square]: the squares from (not including) square to the edge.
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

constexpr bool isDiagonalRay(int ray) { return RayFileStep[ray] != 0 && RayRankStep[ray] != 0; }

// The ray of a board step (+1 east, +8 north, ...), -1 for other steps.
constexpr int rayOfStep(int step) {
    for (int ray = 0; ray < 8; ++ray)
        if (RayFileStep[ray] + 8 * RayRankStep[ray] == step) return ray;
    return -1;
}

// The nearest square of `hit` (a non-empty subset of the ray) to the ray's origin.
inline int nearestOnRay(int ray, SquareSet hit) {
    return ray < FirstNegativeRay ? std::countr_zero(hit) : 63 - std::countl_zero(hit);
}

// What a slider on the ray reaches: every square up to and including the
// first of `blockers`. Without a blocker the ray runs to the edge; a stand-in
// blocker on the last square a ray could reach (h8 for rising rays, a1 for
// falling ones), whose own rays that way are empty, spares the branch.
inline SquareSet rayAttacks(int ray, int square, SquareSet blockers) {
    const SquareSet line = Rays[ray][square];
    const SquareSet hit = line & blockers;
    const int first = nearestOnRay(ray, hit | (ray < FirstNegativeRay ? squareBit(63) : squareBit(0)));
    return line ^ Rays[ray][first];
}

}  // namespace halberd::board
