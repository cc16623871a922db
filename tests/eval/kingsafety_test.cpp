#include "eval/kingsafety.h"

#include <gtest/gtest.h>

#include "eval_fixture.h"

namespace halberd::testing {

namespace {

int shelterOf(const std::string& fen, board::Colour c, const char* centre) {
    const auto p = positionFromFen(fen);
    const int square = sq(centre);
    return c == board::White ? eval::kingShelter<board::White>(p.board, square)
                             : eval::kingShelter<board::Black>(p.board, square);
}

int shelterAndOpenFiles(const std::string& fen) { return termOf(fen, eval::shelterAndOpenFiles); }
int lineUps(const std::string& fen) { return termOf(fen, eval::lineUps); }
int queenTropism(const std::string& fen) { return termOf(fen, eval::queenTropism); }
int minorsNearKing(const std::string& fen) { return termOf(fen, eval::minorsNearKing); }

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
    EXPECT_EQ(shelterAndOpenFiles("r2qk2r/8/8/8/8/8/5PPP/4K2R w K -"), -(91 + 42) + 201);
    EXPECT_EQ(shelterAndOpenFiles("r2qk2r/8/8/8/8/8/5PPP/4K2R w - -"), -(91 + 42) + 67);
    // Two heavy pieces on a file are the most that count.
    EXPECT_EQ(shelterAndOpenFiles("3rk3/3r4/3q4/8/8/8/2P1PPPP/3K4 w - -"), -(42 + 2 * 49) + 134);
}

TEST(KingShelter, NeedsEnoughAttackingMaterial) {
    // A lone queen (5616) does not bother the king; queen and knight do.
    EXPECT_EQ(shelterAndOpenFiles("6k1/8/8/8/8/8/8/3QK3 w - -"), 0);
    EXPECT_EQ(shelterAndOpenFiles("6k1/8/8/8/8/8/8/3QK1N1 w - -"), 3 * 42);
}

TEST(LineUps, ClearAndScreenedLines) {
    EXPECT_EQ(lineUps("4k3/8/8/8/8/8/8/4RK2 w - -"), 45);
    EXPECT_EQ(lineUps("4k3/8/8/8/4P3/8/8/4RK2 w - -"), 51);
    EXPECT_EQ(lineUps("4k3/4p3/8/8/4P3/8/8/4RK2 w - -"), 0);
    // A bishop on b5 aims along the diagonal; a rook there does not.
    EXPECT_EQ(lineUps("4k3/8/8/1B6/8/8/8/5K2 w - -"), 45);
    EXPECT_EQ(lineUps("4k3/8/8/1R6/8/8/8/5K2 w - -"), 0);
    // The queen on the open e-file takes no part; Black's rook subtracts.
    EXPECT_EQ(lineUps("4k3/8/8/8/8/8/8/4QK1r w - -"), -45);
}

TEST(QueenTropism, DistanceToBothKings) {
    EXPECT_EQ(queenTropism("4k3/8/8/8/8/8/8/3QK3 w - -"), -5 * (1 + 7 - 7));
    EXPECT_EQ(queenTropism("4k3/8/8/8/8/8/8/q3K3 w - -"), 5 * (7 + 4 - 7));
    EXPECT_EQ(queenTropism("7k/8/8/8/8/8/8/Q6K w - -"), -5 * (7 + 7 - 7));
}

TEST(MinorsNearKing, BishopsWeighMoreThanKnights) {
    EXPECT_EQ(minorsNearKing("4k3/8/8/8/8/8/8/2B1K1N1 w - -"), -18 * 2 - 6 * 2);
    EXPECT_EQ(minorsNearKing("n3k3/8/8/8/8/8/8/4K3 w - -"), 6 * 4);
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
        EXPECT_EQ(eval::queenTropism(p.board), -eval::queenTropism(m.board)) << fen;
        EXPECT_EQ(eval::minorsNearKing(p.board), -eval::minorsNearKing(m.board)) << fen;
        EXPECT_EQ(eval::lineUps(p.board), -eval::lineUps(m.board)) << fen;
        EXPECT_EQ(eval::shelterAndOpenFiles(p.board, p.state), -eval::shelterAndOpenFiles(m.board, m.state)) << fen;
    }
}

}  // namespace halberd::testing
