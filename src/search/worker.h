#pragma once
// A search worker: everything one search thread writes. The node routines are
// handed their worker and reach for nothing else that changes, except what the
// workers share on purpose: the transposition table, the tablebase cache and
// their search's session (its stop request, its clock, the game before the root).
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "board/gameboard.h"
#include "board/searchboard.h"
#include "eval/evaluate.h"
#include "search/ordering.h"
#include "search/report.h"

namespace halberd::search {

// The principal variation lives in 64 chains, one per ply; ply p owns 64 - p
// elements. A variation is handed up by exchanging chain tails, never copied.
struct PvNode {
    PvNode* next;
    std::uint32_t word;  // move in bits 0-15, score in bits 16-31
};

constexpr std::uint32_t packPvWord(board::Move move, int score) {
    return (move & 0xFFFFu) | (static_cast<std::uint32_t>(score) << 16);
}
constexpr int pvWordScore(std::uint32_t word) { return static_cast<std::int16_t>(word >> 16); }
constexpr board::Move pvWordMove(std::uint32_t word) { return word & 0xFFFFu; }

// The counters of a worker's running search, all started afresh by
// startCounters(). The atomics are read by other threads while it runs: the
// status line, the node total of every worker, the node budget.
struct SearchCounters {
    std::atomic<std::uint64_t> nodes{0};
    std::atomic<std::uint32_t> movesSearched{0};
    std::atomic<std::uint32_t> currentRootMove{0};
    std::atomic<std::uint64_t> tbHits{0};  // tablebase probes that gave an answer
    int timeCheck = 0;
    // Deepest ply a node of the running search has reached (its selective depth).
    int selectiveDepth = 0;
    // Set when a node saw the stop request: every open node then returns at once
    // (restoring the board on its way out) and the root driver discards the
    // unfinished work. Nothing jumps across frames.
    bool aborted = false;
};

class Session;

struct Worker {
    Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // 0 is the main worker: it keeps the clock, reports and decides the move.
    int id = 0;
    // The search it works for; set before each search starts.
    Session* session = nullptr;
    board::SearchBoard board{};
    SearchTables tables{};
    // The root driver's copy of the root moves (zero-terminated); the scorer
    // substitutes it for the generated list at ply 0.
    board::MoveList rootMoves{};
    // The chains point into the block: a worker never moves.
    std::array<PvNode, 64 * 65 / 2> pvBlock{};
    std::array<PvNode*, 64> pvLists{};
    SearchCounters counters;
    // The game before the root, then one entry per ply: entries 0..historyBase
    // are the game's (historyBase: the root position), the node at ply p writes
    // historyBase + p.
    std::vector<board::HistoryEntry> history;
    int historyBase = -1;
    eval::EvalState eval;
    // The pawn table's size in force: a helper's table takes it when it next
    // searches, on its own thread.
    std::size_t pawnEntriesWanted = 0;
    int extensionPlyLimit = 0;
    int rootSide = board::White;
};

void startCounters(Worker& w);

// Earlier occurrences of a position at the ply (same side to move), walking back
// to the last irreversible move: 0, 1 (a single match at or after the root; a
// single match before the root is no draw) or the count when two or more.
int repetitionCount(const Worker& w, std::uint32_t keyHigh, int ply);

}  // namespace halberd::search
