#include "eval/endgame.h"

#include <gtest/gtest.h>

#include "board/tables.h"
#include "eval_fixture.h"

namespace halberd::testing {

namespace {

eval::RaceTerms races(const EvalPosition& p) {
    return eval::passerRaces(p.board, eval::computePawnStructure(p.board, p.state, p.side));
}

// The endgame rules with a lone minor's loss values and no tilt.
eval::EndgameRuleTerms rules(const EvalPosition& p, int lossWhite = -1032, int lossBlack = 792) {
    const eval::PawnFacts facts = eval::computePawnStructure(p.board, p.state, p.side);
    return eval::endgameRules(p.board, p.state, p.side, facts, {0, {lossWhite, lossBlack}});
}

eval::EndgameRuleTerms rules(const std::string& fen) { return rules(positionFromFen(fen)); }

int pawnless(const std::string& fen) { return termOf(fen, eval::evaluatePawnless); }
int kingPawnDistance(const std::string& fen) { return termOf(fen, eval::kingPawnDistance); }

int distance(const char* a, const char* b) { return board::KingDistance[sq(a)][sq(b)]; }

}  // namespace

TEST(PasserRaces, KingDistancesToTheStopSquare) {
    // e6 blocked by a knight on e7: dThem 4, dUs 5 (capped): (19 - 10) x 5 x 3; S loses 3 x 60.
    eval::RaceTerms t = races(positionFromFen("k7/4n3/4P3/8/8/8/8/4K3 w - -"));
    EXPECT_EQ(t.positional, 135);
    EXPECT_EQ(t.pawn, -180);
    // Black king next to the stop square: (4 - 10) x 15, and the passer counts as blocked.
    t = races(positionFromFen("4k3/8/4P3/8/8/8/8/4K3 w - -"));
    EXPECT_EQ(t.positional, -90);
    EXPECT_EQ(t.pawn, -180);
    // Passers below the fourth rank take no part.
    t = races(positionFromFen("4k3/8/8/8/8/4P3/8/4K3 w - -"));
    EXPECT_EQ(t.positional, 0);
    EXPECT_EQ(t.pawn, 0);
}

TEST(KingPawnDistance, NearestOwnPawn) {
    EXPECT_EQ(kingPawnDistance("4k3/8/8/8/8/7P/P7/4K3 w - -"), -52 * 3);
    EXPECT_EQ(kingPawnDistance("4k3/p7/8/8/8/7P/P7/4K3 w - -"), -52 * 3 + 52 * 4);
    EXPECT_EQ(kingPawnDistance("4k3/8/8/8/8/8/8/4K3 w - -"), 0);
}

TEST(EndgameRules, LoneMinorAgainstPawns) {
    EXPECT_EQ(rules("4k3/pp6/8/8/8/8/8/2B1K3 w - -").special, -1032);
    EXPECT_EQ(rules(positionFromFen("2b1k3/8/8/8/8/8/PP6/4K3 w - -"), -792, 1032).special, 1032);
    // A rook is no minor, and own pawns change everything.
    EXPECT_EQ(rules("4k3/pp6/8/8/8/8/8/R3K3 w - -").special, 0);
    EXPECT_EQ(rules("4k3/pp6/8/8/8/8/7P/2B1K3 w - -").special, 0);
}

TEST(EndgameRules, BishopOfThePromotionColour) {
    // a8 is light: the c8 bishop guards it.
    EXPECT_EQ(rules("2b1k3/P7/8/8/8/8/8/4K3 w - -").positional, -13 * 6);
    EXPECT_EQ(rules("1b2k3/P7/8/8/8/8/8/4K3 w - -").positional, 0);
}

TEST(EndgameRules, RooksBehindThePasser) {
    EXPECT_EQ(rules("3rk3/8/3P4/8/8/8/8/3RK3 w - -").positional, 29 * 5);
    EXPECT_EQ(rules("4k3/8/3P4/8/8/8/3r4/3RK3 w - -").positional, 0);
    // Black's passer: White's rook above it helps White.
    EXPECT_EQ(rules("3Rk3/8/8/8/8/3p4/8/4K3 w - -").positional, 29 * 5);
}

TEST(EndgameRules, KingCutOffByARook) {
    EXPECT_EQ(rules("8/8/6k1/1P6/8/8/8/4R1K1 w - -").positional, 30);
    EXPECT_EQ(rules("8/8/6k1/1P6/8/8/8/1R4K1 w - -").positional, 29 * 4);
}

TEST(EndgameRules, SeventhRankPasserPairAgainstALoneRook) {
    EXPECT_EQ(rules("8/6PP/8/8/3k4/8/r7/6K1 b - -").positional, 3693);
    // The king one step nearer stops it when it is Black's move, not when it is White's.
    EXPECT_EQ(rules("8/6PP/8/8/4k3/8/r7/6K1 b - -").positional, 0);
    EXPECT_EQ(rules("8/6PP/8/8/4k3/8/r7/6K1 w - -").positional, 3693);
    // The partner may stand one rank lower when the square beside the passer is empty.
    EXPECT_EQ(rules("8/7P/6P1/8/3k4/8/r7/6K1 b - -").positional, 3693);
    EXPECT_EQ(rules("8/7P/8/6P1/3k4/8/r7/6K1 b - -").positional, 0);
}

TEST(Pawnless, DrawPatterns) {
    EXPECT_EQ(pawnless("8/8/8/4k3/8/8/8/4K3 w - -"), 0);
    EXPECT_EQ(pawnless("8/8/8/4k3/8/8/8/2B1K3 w - -"), 0);
    EXPECT_EQ(pawnless("8/8/8/4k3/8/8/8/1N2K1N1 w - -"), 0);
    EXPECT_EQ(pawnless("8/8/8/4k3/8/8/2n5/2B1K3 w - -"), 0);
    EXPECT_EQ(pawnless("8/8/8/4k3/8/8/8/3RKr2 w - -"), 0);
    EXPECT_NE(pawnless("8/8/8/4k3/8/8/8/1N2KB2 w - -"), 0);
}

TEST(Pawnless, MatingGuidance) {
    // Rook: king distance plus twice the edge distance of the lone king.
    EXPECT_EQ(pawnless("8/8/8/8/8/8/k7/R3K3 w - -"), 2832 - distance("e1", "a2") - 0);
    EXPECT_EQ(pawnless("8/8/8/3k4/8/8/8/R3K3 w - -"), 2832 - distance("e1", "d5") - 2 * 3);
    // Two rooks: only the edge.
    EXPECT_EQ(pawnless("8/8/8/3k4/8/8/8/R3K2R w - -"), 2 * 2832 - 2 * 3);
    // Black stronger: the corrections are added.
    EXPECT_EQ(pawnless("8/8/8/3K4/8/8/8/r3k3 w - -"), -2832 + distance("e1", "d5") + 2 * 3);
    // Bishop f1 (light) and knight: the light corners h1 and a8.
    const int nearA8 = pawnless("k7/8/8/8/8/8/8/1N2KB2 w - -");
    const int nearA1 = pawnless("8/8/8/8/8/8/8/kN2KB2 w - -");
    EXPECT_EQ(nearA8, 3744 - distance("e1", "a8") - 0);
    EXPECT_EQ(nearA1, 3744 - distance("e1", "a1") - 2 * 7);
    EXPECT_GT(nearA8, nearA1);
    // With the dark bishop the dark corners count.
    EXPECT_EQ(pawnless("8/8/8/8/8/8/8/kNB1K3 w - -"), 3744 - distance("e1", "a1"));
}

TEST(Pawnless, MaterialCorrections) {
    const auto corrected = [](const std::string& fen) {
        const auto p = positionFromFen(fen);
        return eval::correctPawnless(p.state, 1000);
    };
    auto c = corrected("4k3/8/8/8/8/8/8/2BRK2r w - -");  // rook and bishop against rook
    EXPECT_EQ(c.score, 1000 - 936);
    EXPECT_EQ(c.phaseWeight, 15);
    c = corrected("4k1b1/8/8/8/8/8/8/3RK2r w - -");
    EXPECT_EQ(c.score, 1000 + 936);
    c = corrected("4k1b1/8/8/8/8/8/8/2BNK2r w - -");  // two minors against rook and minor
    EXPECT_EQ(c.score, 1000);
    EXPECT_EQ(c.phaseWeight, 17);
    c = corrected("4k1b1/8/8/8/8/8/8/3RK3 w - -");  // rook against minor
    EXPECT_EQ(c.score, 1000 - 480);
    EXPECT_EQ(c.phaseWeight, 9);
    c = corrected("4k1r1/8/8/8/8/8/8/3NK3 w - -");
    EXPECT_EQ(c.score, 1000 + 480);
    c = corrected("4k1b1/8/8/8/8/8/8/2BNK3 w - -");  // two minors against one
    EXPECT_EQ(c.score, 1000 - 936);
    c = corrected("4k3/8/8/8/8/8/8/3QK3 w - -");
    EXPECT_EQ(c.score, 1000);
    EXPECT_EQ(c.phaseWeight, 11);
}

TEST(EndgameSymmetry, MirroredPositionsGiveOppositeTerms) {
    const std::vector<std::string> fens = {
        "k7/4n3/4P3/8/8/8/8/4K3 w - -",  "4k3/p7/8/8/8/7P/P7/4K3 b - -",
        "3Rk3/8/8/8/8/3p4/8/4K3 w - -",  "8/6PP/8/8/3k4/8/r7/6K1 b - -",
        "8/8/6k1/1P6/8/8/8/4R1K1 w - -", "2b1k3/P7/8/8/8/8/8/4K3 w - -",
        "4k3/pp6/8/8/8/8/8/2B1K3 w - -", "8/5p2/1p1k2p1/p2P3p/P4P1P/1P4P1/5K2/8 w - -",
    };
    for (const auto& fen : fens) {
        const auto p = positionFromFen(fen);
        const auto m = positionFromFen(mirrorFen(fen));
        const eval::RaceTerms a = races(p), b = races(m);
        EXPECT_EQ(a.positional, -b.positional) << fen;
        EXPECT_EQ(a.pawn, -b.pawn) << fen;
        const eval::EndgameRuleTerms ra = rules(p, -1032, 792), rb = rules(m, -792, 1032);
        EXPECT_EQ(ra.positional, -rb.positional) << fen;
        EXPECT_EQ(ra.special, -rb.special) << fen;
        EXPECT_EQ(eval::kingPawnDistance(p.board, p.state), -eval::kingPawnDistance(m.board, m.state)) << fen;
    }
    for (const std::string fen :
         {"k7/8/8/8/8/8/8/1N2KB2 w - -", "8/8/3k4/8/8/8/8/R3K2R w - -", "4k1b1/8/8/8/8/8/8/3RK3 w - -",
          "4k3/8/8/8/8/8/8/2BRK2r w - -", "4k3/8/8/8/8/8/1q6/1NB1K3 w - -"}) {
        const auto p = positionFromFen(fen);
        const auto m = positionFromFen(mirrorFen(fen));
        const int a = eval::evaluatePawnless(p.board, p.state);
        const int b = eval::evaluatePawnless(m.board, m.state);
        EXPECT_EQ(a, -b) << fen;
        const auto ca = eval::correctPawnless(p.state, a);
        const auto cb = eval::correctPawnless(m.state, b);
        EXPECT_EQ(ca.score, -cb.score) << fen;
        EXPECT_EQ(ca.phaseWeight, cb.phaseWeight) << fen;
    }
}

}  // namespace halberd::testing
