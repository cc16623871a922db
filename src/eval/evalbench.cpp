#include "eval/evalbench.h"

#include <array>
#include <chrono>
#include <string_view>
#include <vector>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/nodestate.h"
#include "eval/evaluate.h"
#include "eval/pawntable.h"

namespace halberd::eval {

namespace {

// Every game stage: openings with castling rights, middlegames, a late
// middlegame, endgames, pawn endings and pawnless positions.
constexpr std::array<std::string_view, 12> BenchPositions = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r2q1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1PN1PN2/PB2BPPP/R2Q1RK1 w - - 0 10",
    "2r3k1/pp3ppp/2n1b3/3p4/3P4/2N1B3/PP3PPP/2R3K1 w - - 0 25",
    "8/5pk1/6p1/3R4/7P/6P1/r4PK1/8 w - - 0 40",
    "8/2k5/3p4/p2P1p2/P2P1P2/8/4K3/8 w - - 0 50",
    "8/8/4kpp1/3p4/p2P1P1P/P3K3/6P1/8 b - - 0 45",
    "8/3B4/8/2k5/8/8/4K3/6N1 w - - 0 70",
    "6k1/8/8/8/3q4/8/2R5/1K6 b - - 0 60",
    "1r6/5k2/8/8/8/2B5/5K2/4R3 w - - 0 55",
    "r1b1k2r/ppp2ppp/2n5/3q4/1b1P4/2N2N2/PP3PPP/R1BQKB1R w KQkq - 0 8",
};

std::vector<board::Position> loadPositions() {
    std::vector<board::Position> positions;
    board::GameBoard game;
    for (std::string_view fen : BenchPositions) {
        if (board::rejected(board::setupFromFen(game, std::string(fen)))) continue;
        board::Position position{};
        board::loadScratch(game, position);
        board::prepareRoot(position);
        positions.push_back(position);
    }
    return positions;
}

// Where the scores go, so that the calls are not optimised away.
volatile int benchSink = 0;

}  // namespace

EvalBenchResult evalBenchmark(int rounds, EvalState& es) {
    const std::vector<board::Position> positions = loadPositions();
    pawnTableClear(es.pawnTable);
    EvalBenchResult result;
    const auto start = std::chrono::steady_clock::now();
    for (const board::Position& position : positions) {
        board::NodeState state;
        board::SearchBoard sb{};
        board::buildNodeState(position, state, sb);
        for (int round = 0; round < rounds; ++round)
            for (const board::Colour side : {board::White, board::Black}) benchSink = evaluate(sb, state, side, es);
        result.calls += 2 * static_cast<std::uint64_t>(rounds);
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (result.seconds > 0) result.callsPerSecond = static_cast<double>(result.calls) / result.seconds;
    return result;
}

}  // namespace halberd::eval
