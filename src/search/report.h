#pragma once
// What the search tells of its progress: the facts of each iteration that
// produced a score (and of each fail high on the way, and the closing line of
// what it answers), handed to the reporter of its session. The search itself
// writes no protocol text.
#include <array>
#include <cstdint>
#include <functional>

#include "board/types.h"

namespace halberd::search {

// A variation, 0-terminated.
using PvArray = std::array<board::Move, 64>;

// How the score bounds the true value: exact, or the iteration failed high or low.
enum class LineMark { None, FailHigh, FailLow };

struct IterationReport {
    int depth = 0;
    int score = 0;
    LineMark mark = LineMark::None;
    std::uint32_t elapsedMs = 0;
    std::uint64_t nodes = 0;
    int selectiveDepth = 0;
    int hashfull = 0;          // the transposition table's use in thousandths
    PvArray pv{};              // the displayed variation
    int multiPv = 0;           // its rank among several variations from 1; 0 when the search shows one
    std::uint64_t tbHits = 0;  // tablebase probes that gave an answer
    // A report of the root move the search turns to, not of an iteration:
    // only the depth, the time, the move (pv[0]) and its number (multiPv) count.
    bool currentMove = false;
};

using Reporter = std::function<void(const IterationReport&)>;

}  // namespace halberd::search
