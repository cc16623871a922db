#pragma once
// "halberd bench [DEPTH [THREADS [MILLIS]]]": fixed-depth (or fixed-time)
// searches of a fixed set of positions with cleared tables, for a reproducible
// node count (one thread) and speed figures.
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

// One line per position, the median time of a search, the pawn table's hit
// rate, then "N nodes M nps". With one thread and no time limit the node total
// depends only on the depth and the engine. `threads` search threads; `millis`,
// when not 0, limits each search to that time.
BenchResult runBench(int depth, std::FILE* out, int threads = 1, std::int64_t millis = 0);

}  // namespace halberd::search
