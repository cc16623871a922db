#pragma once
// The command-line word "bench": "bench [DEPTH [THREADS [MILLIS]]]" searches
// the fixed position set (with one thread and no time limit the node count is
// the engine's signature), "bench eval [ROUNDS]" times
// the static evaluation alone, "bench tb [DIRECTORY]" the tablebase index
// functions (and the probe, given a directory of tables).
#include <optional>
#include <span>
#include <string_view>

namespace halberd::frontend {

struct BenchRequest {
    bool evaluationOnly = false;
    int amount = 0;  // search depth or evaluation rounds
    int threads = 1;
    int millis = 0;  // a time limit per search, 0 for none
};

inline constexpr int MaxBenchDepth = 40;
inline constexpr int DefaultEvalRounds = 100000;
inline constexpr int MaxEvalRounds = 100000000;
inline constexpr int MaxBenchMillis = 3600000;

// The arguments after the word "bench"; nothing when they are not understood.
std::optional<BenchRequest> parseBenchArguments(std::span<const std::string_view> arguments);

// 0 after the benchmark, 2 with a usage line on standard error for bad arguments.
int runBenchWord(std::span<const std::string_view> arguments);

}  // namespace halberd::frontend
