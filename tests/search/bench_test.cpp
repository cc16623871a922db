#include "search/bench.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"

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

    std::rewind(sink);
    char line[256];
    int lines = 0;
    std::string last;
    while (std::fgets(line, sizeof line, sink) != nullptr) {
        ++lines;
        last = line;
    }
    std::fclose(sink);
    EXPECT_EQ(lines, 62);
    EXPECT_EQ(last.rfind(std::to_string(second.nodes) + " nodes ", 0), 0u) << last;
    EXPECT_NE(last.find(" nps"), std::string::npos);
}

}  // namespace
}  // namespace halberd::search
