#include "frontend/searchreport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halberd::frontend {
namespace {

using board::makeMove;
using board::Move;
using search::LineMark;

// A thinking line of the facts given.
std::string line(int score, std::uint32_t elapsedMs, int depth, std::uint64_t nodes, int protocol, LineMark mark,
                 const Move* pv, int selectiveDepth, int hashfull) {
    search::IterationReport facts{depth, score, mark, elapsedMs, nodes, selectiveDepth, hashfull, {}};
    for (std::size_t i = 0; pv[i] != 0; ++i) facts.pv[i] = pv[i];
    return formatSearchLine(facts, protocol);
}

TEST(SearchReport, ScoreFormsOfBothProtocols) {
    EXPECT_EQ(uciScoreText(32699), "mate 1");
    EXPECT_EQ(uciScoreText(32697), "mate 2");
    EXPECT_EQ(uciScoreText(32001), "mate 350");
    EXPECT_EQ(uciScoreText(-32698), "mate -1");
    EXPECT_EQ(uciScoreText(-32696), "mate -2");
    EXPECT_EQ(uciScoreText(240), "cp 50");
    EXPECT_EQ(uciScoreText(-1), "cp 0");
    EXPECT_EQ(uciScoreText(-480), "cp -100");
    EXPECT_EQ(uciScoreText(32000), "cp 6666");

    EXPECT_EQ(xboardScore(32699), 100001);
    EXPECT_EQ(xboardScore(32697), 100002);
    EXPECT_EQ(xboardScore(-32698), -100001);
    EXPECT_EQ(xboardScore(-32696), -100002);
    EXPECT_EQ(xboardScore(240), 50);
    EXPECT_EQ(xboardScore(-1), 0);
}

TEST(SearchReport, XboardLineLayoutAndBookMark) {
    const Move pv[] = {makeMove(12, 28), 0};
    EXPECT_EQ(line(0, 1, 2, 1, ProtocolXboard, LineMark::FailHigh, pv, 2, 0), "2   0     0       1\te2e4! \n");
    const Move longer[] = {makeMove(12, 28), makeMove(52, 36), 0};
    EXPECT_EQ(line(480, 12345, 11, 4567890, ProtocolXboard, LineMark::None, longer, 20, 0),
              "11 100  1234 4567890\te2e4 e7e5 \n");
    // An evening's analysis on many threads passes 2^32 nodes.
    EXPECT_EQ(line(480, 12345, 11, 4294967301, ProtocolXboard, LineMark::None, longer, 20, 0),
              "11 100  1234 4294967301\te2e4 e7e5 \n");
}

TEST(SearchReport, UciLineShowsAtLeastOneMillisecond) {
    const Move pv[] = {makeMove(12, 28), makeMove(52, 36), 0};
    EXPECT_EQ(line(32699, 0, 3, 77, ProtocolUci, LineMark::None, pv, 1, 0),
              "info depth 3 score mate 1 seldepth 3 time 1 nodes 77 nps 77000 hashfull 0 pv e2e4 e7e5 \n");
    // Fail high and low are the score's bounds: a mark would spoil the move for a UCI interface.
    EXPECT_EQ(line(-240, 25, 5, 10, ProtocolUci, LineMark::FailLow, pv, 9, 12),
              "info depth 5 score cp -50 upperbound seldepth 9 time 25 nodes 10 nps 400 hashfull 12 pv e2e4 e7e5 \n");
    EXPECT_EQ(line(0, 2000, 5, 9223372036854775807, ProtocolUci, LineMark::None, pv, 5, 0),
              "info depth 5 score cp 0 seldepth 5 time 2000 nodes 9223372036854775807 nps 4611686018427387903 "
              "hashfull 0 pv e2e4 e7e5 \n");
    EXPECT_EQ(line(240, 25, 5, 10, ProtocolUci, LineMark::FailHigh, pv, 7, 999),
              "info depth 5 score cp 50 lowerbound seldepth 7 time 25 nodes 10 nps 400 hashfull 999 pv e2e4 e7e5 \n");
    // UCI promotion letters are lower case.
    const Move promotions[] = {makeMove(52, 60, board::PromoteQueen) | board::CaptureMark,
                               makeMove(11, 3, board::PromoteKnight), 0};
    EXPECT_EQ(line(0, 1, 2, 1, ProtocolUci, LineMark::None, promotions, 2, 0),
              "info depth 2 score cp 0 seldepth 2 time 1 nodes 1 nps 1000 hashfull 0 pv e7e8q d2d1n \n");
}

TEST(SearchReport, PvIsCutAfterSixtyThreeMovesAndShowsPromotions) {
    std::vector<Move> pv(80, makeMove(6, 21));
    pv.back() = 0;
    std::string text;
    appendPv(text, pv.data(), LineMark::None);
    EXPECT_EQ(text.size(), 63u * 5u);
    EXPECT_EQ(text.back(), ' ');

    const Move promotions[] = {makeMove(52, 60, board::PromoteQueen) | board::CaptureMark,
                               makeMove(11, 3, board::PromoteKnight), 0};
    text.clear();
    appendPv(text, promotions, LineMark::FailHigh);
    EXPECT_EQ(text, "e7e8Q! d2d1N ");
}

TEST(SearchReport, StatusLine) {
    EXPECT_EQ(formatStat01(12345, 999, 7, 3, 20, makeMove(12, 28)), "stat01: 1234 999 7 3 20 e2e4\n");
    EXPECT_EQ(formatStat01(9, 0, 0, 0, 0, 0), "stat01: 0 0 0 0 0 \n");
}

}  // namespace
}  // namespace halberd::frontend
