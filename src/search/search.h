#pragma once
// The node routine of the principal-variation alpha-beta search, with the
// capture search below the horizon in the same routine. One template on the
// side to move; searchWhite and searchBlack are its two instances.
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "board/gameboard.h"
#include "board/nodestate.h"

namespace halberd::search {

using board::Colour;
using board::Move;
using board::NodeState;

constexpr int MateScore = 32700;
constexpr int MateBound = 32000;
constexpr int InfiniteScore = 32767;
constexpr int UnknownEval = -32767;
constexpr int IllegalScore = 32760;
constexpr int OnePly = 256;
constexpr int MaxPly = 63;

// NodeFlags bits.
constexpr std::uint32_t VerifyLegality = 0x2;
// The side that made the move was not in check: its legality test then looks
// only along the lines through the squares the move emptied.
constexpr std::uint32_t MoverWasNotInCheck = 0x4;
constexpr std::uint32_t SameNode = 0x200;
constexpr std::uint32_t NullVerification = 0x1000;
constexpr std::uint32_t RootNode = 0x80000;

// The principal variation lives in 64 chains, one per ply; ply p owns 64 - p
// elements. A variation is handed up by exchanging chain tails, never copied.
struct PvNode {
    PvNode* next;
    std::uint32_t word;  // move in bits 0-15, score in bits 16-31
};
extern std::array<PvNode*, 64> pvLists;

constexpr std::uint32_t packPvWord(Move move, int score) {
    return (move & 0xFFFFu) | (static_cast<std::uint32_t>(score) << 16);
}
constexpr int pvWordScore(std::uint32_t word) { return static_cast<std::int16_t>(word >> 16); }
constexpr Move pvWordMove(std::uint32_t word) { return word & 0xFFFFu; }

// lmrTable[d][m] = trunc(0.4 x log2 d x log2 m), 0 when d or m is below 2.
extern const std::array<std::array<std::uint8_t, 64>, 32> lmrTable;
constexpr std::array<int, 16> lateMoveCounts = {2, 3, 5, 7, 11, 16, 21, 28, 35, 42, 51, 60, 70, 80, 91, 103};

// Search-wide settings of the running search.
extern int extensionPlyLimit;
extern int rootSide;

// The counters of the running search, all started afresh by startCounters().
// The first three are atomics because the command thread reads them for the
// status line while the search runs.
struct SearchCounters {
    std::atomic<std::uint32_t> nodes{0};
    std::atomic<std::uint32_t> movesSearched{0};
    std::atomic<std::uint32_t> currentRootMove{0};
    int timeCheck = 0;
    // Deepest ply a node of the running search has reached (its selective depth).
    int selectiveDepth = 0;
    // Set when a node saw the stop request: every open node then returns at once
    // (restoring the SearchBoard on its way out) and the root driver discards the
    // unfinished work. Nothing jumps across frames.
    bool aborted = false;
};
extern SearchCounters counters;
void startCounters();

// The game's history handed to the search for repetition detection: entries
// 0..lastIndex are the game's, the node at ply p writes entry lastIndex + p.
// `start`, when given, is the game's start position (it can still recur) and
// goes before them.
void loadSearchHistory(const board::HistoryEntry* entries, int lastIndex, const board::HistoryEntry* start = nullptr);
// The same from a game: all its moves, and its start position while that can recur.
void loadGameHistory(const board::GameBoard& game);
// Makes sure the root position itself is in the history (a game without moves
// has no entry for it); called once the root keys are known.
void anchorSearchHistory(std::uint32_t rootKeyHigh, int rootSideToMove);
// Forgets the handed history: each root search consumes the one given to it.
void clearSearchHistory();

// Earlier occurrences of a position at the ply (same side to move), walking back
// to the last irreversible move: 0, 1 (a single match at or after the root; a
// single match before the root is no draw) or the count when two or more.
int repetitionCount(std::uint32_t keyHigh, int ply);

// Tablebase probe: a non-zero men limit enables it. The probe returns 0 for a
// draw, 32766 - n for a win in n moves, -32766 + n for a loss in n moves,
// 32767 for no answer and below -32766 when the table is missing.
using TablebaseProbe = int (*)(int sideToMove, int epSquare, const NodeState& state);
extern int tablebaseMenLimit;
extern TablebaseProbe tablebaseProbe;

// Dead draw inside the tree: no pawns and a lone minor at most, or two
// same-coloured lone bishops.
bool insufficientMaterialSearch(const NodeState& state);

// The node routine for side C to move: applies the opponent's move (0 = null
// move, or nothing at the root), then searches. Depth in 1/256 plies.
template <Colour C>
int searchNode(Move move, std::uint32_t flags, int depth, int alpha, int beta, const NodeState& parent);

inline int searchWhite(Move m, std::uint32_t f, int d, int a, int b, const NodeState& p) {
    return searchNode<board::White>(m, f, d, a, b, p);
}
inline int searchBlack(Move m, std::uint32_t f, int d, int a, int b, const NodeState& p) {
    return searchNode<board::Black>(m, f, d, a, b, p);
}

}  // namespace halberd::search
