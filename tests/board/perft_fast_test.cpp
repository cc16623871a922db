#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/perft.h"
#include "board_helpers.h"
#include "perft_cases.h"
#include "test_data.h"

namespace halberd::board {
namespace {

using testing::PerftCase;

// The fast perft (search generators, in-place apply/undo, king test) against
// the copy-make oracle and the recorded counts.
void checkFastAgainstCopyMake(const std::vector<PerftCase>& cases, int depth) {
    for (const PerftCase& c : cases) {
        GameBoard game;
        resetGameToStart(game);
        game.chess960 = c.chess960;
        ASSERT_EQ(setupFromFen(game, c.fen), 0) << c.fen;
        const int deepest = std::min(depth, static_cast<int>(c.counts.size()));
        for (int d = 1; d <= deepest; ++d) {
            const std::uint64_t fast = perft(game, d, PerftMode::Fast);
            EXPECT_EQ(fast, c.counts[static_cast<std::size_t>(d - 1)]) << c.fen << " depth " << d;
            if (d == deepest) {
                EXPECT_EQ(fast, perft(game, d, PerftMode::CopyMake)) << c.fen << " depth " << d;
            }
        }
    }
}

TEST(PerftFast, StandardPositionsToDepthFour) { checkFastAgainstCopyMake(testing::standardPositions(), 4); }

TEST(PerftFast, RandomPositionsToDepthThree) {
    const auto cases = testing::readEpd(testing::dataPath("perft-random.epd"));
    ASSERT_EQ(cases.size(), 200u);
    checkFastAgainstCopyMake(cases, 3);
}

TEST(PerftFastSlow, RandomPositionsToDepthFour) {
    checkFastAgainstCopyMake(testing::readEpd(testing::dataPath("perft-random.epd")), 4);
}

TEST(PerftFast, Chess960PositionsToDepthThree) {
    const auto cases = testing::readEpd(testing::dataPath("perft-960.epd"), true);
    ASSERT_EQ(cases.size(), 1210u);
    checkFastAgainstCopyMake(cases, 3);
}

TEST(PerftFastSlow, Chess960PositionsToDepthFour) {
    checkFastAgainstCopyMake(testing::readEpd(testing::dataPath("perft-960.epd"), true), 4);
}

TEST(PerftFast, GamePositionsAndDivide) {
    // En passant after a game move, and a game taken back to before a mate.
    GameBoard game = testing::startGame();
    ASSERT_EQ(testing::playAll(game, {"e2e4", "a7a6", "e4e5", "d7d5"}), ResultPlayed);
    EXPECT_EQ(perft(game, 3, PerftMode::Fast), 24166u);
    GameBoard mated = testing::startGame();
    ASSERT_EQ(testing::playAll(mated, {"f2f3", "e7e5", "g2g4", "d8h4"}), ResultMate);
    EXPECT_EQ(perft(mated, 1, PerftMode::Fast), 0u);
    EXPECT_EQ(perft(mated, 0, PerftMode::Fast), 1u);

    const auto divide = [&game](PerftMode mode) {
        char* text = nullptr;
        std::size_t size = 0;
        std::FILE* out = open_memstream(&text, &size);
        perftDivide(game, 3, mode, out);
        std::fclose(out);
        std::string printed(text, size);
        std::free(text);
        return printed;
    };
    const std::string fast = divide(PerftMode::Fast);
    EXPECT_EQ(fast, divide(PerftMode::CopyMake));
    EXPECT_NE(fast.find("Nodes searched: 24166\n"), std::string::npos);
}

}  // namespace
}  // namespace halberd::board
