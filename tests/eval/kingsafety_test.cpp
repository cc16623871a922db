#include "eval/kingsafety.h"

#include <gtest/gtest.h>

#include "eval_fixture.h"

namespace halberd::testing {

namespace {

int shelterOf(const std::string& fen, board::Colour c, const char* centre) {
    positionFromFen(fen).load();
    const int square = sq(centre);
    return c == board::White ? eval::kingShelter<board::White>(square) : eval::kingShelter<board::Black>(square);
}

}  // namespace

TEST(KingShelter, CoveredFilesInFrontOfTheKing) {
    EXPECT_EQ(shelterOf("7k/5ppp/8/8/8/8/8/4K3 w - -", board::Black, "g8"), 201);
    // g3 counts from the first rank (c + 16), f2 and h2 beside it.
    EXPECT_EQ(shelterOf("7k/8/8/8/8/6P1/5P1P/6K1 w - -", board::White, "g1"), 201);
    EXPECT_EQ(shelterOf("7k/8/8/8/6P1/8/5P1P/6K1 w - -", board::White, "g1"), 134);
    EXPECT_EQ(shelterOf("7k/8/8/8/4K3/8/3PPP2/8 w - -", board::White, "e4"), 0);
    // Beside the king on its own rank also covers a file.
    EXPECT_EQ(shelterOf("7k/8/8/8/8/8/5PKP/8 w - -", board::White, "g2"), 134);
}

TEST(KingShelter, OpenFilesAndCastlingShelter) {
    // White king e1, short castling open (rook h1), pawns f2 g2 h2. The d-file holds the
    // Black queen (42 + 49), the e-file is empty (42); the g1 shelter (201)
    // beats e1's own (67).
    const auto p = positionFromFen("r2qk2r/8/8/8/8/8/5PPP/4K2R w K -");
    EXPECT_EQ(eval::shelterAndOpenFiles(p.load()), -(91 + 42) + 201);
    const auto noRight = positionFromFen("r2qk2r/8/8/8/8/8/5PPP/4K2R w - -");
    EXPECT_EQ(eval::shelterAndOpenFiles(noRight.load()), -(91 + 42) + 67);
    // Two heavy pieces on a file are the most that count.
    const auto stacked = positionFromFen("3rk3/3r4/3q4/8/8/8/2P1PPPP/3K4 w - -");
    EXPECT_EQ(eval::shelterAndOpenFiles(stacked.load()), -(42 + 2 * 49) + 134);
}

TEST(KingShelter, NeedsEnoughAttackingMaterial) {
    // A lone queen (5616) does not bother the king; queen and knight do.
    EXPECT_EQ(eval::shelterAndOpenFiles(positionFromFen("6k1/8/8/8/8/8/8/3QK3 w - -").load()), 0);
    EXPECT_EQ(eval::shelterAndOpenFiles(positionFromFen("6k1/8/8/8/8/8/8/3QK1N1 w - -").load()), 3 * 42);
}

TEST(LineUps, ClearAndScreenedLines) {
    positionFromFen("4k3/8/8/8/8/8/8/4RK2 w - -").load();
    EXPECT_EQ(eval::lineUps(), 45);
    positionFromFen("4k3/8/8/8/4P3/8/8/4RK2 w - -").load();
    EXPECT_EQ(eval::lineUps(), 51);
    positionFromFen("4k3/4p3/8/8/4P3/8/8/4RK2 w - -").load();
    EXPECT_EQ(eval::lineUps(), 0);
    // A bishop on b5 aims along the diagonal; a rook there does not.
    positionFromFen("4k3/8/8/1B6/8/8/8/5K2 w - -").load();
    EXPECT_EQ(eval::lineUps(), 45);
    positionFromFen("4k3/8/8/1R6/8/8/8/5K2 w - -").load();
    EXPECT_EQ(eval::lineUps(), 0);
    // The queen on the open e-file takes no part; Black's rook subtracts.
    positionFromFen("4k3/8/8/8/8/8/8/4QK1r w - -").load();
    EXPECT_EQ(eval::lineUps(), -45);
}

TEST(QueenTropism, DistanceToBothKings) {
    positionFromFen("4k3/8/8/8/8/8/8/3QK3 w - -").load();
    EXPECT_EQ(eval::queenTropism(), -5 * (1 + 7 - 7));
    positionFromFen("4k3/8/8/8/8/8/8/q3K3 w - -").load();
    EXPECT_EQ(eval::queenTropism(), 5 * (7 + 4 - 7));
    positionFromFen("7k/8/8/8/8/8/8/Q6K w - -").load();
    EXPECT_EQ(eval::queenTropism(), -5 * (7 + 7 - 7));
}

TEST(MinorsNearKing, BishopsWeighMoreThanKnights) {
    positionFromFen("4k3/8/8/8/8/8/8/2B1K1N1 w - -").load();
    EXPECT_EQ(eval::minorsNearKing(), -18 * 2 - 6 * 2);
    positionFromFen("n3k3/8/8/8/8/8/8/4K3 w - -").load();
    EXPECT_EQ(eval::minorsNearKing(), 6 * 4);
}

TEST(KingSafetySymmetry, MirroredPositionsGiveOppositeTerms) {
    const std::vector<std::string> fens = {
        "r2qk2r/8/8/8/8/8/5PPP/4K2R w K -",
        "r1bqkb1r/pp3ppp/2n1pn2/2pp4/3P4/2PBPN2/PP3PPP/RNBQK2R w KQkq -",
        "r4rk1/1bq1bppp/p2ppn2/1p6/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - -",
        "3rk3/3r4/3q4/8/8/8/2P1PPPP/3K4 w - -",
        "1k5r/pp3ppp/8/1B6/8/8/PPP2PPP/1K1R3R w - -",
    };
    for (const auto& fen : fens) {
        const auto p = positionFromFen(fen);
        const auto m = positionFromFen(mirrorFen(fen));
        p.load();
        const int tropism = eval::queenTropism(), minors = eval::minorsNearKing(), lines = eval::lineUps();
        const int shelter = eval::shelterAndOpenFiles(p.state);
        m.load();
        EXPECT_EQ(tropism, -eval::queenTropism()) << fen;
        EXPECT_EQ(minors, -eval::minorsNearKing()) << fen;
        EXPECT_EQ(lines, -eval::lineUps()) << fen;
        EXPECT_EQ(shelter, -eval::shelterAndOpenFiles(m.state)) << fen;
    }
}

}  // namespace halberd::testing
