// Finds the multipliers of src/board/magics.h: for every square and slider, a
// number that maps each set of blockers on the piece's lines (edges left out)
// to a slot of its own, or to one shared only with blocker sets of the same
// reach. Deterministic: prints the same table every run.
// Build and run: g++ -O2 -std=c++20 scripts/find-magics.cpp -o /tmp/find-magics && /tmp/find-magics
#include <bit>
#include <cstdint>
#include <cstdio>
#include <vector>

using Set = std::uint64_t;

// What a slider on `square` reaches along the given steps, up to and including the first blocker.
Set reach(int square, Set blockers, const int (*steps)[2]) {
    Set result = 0;
    for (int d = 0; d < 4; ++d)
        for (int f = square % 8 + steps[d][0], r = square / 8 + steps[d][1]; f >= 0 && f < 8 && r >= 0 && r < 8;
             f += steps[d][0], r += steps[d][1]) {
            result |= Set{1} << (8 * r + f);
            if (blockers >> (8 * r + f) & 1) break;
        }
    return result;
}

// The squares whose men can stop the slider: its lines without their last square.
Set relevant(int square, const int (*steps)[2]) {
    Set result = 0;
    for (int d = 0; d < 4; ++d)
        for (int f = square % 8 + steps[d][0], r = square / 8 + steps[d][1];
             f + steps[d][0] >= 0 && f + steps[d][0] < 8 && r + steps[d][1] >= 0 && r + steps[d][1] < 8;
             f += steps[d][0], r += steps[d][1])
            result |= Set{1} << (8 * r + f);
    return result;
}

Set state = 0x9E3779B97F4A7C15ULL;
Set next() {  // xorshift64*
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 2685821657736338717ULL;
}

Set find(int square, const int (*steps)[2]) {
    const Set mask = relevant(square, steps);
    const int bits = std::popcount(mask);
    std::vector<Set> subsets, reaches;
    Set subset = 0;
    do {
        subsets.push_back(subset);
        reaches.push_back(reach(square, subset, steps));
        subset = (subset - mask) & mask;
    } while (subset != 0);
    std::vector<Set> used(std::size_t{1} << bits);
    std::vector<int> stamp(used.size(), 0);
    for (int attempt = 1;; ++attempt) {
        const Set factor = next() & next() & next();
        if (std::popcount((mask * factor) >> 56) < 6) continue;
        bool ok = true;
        for (std::size_t i = 0; ok && i < subsets.size(); ++i) {
            const std::size_t index = (subsets[i] * factor) >> (64 - bits);
            if (stamp[index] != attempt) {
                stamp[index] = attempt;
                used[index] = reaches[i];
            } else if (used[index] != reaches[i]) {
                ok = false;
            }
        }
        if (ok) return factor;
    }
}

int main() {
    const int rook[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    const int bishop[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    for (const auto* steps : {rook, bishop}) {
        std::printf("{{\n");
        for (int square = 0; square < 64; ++square)
            std::printf("    0x%016llXULL,%s", static_cast<unsigned long long>(find(square, steps)),
                        square % 3 == 2 ? "\n" : "");
        std::printf("\n}}\n");
    }
}
