#pragma once
// When a running search stops: the soft and hard time limits, the periodic
// clock check, the end-of-iteration test and the stop request of the command
// thread.
#include <atomic>
#include <cstdint>

namespace halberd::search {

// Set by the command thread (or by the search itself) to end the running search.
extern std::atomic<int> stopRequest;

// Monotonic clock in milliseconds, kept in 32 bits: differences stay exact across the wrap.
std::uint32_t nowMillis();

// Clears the stop request and the soft-limit mark, records the limits (tenths
// of a second) and the clock start.
void startClock(int softLimit, int hardLimit);
// Periodic check (every checkInterval() nodes): soft limit unless the score
// has just dropped, hard limit always.
void checkTime();
// Nodes between two periodic checks: 250000, fewer for a hard limit under ten
// seconds, so that a short budget is not overrun by the time those nodes take.
constexpr int CheckInterval = 250000;
constexpr int MinCheckInterval = 4096;
int checkInterval();

// Score-drop rule: an iteration whose score fell by more than a third of a
// pawn keeps the soft limit from stopping the next iteration at a periodic check.
void clearScoreDrop();
void updateScoreDrop(int scoreChange);
bool scoreDropped();
bool softTimeReached();

// End-of-iteration test with the score change of the iteration just finished;
// the clock is read here too.
bool iterationMayStop(int scoreChange);

}  // namespace halberd::search
