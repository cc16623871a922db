#include "search/bench.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "search/newgame.h"
#include "search/report.h"
#include "search/root.h"
#include "search/search.h"
#include "search/threads.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace halberd::search {

namespace {

// Openings, middlegames with both kings under fire, tactics and endgames of
// every stage, so that every part of the search and the evaluation is walked.
constexpr std::array<std::string_view, 30> Positions = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "rnbqkb1r/ppp1pppp/5n2/3p4/2PP4/8/PP2PPPP/RNBQKBNR w KQkq - 1 3",
    "r1bq1rk1/pp2bppp/2n1pn2/2pp4/2PP4/2NBPN2/PP3PPP/R1BQ1RK1 w - - 0 8",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "2rq1rk1/pp1bppbp/3p1np1/n7/3NP3/1BN1BP2/PPPQ2PP/2KR3R w - - 5 12",
    "r1b2rk1/2q1bppp/p2p1n2/np2p3/3PP3/5N1P/PPBN1PP1/R1BQR1K1 w - - 1 13",
    "r2qr1k1/1p1nbppp/p2pbn2/4p3/4P3/1NN1BP2/PPPQ2PP/2KR1B1R w - - 4 12",
    "3r1rk1/p4ppp/1qp1b3/4P3/1p3B2/1P3Q2/P4PPP/2RR2K1 w - - 0 22",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "r1b1k2r/ppppnppp/2n2q2/2b5/3NP3/2P1B3/PP3PPP/RN1QKB1R w KQkq - 0 7",
    "2r3k1/pp3ppp/2n1b3/3pP3/3P4/P1N2N2/1P3PPP/2R3K1 b - - 2 20",
    "5rk1/1ppb3p/p1pb4/6q1/3P1p1r/2P1R2P/PP1BQ1P1/5RKN w - - 0 1",
    "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - - 0 7",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/8/8/4k3/8/8/3PK3/8 w - - 0 1",
    "8/5pk1/6p1/7p/2R5/6P1/5PKP/3r4 b - - 0 40",
    "8/8/3k4/3p4/3P4/3K4/8/8 w - - 0 1",
    "8/3k4/8/8/3NB3/8/3K4/8 w - - 0 1",
    "8/8/1p1k4/1P6/2K1B3/8/8/4b3 w - - 0 50",
    "6k1/8/5PK1/8/8/8/8/4r3 w - - 0 60",
    "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1",
    "8/pp3k2/2p5/3pP1p1/3P2P1/2P2K2/PP6/8 w - - 0 35",
    "2kr3r/ppp2ppp/2n5/2b1q3/4P1b1/2NP4/PPP1BPPP/R1BQK2R w KQ - 0 10",
    "1q4k1/5ppp/8/8/8/8/5PPP/1Q4K1 w - - 0 1",
};

}  // namespace

std::span<const std::string_view> benchPositions() { return Positions; }

BenchResult runBench(int depth, std::FILE* out, int threads, std::int64_t millis) {
    BenchResult result;
    const int threadsBefore = threadCount();
    setThreadCount(threads);
    if (ttBytes() == 0 || pawnTableBytes() == 0) allocateTables(std::int64_t{16} << 20);
    auto game = std::make_unique<board::GameBoard>();
    std::vector<double> searchMillis;
    const auto start = std::chrono::steady_clock::now();
    for (const std::string_view fen : Positions) {
        ++result.positions;
        board::resetGameToStart(*game);
        if (board::rejected(board::setupFromFen(*game, std::string(fen)))) {
            std::fprintf(out, "%2d illegal position %.*s\n", result.positions, static_cast<int>(fen.size()),
                         fen.data());
            continue;
        }
        board::listLegalMoves(*game);
        newGame();
        board::Position position = game->scratch;
        board::loadScratch(*game, position);
        board::MoveList list = game->legalMoves;
        const eval::PawnTable& pawns = mainWorker().eval.pawnTable;
        const std::uint32_t probesBefore = pawns.probes;
        const std::uint32_t hitsBefore = pawns.hits;
        SearchLimits limits;
        limits.depth = depth;
        if (millis > 0) limits.softMs = limits.hardMs = millis;
        // The bench reports no iterations.
        Session session(limits);
        session.setGameHistory(*game);
        SearchRequest request;
        request.side = game->sideToMove;
        request.rootList = list.data();
        request.position = &position;
        const auto searchStart = std::chrono::steady_clock::now();
        const SearchResult found = searchRoot(session, request);
        searchMillis.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - searchStart).count());
        const std::uint64_t nodes = found.nodes;
        result.nodes += nodes;
        result.pawnProbes += static_cast<std::uint32_t>(pawns.probes - probesBefore);
        result.pawnHits += static_cast<std::uint32_t>(pawns.hits - hitsBefore);
        std::fprintf(out, "%2d %-6s %6d %2d %10llu  %.*s\n", result.positions,
                     list[0] != 0 ? board::writeCoordinate(list[0] & 0xFFFF).c_str() : "-", found.score, found.depth,
                     static_cast<unsigned long long>(nodes), static_cast<int>(fen.size()), fen.data());
        std::fflush(out);
    }
    result.millis = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    std::sort(searchMillis.begin(), searchMillis.end());
    if (!searchMillis.empty())
        std::fprintf(out, "median search: %.1f ms with %d thread%s\n", searchMillis[searchMillis.size() / 2], threads,
                     threads == 1 ? "" : "s");
    std::fprintf(out, "pawn table: %llu hits of %llu probes (%.1f%%)\n",
                 static_cast<unsigned long long>(result.pawnHits), static_cast<unsigned long long>(result.pawnProbes),
                 result.pawnProbes > 0
                     ? 100.0 * static_cast<double>(result.pawnHits) / static_cast<double>(result.pawnProbes)
                     : 0.0);
    const std::uint64_t nps = result.nodes * 1000 / (result.millis > 0 ? result.millis : 1);
    std::fprintf(out, "%llu nodes %llu nps\n", static_cast<unsigned long long>(result.nodes),
                 static_cast<unsigned long long>(nps));
    std::fflush(out);
    setThreadCount(threadsBefore);
    return result;
}

}  // namespace halberd::search
