#pragma once
// Random legal games played with the copy-make routines, for property tests of
// the search's in-place primitives: every visited position comes with its legal
// list (the oracle) and the move the walk continues with.
#include <random>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/keys.h"
#include "board/makemove.h"
#include "board/nodestate.h"

namespace halberd::testing {

struct WalkStart {
    board::Position position;
    int side;
};

// A hand-built game position: pieces by slot, castling states, nothing else.
struct Placed {
    int slot;
    const char* at;
    board::PieceType type;
};

inline void placeAll(board::GameBoard& game, std::initializer_list<Placed> pieces,
                     std::array<std::int32_t, 4> castling = {-1, -1, -1, -1}) {
    board::resetGameToStart(game);
    game.board.fill(board::EmptySlot);
    game.slotSquare.fill(board::OffBoard);
    for (const Placed& p : pieces) {
        const int square = board::squareOf(p.at[0] - 'a', p.at[1] - '1');
        game.slotSquare[p.slot] = square;
        game.board[square] = p.slot;
        game.slotType[p.slot] = p.type;
        game.slotValue[p.slot] = board::slotValueOfType(p.type);
    }
    game.castling = castling;
}

inline WalkStart startPosition() {
    board::GameBoard game;
    board::resetGameToStart(game);
    WalkStart start{game.scratch, board::White};
    board::loadScratch(game, start.position);
    start.position.lastMove = 0;
    start.position.halfmoveClock = 0;
    return start;
}

// A start position from FEN (its en-passant square kept as the last move).
inline WalkStart fenPosition(const std::string& fen) {
    board::GameBoard game;
    board::resetGameToStart(game);
    board::setupFromFen(game, fen);
    WalkStart start{game.scratch, game.sideToMove};
    board::loadScratch(game, start.position);
    return start;
}

// The start position and positions rich in castling, promotions and en passant.
inline std::vector<WalkStart> variedStarts() {
    return {startPosition(),
            fenPosition("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"),
            fenPosition("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -"),
            fenPosition("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"),
            fenPosition("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8"),
            fenPosition("n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"),
            fenPosition("rnbqkbnr/pp2pppp/8/2Pp4/8/8/P1PPPPPP/RNBQKBNR w KQkq d6 0 3")};
}

// The legal moves of `side` on the position, by copy-make; returns the count
// (0 after mate or stalemate).
inline int copyMakeLegalMoves(const board::Position& position, int side, board::Move* list) {
    board::Position copy = position;
    const board::Move result =
        side == board::White ? board::playBlackMove(list, 0, 0, copy) : board::playWhiteMove(list, 0, 0, copy);
    if (result & (board::MateFlag | board::StalemateFlag)) return 0;
    int n = 0;
    while (list[n] != 0) ++n;
    return n;
}

// The position after a legal move, by copy-make, with its halfmove clock.
inline board::Position copyMakeAfter(const board::Position& position, int side, board::Move move) {
    board::Position next = position;
    board::MoveList replies;
    if (side == board::White)
        board::playWhiteMove(replies.data(), move, 0, next);
    else
        board::playBlackMove(replies.data(), move, 0, next);
    next.halfmoveClock = board::resetsHalfmoveClock(move, position) ? 0 : position.halfmoveClock + 1;
    return next;
}

// The position as the search root sees it: keys and derived fields recomputed.
inline board::Position prepared(const board::Position& position, int side) {
    board::Position root = position;
    board::computeKeys(root, side);
    board::prepareRoot(root);
    return root;
}

// Visits `count` positions of random games from the starts (round robin);
// visit(position, side, legal list, legal count, chosen move, ply in the game).
// A game ends after
// maxPlies or when no legal move is left.
template <typename Visit>
void randomWalk(const std::vector<WalkStart>& starts, unsigned seed, int count, int maxPlies, Visit&& visit) {
    std::mt19937 random(seed);
    board::MoveList legal;
    std::size_t game = 0;
    board::Position position = starts[0].position;
    int side = starts[0].side;
    int ply = 0;
    for (int visited = 0; visited < count;) {
        const int n = copyMakeLegalMoves(position, side, legal.data());
        if (n == 0 || ply >= maxPlies) {
            ++game;
            position = starts[game % starts.size()].position;
            side = starts[game % starts.size()].side;
            ply = 0;
            continue;
        }
        const board::Move chosen = legal[std::uniform_int_distribution<int>(0, n - 1)(random)];
        visit(static_cast<const board::Position&>(position), side, static_cast<const board::Move*>(legal.data()), n,
              chosen, ply);
        ++visited;
        position = copyMakeAfter(position, side, chosen);
        side ^= 1;
        ++ply;
    }
}

}  // namespace halberd::testing
