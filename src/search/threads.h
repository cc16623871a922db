#pragma once
// The search workers of the process and the threads they run on: the main
// worker searches on the thinking thread, each helper on a thread of its own
// for the length of one search, all of them on the one transposition table.
#include <cstdint>
#include <functional>

#include "search/worker.h"

namespace halberd::search {

constexpr int MaxThreads = 256;

// Sets the number of workers, 1..MaxThreads (clamped); a new worker gets a pawn
// table of the size in force. Only while no search runs. False when memory for
// a new worker's pawn table is short (it then probes an empty table).
bool setThreadCount(int threads);
int threadCount();

// The worker that keeps the clock, reports and decides the move.
Worker& mainWorker();

// Sizes the transposition table and every worker's pawn table for a budget of
// `bytes` (clamped to 4 MiB .. 2 GiB) and clears them, the work shared among
// the threads; returns the clamped byte count, or -1 when an allocation fails.
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

// Runs `search` for every helper on a thread of its own; joinHelpers waits for
// them all (they return once the stop request is set).
void startHelpers(const std::function<void(Worker&)>& search);
void joinHelpers();
// Each helper in turn, on the calling thread, while no helper runs.
void forEachHelper(const std::function<void(Worker&)>& visit);

}  // namespace halberd::search
