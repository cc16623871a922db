#include "board/perft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board_helpers.h"
#include "perft_cases.h"
#include "test_data.h"

namespace hb = halberd::board;
using halberd::testing::PerftCase;
using halberd::testing::playAll;
using halberd::testing::readEpd;
using halberd::testing::standardPositions;
using halberd::testing::startGame;

TEST(Perft, StartPositionToDepthFour) {
    const hb::GameBoard game = startGame();
    EXPECT_EQ(hb::perft(game, 0, hb::PerftMode::CopyMake), 1u);
    EXPECT_EQ(hb::perft(game, 1, hb::PerftMode::CopyMake), 20u);
    EXPECT_EQ(hb::perft(game, 2, hb::PerftMode::CopyMake), 400u);
    EXPECT_EQ(hb::perft(game, 3, hb::PerftMode::CopyMake), 8902u);
    EXPECT_EQ(hb::perft(game, 4, hb::PerftMode::CopyMake), 197281u);
}

TEST(Perft, GamePositionsWithEnPassantAndMate) {
    // After 1.e4 a6 2.e5 d5 White may take en passant: counts from Stockfish.
    hb::GameBoard game = startGame();
    ASSERT_EQ(playAll(game, {"e2e4", "a7a6", "e4e5", "d7d5"}), hb::ResultPlayed);
    EXPECT_EQ(hb::perft(game, 1, hb::PerftMode::CopyMake), 31u);
    EXPECT_EQ(hb::perft(game, 3, hb::PerftMode::CopyMake), 24166u);
    // The mated side has no moves.
    hb::GameBoard mated = startGame();
    ASSERT_EQ(playAll(mated, {"f2f3", "e7e5", "g2g4", "d8h4"}), hb::ResultMate);
    EXPECT_EQ(hb::perft(mated, 1, hb::PerftMode::CopyMake), 0u);
    EXPECT_EQ(hb::perft(mated, 3, hb::PerftMode::CopyMake), 0u);
    // Black to move one ply before the mate.
    ASSERT_EQ(hb::gotoPly(mated, hb::GotoBack), 0);
    EXPECT_EQ(hb::perft(mated, 2, hb::PerftMode::Fast), hb::perft(mated, 2, hb::PerftMode::CopyMake));
}

namespace {

// Checks every case to maxDepth (or its deepest count, whichever is lower).
void checkCases(const std::vector<PerftCase>& cases, int minDepth, int maxDepth) {
    for (const PerftCase& c : cases) {
        hb::GameBoard game;
        hb::resetGameToStart(game);
        game.chess960 = c.chess960;
        ASSERT_EQ(hb::setupFromFen(game, c.fen), 0) << c.fen;
        const int deepest = std::min(maxDepth, static_cast<int>(c.counts.size()));
        for (int depth = minDepth; depth <= deepest; ++depth)
            EXPECT_EQ(hb::perft(game, depth, hb::PerftMode::CopyMake), c.counts[static_cast<std::size_t>(depth - 1)])
                << c.fen << " depth " << depth;
    }
}

}  // namespace

TEST(Perft, StandardPositionsToDepthFour) { checkCases(standardPositions(), 1, 4); }

TEST(Perft, RandomPositionsToDepthThree) {
    const auto cases = readEpd(halberd::testing::dataPath("perft-random.epd"));
    ASSERT_EQ(cases.size(), 200u);
    checkCases(cases, 1, 3);
}

TEST(PerftSlow, RandomPositionsToDepthFour) {
    checkCases(readEpd(halberd::testing::dataPath("perft-random.epd")), 4, 4);
}

TEST(PerftSlow, RandomPositionsToDepthFive) {
    checkCases(readEpd(halberd::testing::dataPath("perft-random.epd")), 5, 5);
}

TEST(PerftSlow, StandardPositionsToDepthFive) { checkCases(standardPositions(), 5, 5); }

// All 960 start positions, then positions of random Chess960 games that keep a
// castling right (Shredder-FEN and X-FEN castling fields).
TEST(Perft, Chess960PositionsToDepthThree) {
    const auto cases = readEpd(halberd::testing::dataPath("perft-960.epd"), true);
    ASSERT_EQ(cases.size(), 1210u);
    checkCases(cases, 1, 3);
}

TEST(PerftSlow, Chess960PositionsToDepthFour) {
    checkCases(readEpd(halberd::testing::dataPath("perft-960.epd"), true), 4, 4);
}

TEST(Perft, DivideListsEveryRootMoveAndTheTotal) {
    hb::GameBoard game = startGame();
    ASSERT_EQ(playAll(game, {"e2e4", "a7a6", "e4e5", "d7d5"}), hb::ResultPlayed);
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(hb::perftDivide(game, 2, hb::PerftMode::CopyMake, out), 781u);
    std::fclose(out);
    const std::string printed(text, size);
    std::free(text);
    EXPECT_NE(printed.find("\ne5d6: 28\n"), std::string::npos) << printed;
    // The king comes first in generator order: e2 is free.
    EXPECT_EQ(printed.find("e1e2: "), 0u);
    EXPECT_NE(printed.find("\n\nNodes searched: 781\n"), std::string::npos);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), ':'), 32);
}
