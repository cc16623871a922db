#pragma once
// The search workers of the process and the threads they run on: the main
// worker searches on the thinking thread, each helper on a thread of its own
// that lives from one search to the next, parked while none runs. The same
// threads share out the clearing of the tables.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "search/worker.h"

namespace halberd::search {

constexpr int MaxThreads = 256;

// Sets the number of workers, 1..MaxThreads (clamped), and starts or ends the
// helpers' threads. A new helper gets its pawn table when it first searches.
// Only while no search runs. False when a thread could not be made (the
// search then goes on with the workers it has).
bool setThreadCount(int threads);
int threadCount();

// The worker that keeps the clock, reports and decides the move.
Worker& mainWorker();

// Sizes the transposition table and the main worker's pawn table for a budget
// of `bytes` (clamped to 4 MiB .. 2 GiB) and clears them, the work shared among
// the threads; a helper's pawn table takes its new size when it next searches.
// Returns the clamped byte count, or -1 when an allocation fails.
std::int64_t allocateTables(std::int64_t bytes);
// The main worker's pawn table in bytes (for the "HP=..MB" line).
std::uint64_t pawnTableBytes();

// Clears what every worker learnt: the hash tables, the pawn tables and the
// move-ordering tables (before a new game).
void clearWorkers();

// The nodes of the running (or last) search, all workers together.
std::uint64_t searchedNodes();
// Its tablebase probes that gave an answer, all workers together.
std::uint64_t tablebaseHits();

// Waits until every helper has finished the work it was given.
void waitForHelpers();
// Wakes every helper to run `search` on its worker, once the helpers of the
// last search are parked again; returns the number woken. `search` is kept by
// the pool until the next work.
int startHelpers(std::function<void(Worker&)> search);
// Each helper in turn, on the calling thread, while no helper works.
void forEachHelper(const std::function<void(Worker&)>& visit);
// Runs work(part) for parts 0..parts-1 on the calling thread and the parked
// helpers, and returns when all are done. Only while no search runs.
void runParts(std::size_t parts, const std::function<void(std::size_t)>& work);

}  // namespace halberd::search
