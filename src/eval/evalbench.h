#pragma once
// Speed of the static evaluation on a fixed set of positions.
#include <cstdint>

#include "eval/evaluate.h"

namespace halberd::eval {

struct EvalBenchResult {
    std::uint64_t calls = 0;
    double seconds = 0.0;
    double callsPerSecond = 0.0;
};

// Evaluates every position of the set `rounds` times for each side to move
// with the given evaluation state (its pawn table is cleared first, as after a
// new game).
EvalBenchResult evalBenchmark(int rounds, EvalState& es);

}  // namespace halberd::eval
