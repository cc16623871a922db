#pragma once
// "halberd bench [DEPTH]": fixed-depth searches of a fixed set of positions
// with cleared tables, for a reproducible node count and a speed figure.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>

namespace halberd::search {

constexpr int DefaultBenchDepth = 11;

struct BenchResult {
    std::uint64_t nodes = 0;
    std::uint64_t millis = 0;
    int positions = 0;
    std::uint64_t pawnProbes = 0;
    std::uint64_t pawnHits = 0;
};

std::span<const std::string_view> benchPositions();

// One line per position, the pawn table's hit rate, then "N nodes M nps"; the
// node total depends only on the depth and the engine.
BenchResult runBench(int depth, std::FILE* out);

}  // namespace halberd::search
