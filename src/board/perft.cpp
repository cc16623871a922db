#include "board/perft.h"

#include "board/gameboard.h"
#include "board/makemove.h"

namespace halberd::board {

namespace {

// Leaves below a node of side C whose legal moves are `moves`. Every move is
// played with copy-make, which lists the legal replies; the last level only
// counts the list.
template <Colour C>
std::uint64_t perftCopyMake(const Position& position, const Move* moves, int depth) {
    std::uint64_t leaves = 0;
    if (depth == 1) {
        while (moves[leaves] != 0) ++leaves;
        return leaves;
    }
    MoveList replies;
    for (; *moves != 0; ++moves) {
        Position child = position;
        const Move result = playMove<C>(replies.data(), *moves, 0, child);
        // A mated or stalemated side has no subtree; its list holds only flagged moves.
        if (result & (MateFlag | StalemateFlag | IllegalFlag)) continue;
        leaves += perftCopyMake<opponent(C)>(child, replies.data(), depth - 1);
    }
    return leaves;
}

// The legal moves of the side to move at the game position, into `moves`.
Position rootMoves(const GameBoard& game, MoveList& moves) {
    Position root = game.scratch;
    loadScratch(game, root);
    moves[0] = 0;
    const Move result = game.sideToMove == White ? playBlackMove(moves.data(), 0, 0, root)
                                                 : playWhiteMove(moves.data(), 0, 0, root);
    if (result & (MateFlag | StalemateFlag | IllegalFlag)) moves[0] = 0;
    return root;
}

}  // namespace

std::uint64_t perft(const GameBoard& game, int depth, PerftMode mode) {
    // The search's generators bring their own fast path; until then both modes
    // walk the copy-make routines.
    static_cast<void>(mode);
    if (depth <= 0) return 1;
    MoveList moves;
    const Position root = rootMoves(game, moves);
    return game.sideToMove == White ? perftCopyMake<White>(root, moves.data(), depth)
                                    : perftCopyMake<Black>(root, moves.data(), depth);
}

}  // namespace halberd::board
