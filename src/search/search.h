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
#include "search/scores.h"
#include "search/worker.h"

namespace halberd::search {

using board::Colour;
using board::Move;
using board::NodeState;

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

// lmrTable[d][m] = trunc(0.4 x log2 d x log2 m), 0 when d or m is below 2.
extern const std::array<std::array<std::uint8_t, 64>, 32> lmrTable;
constexpr std::array<int, 16> lateMoveCounts = {2, 3, 5, 7, 11, 16, 21, 28, 35, 42, 51, 60, 70, 80, 91, 103};

// Gives a worker the game before the root from its session, with room for the
// plies of its search, and makes sure the root position itself is in it (a game
// without moves has no entry for it); called once the root keys are known.
void takeSearchHistory(Worker& w, const Session& session, std::uint32_t rootKeyHigh, int rootSideToMove);

// Tablebase probe: a non-zero men limit enables it. Settings of the tablebase
// registry, changed only while no search runs. The probe returns 0 for a
// draw, 32766 - n for a win in n moves, -32766 + n for a loss in n moves,
// 32767 for no answer and below -32766 when the table is missing.
using TablebaseProbe = int (*)(const board::SearchBoard& sb, int sideToMove, int epSquare, const NodeState& state);
extern int tablebaseMenLimit;
extern TablebaseProbe tablebaseProbe;

// Dead draw inside the tree: no pawns and a lone minor at most, or two
// same-coloured lone bishops.
bool insufficientMaterialSearch(const board::SearchBoard& sb, const NodeState& state);

// The node routine for side C to move: applies the opponent's move (0 = null
// move, or nothing at the root), then searches. Depth in 1/256 plies.
template <Colour C>
int searchNode(Worker& w, Move move, std::uint32_t flags, int depth, int alpha, int beta, const NodeState& parent);

inline int searchWhite(Worker& w, Move m, std::uint32_t f, int d, int a, int b, const NodeState& p) {
    return searchNode<board::White>(w, m, f, d, a, b, p);
}
inline int searchBlack(Worker& w, Move m, std::uint32_t f, int d, int a, int b, const NodeState& p) {
    return searchNode<board::Black>(w, m, f, d, a, b, p);
}

}  // namespace halberd::search
