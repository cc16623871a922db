#include "board/perft.h"

#include <gtest/gtest.h>

#include "board/gameboard.h"
#include "board/makemove.h"
#include "board_helpers.h"

namespace hb = halberd::board;
using halberd::testing::playAll;
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
