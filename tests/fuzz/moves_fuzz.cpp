// Move sequences with take-backs: the input picks a start position, then each
// byte plays a legal move or goes back or forward in the game. Every position
// reached again by navigation must be exactly the one first reached by playing,
// and the search's in-place make and undo must agree with the legal move list
// and leave its board as it found it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "board/board_helpers.h"
#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/nodestate.h"
#include "board/perft.h"
#include "fuzzcheck.h"

namespace hb = halberd::board;
using halberd::fuzz::require;
using halberd::testing::GameSnapshot;
using halberd::testing::snapshotOf;

namespace {

constexpr std::array<const char*, 6> Starts = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "4k3/8/8/8/8/8/8/4K2R w K - 97 80",
};

int legalCount(const hb::GameBoard& game) {
    int n = 0;
    while (game.legalMoves[static_cast<std::size_t>(n)] != 0) ++n;
    return n;
}

// Every pseudo-legal move of side C, made and taken back on the working board,
// leaves the board as it was.
template <hb::Colour C>
void checkUndo(hb::SearchBoard& sb, const hb::NodeState& state) {
    hb::MoveList list;
    const int n = hb::generateAll<C>(sb, list.data(), hb::moveFrom(state.lastMove), hb::moveTo(state.lastMove),
                                     hb::inCheck<C>(sb), state.castling);
    const hb::SearchBoard loaded = sb;
    for (int i = 0; i < n; ++i) {
        const int captured = hb::applySearchMove<C>(sb, list[static_cast<std::size_t>(i)]);
        hb::undoSearchMove<C>(sb, list[static_cast<std::size_t>(i)], captured);
        require(std::memcmp(&loaded, &sb, sizeof loaded) == 0, "the search's undo left its board changed");
    }
}

// The search's primitives count the legal moves too, and undo every move they try.
void checkSearchPrimitives(const hb::GameBoard& game) {
    if (game.gameResult != 0) return;
    require(hb::perft(game, 1, hb::PerftMode::Fast) == static_cast<std::uint64_t>(legalCount(game)),
            "the search's generator counts another number of legal moves");
    hb::Position root = game.scratch;
    hb::loadScratch(game, root);
    root.lastMove = game.lastMove;
    hb::prepareRoot(root);
    hb::NodeState state;
    hb::SearchBoard sb{};
    hb::buildNodeState(root, state, sb);
    if (game.sideToMove == hb::White)
        checkUndo<hb::White>(sb, state);
    else
        checkUndo<hb::Black>(sb, state);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    require(hb::setupFromFen(game, Starts[data[0] % Starts.size()]) == 0, "a start position was refused");
    std::vector<GameSnapshot> seen = {snapshotOf(game)};  // seen[k]: the position after k half-moves
    const int startClock = game.scratch.halfmoveClock;
    checkSearchPrimitives(game);
    for (std::size_t i = 1; i < size; ++i) {
        const std::uint8_t byte = data[i];
        const int ply = game.plyCounter + 1;  // half-moves played to reach the current position
        if (byte < 0xE0) {
            const int n = legalCount(game);
            if (n == 0 || game.gameResult != 0) continue;
            const hb::Move move = game.legalMoves[static_cast<std::size_t>(byte % n)];
            const int result = hb::playGameMove(game, move);
            require(result >= 0 && result != hb::ResultNeedsPromotion, "a listed move was refused");
            seen.resize(static_cast<std::size_t>(ply) + 1);
            seen.push_back(snapshotOf(game));
        } else {
            int target = hb::GotoBack;
            if (byte >= 0xF8) target = hb::GotoForward;
            if (byte == 0xFF) target = hb::GotoEnd;
            if (byte >= 0xE0 && byte < 0xE8 && i + 1 < size) target = data[++i] % (game.historyTop + 3);
            const int expected = target == hb::GotoBack      ? ply - 1
                                 : target == hb::GotoForward ? ply + 1
                                 : target == hb::GotoEnd     ? game.historyTop + 1
                                                             : target;
            const bool possible = expected >= 0 && expected <= game.historyTop + 1;
            const GameSnapshot before = snapshotOf(game);
            require(hb::gotoPly(game, target) == (possible ? 0 : 1), "navigation judged its target wrongly");
            if (!possible) {
                require(snapshotOf(game) == before, "an impossible navigation changed the game");
                continue;
            }
            require(snapshotOf(game) == seen[static_cast<std::size_t>(expected)],
                    "navigation reached another position than the one played");
            // A take-back counts the halfmove clock from zero, except back at the start.
            if (expected == 0) require(game.scratch.halfmoveClock == startClock, "the start lost its halfmove clock");
        }
        checkSearchPrimitives(game);
    }
    return 0;
}
