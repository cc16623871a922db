#include "board/perft.h"

#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"

namespace halberd::board {

namespace {

template <Colour C>
std::uint64_t perftCopyMake(const Position& position, const Move* moves, int depth);

// Leaves below `move` of side C, `depth` plies counted from the node before it.
// Copy-make lists the legal replies; the last level only counts them.
template <Colour C>
std::uint64_t leavesAfter(const Position& position, Move move, int depth) {
    if (depth == 1) return 1;
    MoveList replies;
    Position child = position;
    const Move result = playMove<C>(replies.data(), move, 0, child);
    // A mated or stalemated side has no subtree; its list holds only flagged moves.
    if (result & (MateFlag | StalemateFlag | IllegalFlag)) return 0;
    return perftCopyMake<opponent(C)>(child, replies.data(), depth - 1);
}

// Leaves below a node of side C whose legal moves are `moves`.
template <Colour C>
std::uint64_t perftCopyMake(const Position& position, const Move* moves, int depth) {
    std::uint64_t leaves = 0;
    for (; *moves != 0; ++moves) leaves += leavesAfter<C>(position, *moves, depth);
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

std::uint64_t perftDivide(const GameBoard& game, int depth, PerftMode mode, std::FILE* out) {
    static_cast<void>(mode);
    MoveList moves;
    const Position root = rootMoves(game, moves);
    std::uint64_t total = depth <= 0 ? 1 : 0;
    for (const Move* m = moves.data(); depth > 0 && *m != 0; ++m) {
        const std::uint64_t leaves = game.sideToMove == White ? leavesAfter<White>(root, *m, depth)
                                                              : leavesAfter<Black>(root, *m, depth);
        std::fprintf(out, "%s: %llu\n", writeCoordinate(*m).c_str(), static_cast<unsigned long long>(leaves));
        total += leaves;
    }
    std::fprintf(out, "\nNodes searched: %llu\n", static_cast<unsigned long long>(total));
    return total;
}

}  // namespace halberd::board
