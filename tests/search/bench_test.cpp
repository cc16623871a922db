#include "search/bench.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "search/transposition.h"

namespace halberd::search {
namespace {

TEST(Bench, EveryPositionIsLegalAndHasMoves) {
    EXPECT_EQ(benchPositions().size(), 30u);
    for (const std::string_view fen : benchPositions()) {
        board::GameBoard game;
        board::resetGameToStart(game);
        EXPECT_EQ(board::setupFromFen(game, std::string(fen)), 0) << fen;
        board::listLegalMoves(game);
        EXPECT_NE(game.legalMoves[0], 0u) << fen;
    }
}

TEST(Bench, NodeCountIsReproducible) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    const BenchResult first = runBench(3, sink);
    const BenchResult second = runBench(3, sink);
    EXPECT_EQ(first.positions, 30);
    EXPECT_EQ(first.nodes, second.nodes);
    EXPECT_GT(first.nodes, 30u * 20u);
    // The pawn table is cleared before each position, so its traffic repeats too.
    EXPECT_GT(first.pawnProbes, 0u);
    EXPECT_GT(first.pawnHits, 0u);
    EXPECT_LT(first.pawnHits, first.pawnProbes);
    EXPECT_EQ(first.pawnHits, second.pawnHits);
    EXPECT_EQ(first.pawnProbes, second.pawnProbes);

    std::rewind(sink);
    char line[256];
    int lines = 0;
    std::string last;
    std::string beforeLast;
    while (std::fgets(line, sizeof line, sink) != nullptr) {
        ++lines;
        beforeLast = last;
        last = line;
    }
    std::fclose(sink);
    EXPECT_EQ(lines, 66);
    EXPECT_EQ(beforeLast.rfind("pawn table: " + std::to_string(second.pawnHits) + " hits of " +
                                   std::to_string(second.pawnProbes) + " probes (",
                               0),
              0u)
        << beforeLast;
    EXPECT_EQ(last.rfind(std::to_string(second.nodes) + " nodes ", 0), 0u) << last;
    EXPECT_NE(last.find(" nps"), std::string::npos);
}

// The signature of `halberd bench`: a change that alters the node count at
// the default depth alters what the engine computes. A commit that does so on
// purpose says so with a "Bench: N" line and updates this number.
TEST(BenchSlow, SignatureAtTheDefaultDepth) {
    constexpr std::uint64_t Signature = 10'410'882;
    ttAllocate(std::int64_t{16} << 20);
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    const BenchResult result = runBench(DefaultBenchDepth, sink);
    std::fclose(sink);
    EXPECT_EQ(result.nodes, Signature);
}

}  // namespace
}  // namespace halberd::search
