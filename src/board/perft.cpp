#include "board/perft.h"

#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/nodestate.h"
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

// Leaves below a node of side C on a working board, by the search's own
// primitives: pseudo-legal generation, in-place apply and undo, and legality
// by the king test after the move; the last level counts the legal moves
// without playing most of them.
template <Colour C>
std::uint64_t perftFast(SearchBoard& sb, int depth, Move last, const std::array<std::int16_t, 4>& castling) {
    MoveList list;
    const int checked = inCheck<C>(sb);
    const int n = generateAll<C>(sb, list.data(), moveFrom(last), moveTo(last), checked, castling);
    if (depth == 1) return static_cast<std::uint64_t>(countLegalMoves<C>(sb, list.data(), n, checked));
    std::uint64_t leaves = 0;
    for (int i = 0; i < n; ++i) {
        const Move move = list[i];
        const int captured = applySearchMove<C>(sb, move);
        if (!kingAttacked<C>(sb, move, checked)) {
            std::array<std::int16_t, 4> after = castling;
            updateCastlingStates<C>(after, move, sb.board[moveTo(move)], captured);
            leaves += perftFast<opponent(C)>(sb, depth - 1, move, after);
        }
        undoSearchMove<C>(sb, move, captured);
    }
    return leaves;
}

// Loads a working board with the game position; returns its castling states
// and sets `last` to the move that produced it (en passant).
std::array<std::int16_t, 4> loadSearchBoard(const GameBoard& game, SearchBoard& sb, Move& last) {
    Position root = game.scratch;
    loadScratch(game, root);
    last = static_cast<Move>(root.lastMove);
    prepareRoot(root);
    NodeState state;
    buildNodeState(root, state, sb);
    return state.castling;
}

// Leaves below a legal root move of side C, by the fast primitives.
template <Colour C>
std::uint64_t fastLeavesAfter(SearchBoard& sb, Move move, int depth, const std::array<std::int16_t, 4>& castling) {
    if (depth == 1) return 1;
    const int captured = applySearchMove<C>(sb, move);
    std::array<std::int16_t, 4> after = castling;
    updateCastlingStates<C>(after, move, sb.board[moveTo(move)], captured);
    const std::uint64_t leaves = perftFast<opponent(C)>(sb, depth - 1, move, after);
    undoSearchMove<C>(sb, move, captured);
    return leaves;
}

// The legal moves of the side to move at the game position, into `moves`.
Position rootMoves(const GameBoard& game, MoveList& moves) {
    Position root = game.scratch;
    loadScratch(game, root);
    moves[0] = 0;
    const Move result =
        game.sideToMove == White ? playBlackMove(moves.data(), 0, 0, root) : playWhiteMove(moves.data(), 0, 0, root);
    if (result & (MateFlag | StalemateFlag | IllegalFlag)) moves[0] = 0;
    return root;
}

}  // namespace

std::uint64_t perft(const GameBoard& game, int depth, PerftMode mode) {
    if (depth <= 0) return 1;
    if (mode == PerftMode::Fast) {
        Move last = 0;
        SearchBoard sb{};
        const auto castling = loadSearchBoard(game, sb, last);
        return game.sideToMove == White ? perftFast<White>(sb, depth, last, castling)
                                        : perftFast<Black>(sb, depth, last, castling);
    }
    MoveList moves;
    const Position root = rootMoves(game, moves);
    return game.sideToMove == White ? perftCopyMake<White>(root, moves.data(), depth)
                                    : perftCopyMake<Black>(root, moves.data(), depth);
}

std::uint64_t perftDivide(const GameBoard& game, int depth, PerftMode mode, std::FILE* out) {
    // Root moves come from copy-make in either mode: the fast generator lists
    // the legal ones in the same order.
    MoveList moves;
    const Position root = rootMoves(game, moves);
    Move last = 0;
    SearchBoard sb{};
    const auto castling = mode == PerftMode::Fast ? loadSearchBoard(game, sb, last) : std::array<std::int16_t, 4>{};
    const bool white = game.sideToMove == White;
    std::uint64_t total = depth <= 0 ? 1 : 0;
    for (const Move* m = moves.data(); depth > 0 && *m != 0; ++m) {
        std::uint64_t leaves;
        if (mode == PerftMode::Fast)
            leaves = white ? fastLeavesAfter<White>(sb, *m, depth, castling)
                           : fastLeavesAfter<Black>(sb, *m, depth, castling);
        else
            leaves = white ? leavesAfter<White>(root, *m, depth) : leavesAfter<Black>(root, *m, depth);
        std::fprintf(out, "%s: %llu\n", writeCoordinate(*m).c_str(), static_cast<unsigned long long>(leaves));
        total += leaves;
    }
    std::fprintf(out, "\nNodes searched: %llu\n", static_cast<unsigned long long>(total));
    return total;
}

}  // namespace halberd::board
