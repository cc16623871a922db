#include "search/search.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "board/diagnostics.h"
#include "searchharness.h"

namespace halberd::search {
namespace {

using testing::moveText;
using testing::SearchHarness;

TEST(Search, FindsMatesWithTheirDistance) {
    SearchHarness mateInOne("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    ASSERT_TRUE(mateInOne.ok);
    auto run = mateInOne.search(4);
    EXPECT_EQ(run.score, 32699);
    EXPECT_EQ(moveText(run.move), "a1a8");

    SearchHarness mateInTwo("k7/8/8/1K6/8/8/8/7R w - - 0 1");
    run = mateInTwo.search(5);
    EXPECT_EQ(run.score, 32697);
    EXPECT_EQ(moveText(run.move), "b5b6");

    SearchHarness mateInThree("2k5/8/8/8/8/8/8/R3K2R w - - 0 1");
    run = mateInThree.search(7);
    EXPECT_EQ(run.score, 32695);
}

TEST(Search, BeingMatedScoresTheDistanceFromTheRoot) {
    // Kb8 is the only move and Rh8 mates.
    SearchHarness harness("k7/8/1K6/8/8/8/8/7R b - - 0 1");
    const auto run = harness.search(10);
    EXPECT_EQ(run.score, -32698);
    EXPECT_EQ(moveText(run.move), "a8b8");
    EXPECT_EQ(run.depth, 2) << "a single legal move runs only the depth-2 iteration";
}

TEST(Search, NoMateIsShorterThanTheTruth) {
    // A mate score taken as a node's estimate and read back elsewhere as a
    // stand-pat value, and a check deep in the capture search whose quiet
    // evasions were not tried, each made a mate look nearer than it is.
    struct Case {
        const char* fen;
        int depth;
        int plies;  // the true distance to mate, in plies from the root
    };
    for (const Case c : {Case{"2k5/8/4K3/Q7/8/8/8/8 b - - 0 1", 7, 8}, Case{"2k5/8/4K3/Q7/8/8/8/8 b - - 0 1", 9, 8},
                         Case{"1b5k/7P/p1p2np1/2P2p2/PP3P2/4RQ1R/q2r3P/6K1 w - - 0 1", 2, 15},
                         Case{"1b5k/7P/p1p2np1/2P2p2/PP3P2/4RQ1R/q2r3P/6K1 w - - 0 1", 3, 15}}) {
        SearchHarness harness(c.fen);
        ASSERT_TRUE(harness.ok) << c.fen;
        const int score = harness.search(c.depth).score;
        if (score > MateBound || score < -MateBound) {
            EXPECT_GE(MateScore - std::abs(score), c.plies) << c.fen << " at depth " << c.depth;
        }
    }
}

TEST(Search, RootWithoutLegalMoves) {
    SearchHarness stalemate("7k/5K2/6Q1/8/8/8/8/8 b - - 0 1");
    ASSERT_NE(stalemate.game.legalMoves[0] & board::IllegalFlag, 0u) << "no legal move: the list is flagged";
    EXPECT_EQ(stalemate.search(4).score, 0);

    SearchHarness mated("7k/5KQ1/8/8/8/8/8/8 b - - 0 1");
    ASSERT_NE(mated.game.legalMoves[0] & board::IllegalFlag, 0u);
    EXPECT_EQ(mated.search(4).score, -MateScore);
}

TEST(Search, AvoidsStalematingWhenItCanMate) {
    SearchHarness harness("7k/5K2/8/6Q1/8/8/8/8 w - - 0 1");
    const auto run = harness.search(5);
    EXPECT_GT(run.score, MateBound);
    EXPECT_NE(moveText(run.move), "g5g6");
}

TEST(Search, FixedDepthSearchesAreReproducible) {
    SearchHarness harness("r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4");
    const auto first = harness.search(6);
    const auto second = harness.search(6);
    EXPECT_EQ(first.move, second.move);
    EXPECT_EQ(first.score, second.score);
    EXPECT_EQ(first.nodes, second.nodes);
    EXPECT_GT(first.nodes, 1000u);
}

TEST(Search, SearchBoardComesBackUnchanged) {
    board::clearInternalErrors();
    for (const char* fen :
         {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
          "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
          "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8"}) {
        SearchHarness harness(fen);
        ASSERT_TRUE(harness.ok) << fen;
        board::Position position = harness.rootPosition();
        board::NodeState state{};
        board::prepareRoot(position);
        board::SearchBoard before{};
        board::buildNodeState(position, state, before);
        harness.search(5);
        const board::SearchBoard& after = mainWorker().board;
        EXPECT_EQ(before.slotSquare, after.slotSquare) << fen;
        EXPECT_EQ(before.board, after.board) << fen;
        EXPECT_EQ(before.slotType, after.slotType) << fen;
        EXPECT_EQ(before.slotValue, after.slotValue) << fen;
    }
    EXPECT_EQ(board::internalErrorCount(), 0u);
}

TEST(Search, RepetitionCountWalksBackTwoPliesAtATime) {
    std::vector<board::HistoryEntry> entries(6);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].keyHigh = static_cast<std::uint32_t>(100 + i);
        entries[i].move = 1;
    }
    entries[1].keyHigh = 103;  // the position of entry 3, two plies earlier
    Worker w;
    Session session;
    session.setHistory(entries.data(), 5);
    takeSearchHistory(w, session, 105, board::White);
    // A node at ply 2 (index 7) looks at 3 and 1: two earlier occurrences.
    EXPECT_EQ(repetitionCount(w, 103, 2), 2);
    // The root's own position seen again four plies later: one occurrence at the root.
    EXPECT_EQ(repetitionCount(w, 105, 4), 1);
    // One earlier occurrence before the root is no draw.
    EXPECT_EQ(repetitionCount(w, 104, 2), 0);
    // The walk stops after an irreversible move.
    entries[3].flags = board::HistoryIrreversible;
    session.setHistory(entries.data(), 5);
    takeSearchHistory(w, session, 105, board::White);
    EXPECT_EQ(repetitionCount(w, 103, 2), 0) << "entry 3 is compared, entry 1 is behind the irreversible move";
    EXPECT_EQ(repetitionCount(w, 101, 2), 0);
}

TEST(Search, RepetitionInsideTheSearchIsWorthAUnitBelowZeroForTheRootSide) {
    // Black, a queen down, has danced its knight and Ng8 repeats a position for
    // the third time. The game's start position has no history entry of its own
    // but counts as an occurrence while no pawn has moved.
    struct Case {
        const char* moves;
        bool draws;
    };
    const Case cases[] = {
        {"g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1", true},
        {"g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1", true},
        {"a2a3 g8f6 g1f3 f6g8 f3g1 g8f6 g1f3", false},
    };
    for (const Case& c : cases) {
        SearchHarness harness("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
        ASSERT_TRUE(harness.play(c.moves));
        const auto run = harness.search(4);
        if (c.draws) {
            EXPECT_EQ(moveText(run.move), "f6g8") << c.moves;
            EXPECT_EQ(run.score, -1) << c.moves;
        } else {
            EXPECT_LT(run.score, -1000) << c.moves;
        }
    }
}

TEST(Search, FiftyMoveRuleInsideTheSearch) {
    SearchHarness harness("8/8/4k3/8/8/8/8/R3K3 w - - 99 80");
    const auto run = harness.search(3);
    EXPECT_EQ(run.score, 0);
}

TEST(Search, DeadDrawsAfterCaptures) {
    const auto dead = [](const std::string& fen) {
        SearchHarness harness(fen);
        board::Position position = harness.rootPosition();
        board::prepareRoot(position);
        board::NodeState state{};
        board::SearchBoard sb{};
        board::buildNodeState(position, state, sb);
        return insufficientMaterialSearch(sb, state);
    };
    EXPECT_TRUE(dead("8/8/4k3/8/8/3B4/8/4K3 w - - 0 1"));
    EXPECT_TRUE(dead("8/8/4k3/8/8/3N4/8/4K3 b - - 0 1"));
    EXPECT_TRUE(dead("8/8/4k3/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_TRUE(dead("8/8/2b1k3/8/8/3B4/8/4K3 w - - 0 1")) << "bishops on light squares";
    EXPECT_TRUE(dead("8/8/4k3/2b5/8/8/8/2B1K3 w - - 0 1")) << "bishops on dark squares";
    EXPECT_FALSE(dead("8/8/4k3/2b5/8/3B4/8/4K3 w - - 0 1")) << "bishops of opposite colours";
    EXPECT_FALSE(dead("8/8/4k3/3n4/8/3N4/8/4K3 w - - 0 1"));
    EXPECT_FALSE(dead("8/8/4k3/8/8/3R4/8/4K3 w - - 0 1"));
    EXPECT_FALSE(dead("8/8/4k3/8/8/3NN3/8/4K3 w - - 0 1"));
    EXPECT_FALSE(dead("8/8/4k3/8/8/3B4/7P/4K3 w - - 0 1"));
}

int winForSideToMove(const board::SearchBoard&, int, int, const board::NodeState&) { return 32766 - 3; }
int lossForSideToMove(const board::SearchBoard&, int, int, const board::NodeState&) { return -32766 + 2; }
int drawForSideToMove(const board::SearchBoard&, int, int, const board::NodeState&) { return 0; }

TEST(Search, TablebaseResultsBecomeMateDistances) {
    tablebaseMenLimit = 32;
    SearchHarness harness("8/8/4k3/8/8/3N4/3P4/4K3 w - - 0 1");
    // Every position after a root move is a win in 3 for the opponent: mate in
    // 3 moves at ply 1 scores 32700 - 1 - 2 x 3 - 1 for it.
    tablebaseProbe = winForSideToMove;
    EXPECT_EQ(harness.search(3).score, -(32700 - 1 - 6 - 1));
    tablebaseProbe = lossForSideToMove;
    EXPECT_EQ(harness.search(3).score, -(1 + 4 - 32700));
    tablebaseProbe = drawForSideToMove;
    EXPECT_EQ(harness.search(3).score, 0);
    tablebaseProbe = nullptr;
    tablebaseMenLimit = 0;
}

}  // namespace
}  // namespace halberd::search
