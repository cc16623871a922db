#pragma once
// The root of the search: opening-book hook, root move pre-sort, iterative
// deepening with aspiration windows, the reports of its iterations, and the
// principal-variation arrays that the front end and the game log read.
#include <array>
#include <cstdint>
#include <mutex>

#include "board/position.h"
#include "search/report.h"
#include "search/search.h"
#include "search/timecontrol.h"

namespace halberd::search {

// Result of a search that finished no iteration, and of a book move.
constexpr int NoResultScore = 32761;
constexpr int BookMoveScore = 1;
constexpr int MaxRootDepth = 64;

// The saved, previous and displayed variations (0-terminated), guarded by pvLock.
extern std::mutex pvLock;
PvArray savedPv();
PvArray previousPv();
PvArray displayedPv();
// The variation of the last iteration that finished (a stopped one may have cut
// its variation short).
PvArray completedPv();

// Status of the running (or last) search for the status line.
struct RootStatus {
    int iterationDepth;
    int rootMoveCount;
    int rootMovesLeft;
    std::uint32_t searchStartMillis;
    std::uint32_t movesSearched;  // by the main worker
    board::Move currentRootMove;
};
RootStatus rootStatus();
// A root move finished at the current iteration.
void noteRootMoveDone();
// The main worker turns to the root move `number` (from 1) of the iteration of
// `depth` plies: reported once the search has run a second.
void announceRootMove(Move move, int number, int depth);

// Book hook: puts a book move at the head of the root list and returns true, or
// returns false. Installed by the front end, which keys the book by the game it
// searches from; none means no book move.
using BookProbe = bool (*)(Move* rootList);
void setBookProbe(BookProbe probe);

// What a root search is asked to do.
struct SearchRequest {
    int side = board::White;
    // The legal moves, 0-terminated; bits 16-31 receive scores and the best
    // move ends at the head.
    Move* rootList = nullptr;
    // The position to search; the search computes its keys and prepares it.
    board::Position* position = nullptr;
    int previousScore = -InfiniteScore;
    std::int64_t softLimitMs = UnlimitedMillis;
    std::int64_t hardLimitMs = UnlimitedMillis;
    int depthLimit = MaxRootDepth;  // the deepest iteration wanted
    bool clearPv = true;            // forget the variation saved by the last search
    int multiPv = 1;                // the best moves shown, each with its own variation
};

// What it found.
struct SearchResult {
    Move move = 0;  // the head of the root list; 0 when the root has no legal move
    // The best score, BookMoveScore for a book move, NoResultScore when no
    // iteration finished; a root without legal moves gives the mate or
    // stalemate score.
    int score = NoResultScore;
    // The last iteration that produced a score (a book move leaves the limit asked).
    int depth = 0;
    bool fromBook = false;
    std::uint64_t nodes = 0;  // of every worker
};

// Chooses a move by iterative deepening on the main worker, with the helpers
// (threadCount() - 1) deepening the same root beside it. Deepening ends early
// once a mate is proven: two iterations in a row gave the same mate score, and
// its distance lies within the depth searched. A helper's result is taken when
// it finished a deeper iteration with a better score.
SearchResult searchRoot(const SearchRequest& request);

// Moves to mate of a winning mate score, plies to mate of any mate score.
constexpr int movesToMate(int score) { return (MateScore - 1 - score) / 2 + 1; }
constexpr int matePlies(int score) { return MateScore - (score < 0 ? -score : score); }
constexpr bool isMateValue(int score) { return score > MateBound || score < -MateBound; }
// Whether the last searchRoot played a book move: a searched score can be
// BookMoveScore too (a draw by repetition seen from the other side).
bool playedBookMove();

using SearchRoutine = int (*)(Worker&, Move, std::uint32_t, int, int, int, const NodeState&);
// Loads the worker's board and a node state from the position, runs the routine
// at depthPlies, and reports a board that did not come back unchanged.
int searchFromRoot(Worker& w, SearchRoutine routine, Move move, std::uint32_t flags, int depthPlies, int alpha,
                   int beta, const board::Position& position);

void presortRootMoves(Worker& w, int side, Move* list, board::Position& position);
// Stable sort by the signed score in bits 16-31, highest first.
void sortRootMoves(Move* list);
void setRootMoveScore(Move* list, Move move, int score);
// Ply 0's variation of the worker.
PvArray rootVariation(const Worker& w);
// Copies ply 0's variation of the main worker into the saved and displayed
// arrays; given the root, a variation that ends in the tables goes on with
// their best moves.
void savePv(const Worker& w, const board::Position* root = nullptr);

}  // namespace halberd::search
