#pragma once
// The root of the search: root move pre-sort, iterative deepening with
// aspiration windows, the reports of its iterations and its closing line, and
// the variations that the front end and the game log read from the session.
#include <cstdint>

#include "board/position.h"
#include "search/report.h"
#include "search/search.h"
#include "search/session.h"

namespace halberd::search {

// Status of the search for the status line.
struct RootStatus {
    int iterationDepth;
    int rootMoveCount;
    int rootMovesLeft;
    std::uint32_t searchStartMillis;
    std::uint32_t movesSearched;  // by the main worker
    board::Move currentRootMove;
};
RootStatus rootStatus(const Session& session);
// A root move finished at the current iteration.
void noteRootMoveDone(Session& session);
// The main worker turns to the root move `number` (from 1) of the iteration of
// `depth` plies: reported once the search has run a second.
void announceRootMove(const Session& session, Move move, int number, int depth);

// What a root search is asked to do.
struct SearchRequest {
    int side = board::White;
    // The legal moves, 0-terminated; bits 16-31 receive scores and the best
    // move ends at the head.
    Move* rootList = nullptr;
    // The position to search; the search computes its keys and prepares it.
    board::Position* position = nullptr;
    int previousScore = -InfiniteScore;
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
// (threadCount() - 1) deepening the same root beside it, within the session's
// limits. Deepening ends early once a mate is proven: two iterations in a row
// gave the same mate score, and its distance lies within the depth searched. A
// helper's result is taken when it finished a deeper iteration with a better
// score. Returns as soon as the move is decided, with the closing line
// reported; the helpers stop on their own and the session waits for them when
// it ends.
SearchResult searchRoot(Session& session, const SearchRequest& request);

// The book's move at the head of the root list, played without a search: shown
// as a depth-2 line, as if searched.
SearchResult playBookMove(Session& session, const Move* rootList);

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
// Copies ply 0's variation of the main worker into the session's saved and
// displayed variations; given the root, a variation that ends in the tables
// goes on with their best moves.
void savePv(const Worker& w, const board::Position* root = nullptr);

}  // namespace halberd::search
