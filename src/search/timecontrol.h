#pragma once
// When a running search stops: the soft and hard time limits, the periodic
// clock check, the end-of-iteration test, a node budget, pondering and the
// stop request of the command thread.
#include <atomic>
#include <cstdint>

namespace halberd::search {

// Set by the command thread (or by the main worker) to end the running search;
// every worker polls it.
extern std::atomic<int> stopRequest;

// Monotonic clock in milliseconds, kept in 32 bits: differences stay exact across the wrap.
std::uint32_t nowMillis();

// A limit no search reaches (about 35 years in milliseconds).
constexpr std::int64_t UnlimitedMillis = std::int64_t{1} << 40;

// Clears the stop request and the soft-limit mark, records the limits
// (milliseconds) and the clock start.
void startClock(std::int64_t softLimitMs, std::int64_t hardLimitMs);
// Periodic check (every checkInterval() nodes of the main worker): the node
// budget against the nodes of every worker, then, unless pondering, the soft
// limit unless the score has just dropped and the hard limit always.
void checkTime(std::uint64_t nodes);
// Nodes between two periodic checks: about a two-hundredth of the hard limit at
// a million nodes a second, between MinCheckInterval and CheckInterval, and
// never more than a hundredth of a node budget; halved (down to a quarter of
// MinCheckInterval) whenever two checks lie more than 5 ms apart.
constexpr int CheckInterval = 250000;
constexpr int MinCheckInterval = 1024;
int checkInterval();

// Nodes the next searches may visit, 0 for no budget. Set before a search starts.
void setNodeLimit(std::uint64_t nodes);
// A budget no search exceeds, whatever its own (0: none): for an engine
// embedded where every search must stay short, such as a fuzzing harness.
void setNodeCeiling(std::uint64_t nodes);

// A mate in at most this many moves ends the search (0: no such goal). Set
// before a search starts.
void setMateLimit(int moves);
int mateLimit();

// Pondering: set before the search starts, the search runs without a time
// limit until ponderHit, which gives it its limits (milliseconds) counted from
// then. Safe from the command thread while the search runs.
void setPondering(bool on);
bool pondering();
void ponderHit(std::int64_t softLimitMs, std::int64_t hardLimitMs);

// Score-drop rule: an iteration whose score fell by more than a third of a
// pawn keeps the soft limit from stopping the next iteration at a periodic check.
void clearScoreDrop();
void updateScoreDrop(int scoreChange);
bool scoreDropped();
bool softTimeReached();

// End-of-iteration test with the score change of the iteration just finished;
// the clock and the node budget are checked here too.
bool iterationMayStop(int scoreChange, std::uint64_t nodes);

}  // namespace halberd::search
