#include "eval/pawns.h"

#include <gtest/gtest.h>

#include "eval_fixture.h"

namespace halberd::testing {

namespace {

eval::PawnFacts facts;

int pawnScore(const std::string& fen, board::Colour side = board::White) {
    const auto p = positionFromFen(fen);
    facts = eval::computePawnStructure(p.board, p.state, side);
    return facts.score;
}

}  // namespace

TEST(PawnStructure, DoubledAndIsolatedPawns) {
    // a2+a3 against a7: White is doubled (40) and twice isolated (50), Black once isolated (25).
    EXPECT_EQ(pawnScore("4k3/p7/8/8/8/P7/P7/4K3 w - -"), -40 - 50 + 25);
    EXPECT_EQ(facts.topPasser[0], 0);
    EXPECT_EQ(facts.topPasser[1], 0);
}

TEST(PawnStructure, PassedPawnNeedsNoEnemyPawnAheadOnItsOrNeighbouringFiles) {
    // Knights on both sides keep the unstoppable-runner term out of the way.
    EXPECT_EQ(pawnScore("1n4k1/8/3p4/4P3/8/8/8/1N4K1 w - -"), 0);
    EXPECT_EQ(facts.passers[0][4], 0);

    // Black d5 on the same rank no longer stops e5; both are passers.
    // e5: 107 x 13 / 10 - 80 = 59; d5: 77 x 13 / 10 - 80 = 20.
    EXPECT_EQ(pawnScore("1n4k1/8/8/3pP3/8/8/8/1N4K1 w - -"), 59 - 20);
    EXPECT_EQ(facts.passers[0][4], sq("e5"));
    EXPECT_EQ(facts.passers[1][3], sq("d5"));
    EXPECT_EQ(facts.topPasser[0], sq("e5"));
    EXPECT_EQ(facts.topPasser[1], sq("d5"));
}

TEST(PawnStructure, ConnectedPassersBothTakeTheBonus) {
    // d5 and e5: each 139 - 80 + 87; Black's h7 passer 35 and isolated 25.
    EXPECT_EQ(pawnScore("1n4k1/7p/8/3PP3/8/8/8/1N4K1 w - -"), 2 * (139 - 80 + 87) - 35 + 25);
    // Equal keys: the lower file wins.
    EXPECT_EQ(facts.topPasser[0], sq("d5"));
    EXPECT_EQ(facts.topPasser[1], sq("h7"));
}

TEST(PawnStructure, TopPasserIsTheMostAdvancedThenTheNearestToAnEdge) {
    pawnScore("1n4k1/8/1P4P1/8/3P4/8/8/1N4K1 w - -");
    EXPECT_EQ(facts.topPasser[0], sq("b6"));  // b6 and g6 tie on rank and edge distance
    pawnScore("1n4k1/8/2P4P/8/8/8/8/1N4K1 w - -");
    EXPECT_EQ(facts.topPasser[0], sq("h6"));
}

TEST(PawnStructure, BackwardPawnAndDuo) {
    // d3 lags behind c4 and e5 covers d4: backward (56). c4-d3 are a duo on
    // rank 3: 36 x 3 / 5 = 21. Black's c5 and e5 are isolated.
    EXPECT_EQ(pawnScore("1n4k1/8/8/2p1p3/2P5/3P4/8/1N4K1 w - -"), -56 + 21 + 2 * 25);
    // c5 alone still covers d4.
    EXPECT_EQ(pawnScore("1n4k1/8/8/2p5/2P5/3P4/8/1N4K1 w - -"), -56 + 21 + 25);
    // With the enemy pawn on e6 nothing covers d4: no backward pawn, and c4
    // becomes a passer connected to d3 (100 - 54 + 36) that keeps the duo bonus.
    EXPECT_EQ(pawnScore("1n4k1/8/4p3/8/2P5/3P4/8/1N4K1 w - -"), 25 + (100 - 54 + 36) + 21);
}

TEST(PawnStructure, UnstoppablePasserAgainstALoneKing) {
    constexpr int h6 = 204 * 13 / 10;  // 265, no file penalty on h
    EXPECT_EQ(eval::runnerBonus(6), 3490);
    EXPECT_EQ(eval::runnerBonus(1), 2914);
    // King a8 is seven steps from h8: a runner whoever is to move.
    EXPECT_EQ(pawnScore("k7/8/7P/8/8/8/8/K7 w - -", board::White), eval::runnerBonus(5) + h6 - 25);
    EXPECT_EQ(pawnScore("k7/8/7P/8/8/8/8/K7 b - -", board::Black), eval::runnerBonus(5) + h6 - 25);
    // A Black knight makes the pawn stoppable; the passer bonus stays.
    EXPECT_EQ(pawnScore("kn6/8/7P/8/8/8/8/K7 w - -", board::White), h6 - 25);
    // King f7 catches it always, king e6 only when Black is to move.
    EXPECT_EQ(pawnScore("8/5k2/7P/8/8/8/8/K7 w - -", board::White), h6 - 25);
    EXPECT_EQ(pawnScore("8/8/4k2P/8/8/8/8/K7 w - -", board::White), eval::runnerBonus(5) + h6 - 25);
    EXPECT_EQ(pawnScore("8/8/4k2P/8/8/8/8/K7 b - -", board::Black), h6 - 25);
}

TEST(PawnStructure, PawnAttackSets) {
    pawnScore("4k3/7p/8/8/8/8/P3P3/4K3 w - -");
    const auto bit = [](const char* s) { return eval::PawnAttacks{1} << sq(s); };
    EXPECT_EQ(facts.attacks[0], bit("b3") | bit("d3") | bit("f3"));
    EXPECT_EQ(facts.attacks[1], bit("g6"));
}

TEST(PawnStructure, MirroredPositionsGiveOppositeScores) {
    const std::vector<std::string> fens = {
        "1n4k1/7p/8/3PP3/8/8/8/1N4K1 w - -",
        "1n4k1/8/8/2p1p3/2P5/3P4/8/1N4K1 w - -",
        "8/8/4k2P/8/8/8/8/K7 w - -",
        "8/p1p2ppp/1p6/3P4/P1P5/8/5PPP/4K1k1 w - -",
        "r1bqkb1r/pp3ppp/2n1pn2/2pp4/3P4/2PBPN2/PP3PPP/RNBQK2R w KQkq -",
        "8/3k4/1p1p4/pP1P4/P7/6p1/6P1/6K1 b - -",
    };
    for (const auto& fen : fens) {
        const auto p = positionFromFen(fen);
        const auto m = positionFromFen(mirrorFen(fen));
        for (const board::Colour side : {board::White, board::Black}) {
            const eval::PawnFacts mine = eval::computePawnStructure(p.board, p.state, side);
            const eval::PawnFacts mirrored = eval::computePawnStructure(m.board, m.state, board::opponent(side));
            EXPECT_EQ(mine.score, -mirrored.score) << fen;
            for (int c = 0; c < 2; ++c) {
                EXPECT_EQ(mine.topPasser[c] == 0, mirrored.topPasser[c ^ 1] == 0) << fen;
                if (mine.topPasser[c] != 0) {
                    EXPECT_EQ(mine.topPasser[c] ^ 56, mirrored.topPasser[c ^ 1]) << fen;
                }
            }
        }
    }
}

TEST(PawnTable, HitReturnsTheStoredFactsAndKingSquaresSplitEntries) {
    eval::PawnTable table;
    ASSERT_TRUE(eval::pawnTableAllocate(table, 1 << 12));
    const auto p = positionFromFen("8/8/4k2P/8/8/8/8/K7 w - -");
    const std::uint32_t hits = table.hits;
    const eval::PawnFacts computed = eval::evaluatePawns(p.board, p.state, board::White, table);
    const int first = computed.score;
    EXPECT_EQ(table.hits, hits);
    const eval::PawnFacts cached = eval::evaluatePawns(p.board, p.state, board::White, table);
    EXPECT_EQ(cached.score, first);
    EXPECT_EQ(table.hits, hits + 1);
    EXPECT_EQ(cached.topPasser, computed.topPasser);
    EXPECT_EQ(cached.passers, computed.passers);
    EXPECT_EQ(cached.attacks, computed.attacks);

    // Same pawns, Black without pieces: the king square and the side to move
    // are part of the key, so these are misses with their own scores.
    EXPECT_NE(eval::evaluatePawns(p.board, p.state, board::Black, table).score, first);
    const auto moved = positionFromFen("8/5k2/7P/8/8/8/8/K7 w - -");
    EXPECT_NE(eval::evaluatePawns(moved.board, moved.state, board::White, table).score, first);
    EXPECT_EQ(table.hits, hits + 1);
}

}  // namespace halberd::testing
