#include "search/threads.h"

#include <gtest/gtest.h>

#include "board/diagnostics.h"
#include "search/timecontrol.h"
#include "searchharness.h"

namespace halberd::search {
namespace {

using testing::SearchHarness;

// Four workers on one table: the answer is a legal move of the root, forced
// mates are still found, the main worker's board comes back as it was, and
// a node budget counts every worker's nodes.
TEST(ThreadedSearch, FourWorkersAnswerLikeOne) {
    ASSERT_TRUE(setThreadCount(4));
    board::clearInternalErrors();
    const struct {
        const char* fen;
        const char* mate;  // the mating move, or none
    } cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "d1d8"},
        {"r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5Q2/PPPP1PPP/RNB1K1NR w KQkq - 4 4", "f3f7"},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", nullptr},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", nullptr},
    };
    for (const auto& c : cases) {
        SearchHarness harness(c.fen);
        ASSERT_TRUE(harness.ok) << c.fen;
        const auto run = harness.search(7);
        bool legal = false;
        for (std::size_t i = 0; harness.game.legalMoves[i] != 0; ++i)
            legal = legal || (harness.game.legalMoves[i] & 0xFFFF) == run.move;
        EXPECT_TRUE(legal) << c.fen;
        if (c.mate != nullptr) {
            EXPECT_EQ(testing::moveText(run.move), c.mate) << c.fen;
            EXPECT_TRUE(isMateValue(run.score)) << c.fen;
        }
        board::Position root = harness.rootPosition();
        board::prepareRoot(root);
        EXPECT_EQ(mainWorker().board.board, root.board) << c.fen;
    }
    SearchHarness budget("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    SearchLimits limits;
    limits.nodes = 200000;
    const auto limited = budget.searchWithin(limits);
    EXPECT_GE(limited.nodes, 200000u);
    EXPECT_LT(limited.nodes, 400000u) << "the budget counts the helpers' nodes too";
    EXPECT_EQ(board::internalErrorCount(), 0u);
    setThreadCount(1);
}

// Counters of 64 bits: two workers just below 2^32 each add up past it.
TEST(ThreadedSearch, NodeCountsAddUpPast32Bits) {
    ASSERT_TRUE(setThreadCount(2));
    constexpr std::uint64_t NearWrap = (std::uint64_t{1} << 32) - 16;
    mainWorker().counters.nodes = NearWrap;
    forEachHelper([](Worker& h) { h.counters.nodes = NearWrap + 32; });
    EXPECT_EQ(searchedNodes(), 2 * NearWrap + 32);
    setThreadCount(1);
}

}  // namespace
}  // namespace halberd::search
