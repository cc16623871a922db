#include "frontend/epdcommand.h"

#include <gtest/gtest.h>

#include <array>

#include "board/gameboard.h"
#include "board/notation.h"

namespace hb = halberd::board;
namespace hf = halberd::frontend;

namespace {

constexpr const char* Wac1 = "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - -";

}  // namespace

TEST(EpdLine, MalformedLinesAreSkippedWithTheirReason) {
    struct Row {
        std::string line;
        const char* fault;
    };
    const std::array<Row, 6> rows = {{
        {"2rr3k/pp3pp1 w - bm Qg6;", "not a legal position: 2rr3k/pp3pp1 w - bm"},
        {"8/8/8 w", "fewer than four FEN fields"},
        {std::string(Wac1) + " bm Qz9; id \"x\";", "bm Qz9 is no legal move"},
        {std::string(Wac1) + " am e2e4;", "am e2e4 is no legal move"},
        {std::string(Wac1) + " dm 0;", "dm 0 is no mate distance"},
        {std::string(Wac1) + " id \"WAC.001\";", "no bm, am or dm operation"},
    }};
    hb::GameBoard game;
    for (const Row& row : rows) {
        const hf::EpdLine read = hf::parseEpdLine(row.line, game);
        EXPECT_FALSE(read.problem.has_value()) << row.line;
        EXPECT_EQ(read.fault, row.fault) << row.line;
    }
    // Blank lines and comments are neither problems nor faults.
    for (const char* quiet : {"", "   ", "# a comment"}) {
        const hf::EpdLine read = hf::parseEpdLine(quiet, game);
        EXPECT_FALSE(read.problem.has_value());
        EXPECT_TRUE(read.fault.empty());
    }
}

TEST(EpdLine, SanAndCoordinateMovesNameTheSameMove) {
    hb::GameBoard game;
    const hf::EpdLine san = hf::parseEpdLine(std::string(Wac1) + " bm Qg6; id \"WAC.001\";", game);
    ASSERT_TRUE(san.problem.has_value()) << san.fault;
    EXPECT_EQ(san.problem->id, "WAC.001");
    // Suites write check signs apart, end lines with stray control characters
    // and quote texts that hold a ";".
    const hf::EpdLine apart =
        hf::parseEpdLine(std::string(Wac1) + " c0 \"a; b\"; bm Qg6 + ; id WAC.001\r" + std::string(1, '\0'), game);
    ASSERT_TRUE(apart.problem.has_value()) << apart.fault;
    EXPECT_EQ(apart.problem->best, san.problem->best);
    EXPECT_EQ(apart.problem->id, "WAC.001");
    const hf::EpdLine coordinate = hf::parseEpdLine(std::string(Wac1) + " bm g3g6 c2h7;", game);
    ASSERT_TRUE(coordinate.problem.has_value()) << coordinate.fault;
    ASSERT_EQ(coordinate.problem->best.size(), 2u);
    EXPECT_EQ(coordinate.problem->best[0], san.problem->best[0]);
    EXPECT_TRUE(hf::solves(*san.problem, san.problem->best[0], 0));
    EXPECT_FALSE(hf::solves(*san.problem, coordinate.problem->best[1], 0));
}

TEST(EpdLine, ASanMoveThatTwoPiecesFitNamesBoth) {
    hb::GameBoard game;
    // Both black knights reach e5.
    const hf::EpdLine read = hf::parseEpdLine(
        "r1bqk2r/ppp2ppp/2n5/4P3/2Bp2n1/5N1P/PP1N1PP1/R2Q1RK1 b kq - 1 10 ; bm Nh6; am Ne5", game);
    ASSERT_TRUE(read.problem.has_value()) << read.fault;
    EXPECT_EQ(read.problem->avoid.size(), 2u);
}

TEST(EpdArguments, OneLimitAndThreads) {
    using Args = std::vector<std::string_view>;
    const auto request = hf::parseEpdArguments(Args{"suite.epd", "--depth", "7", "--threads", "2"});
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->depth, 7);
    EXPECT_EQ(request->threads, 2);
    EXPECT_EQ(hf::parseEpdArguments(Args{"suite.epd"})->movetimeMs, 1000);
    for (const Args& bad : {Args{}, Args{"suite.epd", "--depth"}, Args{"suite.epd", "--depth", "0"},
                            Args{"suite.epd", "--depth", "5", "--nodes", "100"}, Args{"suite.epd", "--fast", "1"}})
        EXPECT_FALSE(hf::parseEpdArguments(bad).has_value());
}
