#pragma once
// When a search stops: the soft and hard time limits, the periodic clock
// check, the end-of-iteration test, a node budget and pondering.
#include <atomic>
#include <cstdint>

namespace halberd::search {

class Session;

// Monotonic clock in milliseconds, kept in 32 bits: differences stay exact across the wrap.
std::uint32_t nowMillis();

// A limit no search reaches (about 35 years in milliseconds).
constexpr std::int64_t UnlimitedMillis = std::int64_t{1} << 40;
// The deepest iteration of any search.
constexpr int MaxRootDepth = 64;

// Nodes between two periodic checks: about a two-hundredth of the hard limit at
// a million nodes a second, between MinCheckInterval and CheckInterval, and
// never more than a hundredth of a node budget; halved (down to a quarter of
// MinCheckInterval) whenever two checks lie more than 5 ms apart.
constexpr int CheckInterval = 250000;
constexpr int MinCheckInterval = 1024;

// The clock of one search. The limits and the start are written by ponderHit on
// the command thread while the search reads them; the rest is the main worker's.
struct SearchClock {
    std::atomic<std::uint32_t> start{0};
    std::atomic<std::int64_t> softMs{UnlimitedMillis};
    std::atomic<std::int64_t> hardMs{UnlimitedMillis};
    std::atomic<bool> pondering{false};
    bool softReached = false;
    // Score-drop rule: an iteration whose score fell by more than a third of a
    // pawn keeps the soft limit from stopping the next iteration at a periodic check.
    bool scoreDropped = false;
    int interval = CheckInterval;
    std::uint32_t lastCheck = 0;
};

// Records the limits (milliseconds, counted from now) and sets the check
// interval; the stop request is left as it is: a stop that came first stays.
void startClock(Session& session, std::int64_t softLimitMs, std::int64_t hardLimitMs);
// Periodic check (every interval nodes of the main worker): the node budget
// against the nodes of every worker, then, unless pondering, the soft limit
// unless the score has just dropped and the hard limit always.
void checkTime(Session& session, std::uint64_t nodes);
void updateScoreDrop(SearchClock& clock, int scoreChange);
// End-of-iteration test with the score change of the iteration just finished;
// the clock and the node budget are checked here too.
bool iterationMayStop(Session& session, int scoreChange, std::uint64_t nodes);

}  // namespace halberd::search
