#include "search/root.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "board/diagnostics.h"
#include "board/keys.h"
#include "search/timecontrol.h"
#include "searchharness.h"

namespace halberd::search {
namespace {

using board::makeMove;
using board::Move;
using testing::moveText;
using testing::SearchHarness;

TEST(RootSearch, DepthLimitIsTheLastIterationAndIsReportedBack) {
    SearchHarness harness;
    const auto run = harness.search(5);
    EXPECT_EQ(run.depth, 5);
    EXPECT_NE(run.score, NoResultScore);
    const Variations v = harness.session->variations();
    const PvArray& pv = v.saved;
    EXPECT_EQ(pv[0], run.move) << "the saved variation starts with the chosen move";
    EXPECT_NE(pv[1], 0u);
    EXPECT_EQ(v.displayed, pv);
}

TEST(RootSearch, BestMoveIsAtTheHeadOfTheListWithItsScore) {
    SearchHarness harness("r1bqkbnr/pppp1ppp/2n5/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 2 3");
    const auto run = harness.search(4);
    EXPECT_EQ(moveText(run.move), "h5f7");
    EXPECT_EQ(pvWordScore(run.list[0]), run.score);
    // Every legal move is still in the list.
    int count = 0;
    while (run.list[static_cast<std::size_t>(count)] != 0) ++count;
    int legal = 0;
    while (harness.game.legalMoves[static_cast<std::size_t>(legal)] != 0) ++legal;
    EXPECT_EQ(count, legal);
}

TEST(RootSearch, SortIsStableAndByScore) {
    std::array<Move, 6> list = {packPvWord(makeMove(1, 2), -5),   packPvWord(makeMove(3, 4), 7),
                                packPvWord(makeMove(5, 6), -5),   packPvWord(makeMove(7, 8), 7),
                                packPvWord(makeMove(9, 10), 100), 0};
    sortRootMoves(list.data());
    EXPECT_EQ(list[0] & 0xFFFF, makeMove(9, 10));
    EXPECT_EQ(list[1] & 0xFFFF, makeMove(3, 4));
    EXPECT_EQ(list[2] & 0xFFFF, makeMove(7, 8));
    EXPECT_EQ(list[3] & 0xFFFF, makeMove(1, 2));
    EXPECT_EQ(list[4] & 0xFFFF, makeMove(5, 6));
    setRootMoveScore(list.data(), makeMove(5, 6), -32000);
    EXPECT_EQ(pvWordScore(list[4]), -32000);
    EXPECT_EQ(list[4] & 0xFFFF, makeMove(5, 6));
}

int stopAtFirstProbe(const board::SearchBoard&, int, int, const board::NodeState&) {
    mainWorker().session->requestStop();
    return TablebaseNoAnswer;
}

TEST(RootSearch, StopBeforeTheFirstResultKeepsThePresortOrder) {
    SearchHarness harness("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    testing::clearSearchTables();
    board::MoveList presorted = harness.game.legalMoves;
    board::Position position = harness.rootPosition();
    board::computeKeys(position, harness.game.sideToMove);
    board::prepareRoot(position);
    Session presorting;
    mainWorker().session = &presorting;
    mainWorker().counters.aborted = false;
    presortRootMoves(mainWorker(), harness.game.sideToMove, presorted.data(), position);

    // The probe of the first full-width node below the root stops the search.
    board::clearInternalErrors();
    tablebaseMenLimit = 32;
    tablebaseProbe = stopAtFirstProbe;
    const auto run = harness.search(10);
    tablebaseProbe = nullptr;
    tablebaseMenLimit = 0;
    EXPECT_EQ(run.score, NoResultScore);
    EXPECT_EQ(run.depth, 1);
    for (std::size_t i = 0; presorted[i] != 0; ++i) EXPECT_EQ(run.list[i] & 0xFFFF, presorted[i] & 0xFFFF) << i;
    EXPECT_EQ(board::internalErrorCount(), 0u) << "an abandoned search restores the SearchBoard";
}

TEST(RootSearch, TimeLimitEndsAnEndlessSearchWithALegalMove) {
    SearchHarness harness;
    board::clearInternalErrors();
    const auto run = harness.search(999, true, 100, 100);
    EXPECT_LT(run.depth, MaxRootDepth);
    EXPECT_GE(run.depth, 2);
    EXPECT_NE(run.score, NoResultScore);
    EXPECT_NE(std::find_if(harness.game.legalMoves.begin(), harness.game.legalMoves.end(),
                           [&](Move m) { return m != 0 && (m & 0xFFFF) == run.move; }),
              harness.game.legalMoves.end());
    EXPECT_EQ(board::internalErrorCount(), 0u);
}

TEST(RootSearch, BookMoveIsPlayedWithoutSearching) {
    SearchHarness harness;
    board::MoveList list = harness.game.legalMoves;
    for (std::size_t i = 0; list[i] != 0; ++i)
        if ((list[i] & 0xFFFF) == makeMove(11, 27)) std::swap(list[0], list[i]);
    Session session;
    const SearchResult found = playBookMove(session, list.data());
    EXPECT_EQ(found.score, BookMoveScore);
    EXPECT_TRUE(found.fromBook);
    EXPECT_EQ(moveText(found.move), "d2d4");
    EXPECT_EQ(found.nodes, 1u);
    const PvArray shown = session.variations().displayed;
    EXPECT_EQ(shown[0], makeMove(11, 27));
    EXPECT_EQ(shown[1], 0u);
    const RootStatus status = rootStatus(session);
    EXPECT_EQ(status.iterationDepth, 0);
    EXPECT_EQ(status.rootMoveCount, 20);
    EXPECT_EQ(status.rootMovesLeft, 19);
}

TEST(RootSearch, EachSearchKeepsItsOwnVariations) {
    SearchHarness harness;
    harness.search(4);
    const PvArray before = harness.session->variations().saved;
    EXPECT_NE(before[0], 0u);
    SearchHarness other("8/8/4k3/8/8/8/8/R3K3 w - - 0 1");
    other.search(3);
    EXPECT_NE(other.session->variations().saved, before);
    EXPECT_EQ(harness.session->variations().saved, before) << "a later search leaves an earlier one's variation";
}

}  // namespace
}  // namespace halberd::search
