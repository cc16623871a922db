#include "eval/pieces.h"

#include <gtest/gtest.h>

#include "eval_fixture.h"

namespace halberd::testing {

namespace {

eval::PieceTerms pieces(const EvalPosition& p, board::Colour side) {
    const eval::PawnFacts facts = eval::computePawnStructure(p.board, p.state, side);
    return eval::evaluatePieces(p.board, p.state, facts.attacks, side);
}

eval::PieceTerms pieces(const std::string& fen, board::Colour side = board::White) {
    return pieces(positionFromFen(fen), side);
}

int rookFiles(const std::string& fen) { return termOf(fen, eval::rookFiles); }
int bishopPair(const std::string& fen) { return termOf(fen, eval::bishopPair); }
int seventh(const std::string& fen) { return termOf(fen, eval::heavyPiecesOnSeventh); }
int outposts(const std::string& fen) { return termOf(fen, eval::outposts); }

}  // namespace

TEST(RookFiles, OpenHalfOpenAndClosed) {
    EXPECT_EQ(rookFiles("4k3/8/8/8/8/8/8/3RK3 w - -"), 74);
    EXPECT_EQ(rookFiles("4k3/3p4/8/8/8/8/8/3RK3 w - -"), 37);
    EXPECT_EQ(rookFiles("4k3/3p4/8/8/8/8/3P4/3RK3 w - -"), 0);
    // Whatever else stands on the file.
    EXPECT_EQ(rookFiles("3qk3/8/8/8/3N4/8/8/3RK3 w - -"), 74);
    EXPECT_EQ(rookFiles("r3k3/8/8/8/8/8/P7/3RK3 w - -"), 74 - 37);
}

TEST(BishopPair, FallsWithThePawnCount) {
    EXPECT_EQ(bishopPair("rn1qk1nr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"), 101);
    EXPECT_EQ(bishopPair("4k3/8/8/8/8/8/8/2B1KB2 w - -"), 133);
    EXPECT_EQ(bishopPair("2b1kb2/8/8/8/8/8/8/2B1KB2 w - -"), 0);
}

TEST(HeavyPieces, SeventhAndEighthRank) {
    EXPECT_EQ(seventh("3Qk3/R7/8/8/8/8/7r/4K3 w - -"), 35 + 70 - 35);
    EXPECT_EQ(seventh("4k3/8/R7/8/8/8/8/4K3 w - -"), 0);
}

TEST(Outposts, SupportedAndUnchallengeable) {
    EXPECT_EQ(eval::knightOutpost<board::White>(positionFromFen("4k3/8/8/3N4/2P5/8/8/4K3 w - -").board, sq("d5")), 119);
    EXPECT_EQ(outposts("4k3/8/8/3N4/2P5/8/8/4K3 w - -"), 119);
    EXPECT_EQ(outposts("4k3/4p3/8/3N4/2P5/8/8/4K3 w - -"), 0);
    EXPECT_EQ(outposts("4k3/8/3N4/4P3/8/8/8/4K3 w - -"), 70);
    EXPECT_EQ(outposts("4k3/2p5/3N4/4P3/8/8/8/4K3 w - -"), 0);
    // Without support, or on the b- or g-file, nothing.
    EXPECT_EQ(outposts("4k3/8/8/3N4/8/8/8/4K3 w - -"), 0);
    EXPECT_EQ(outposts("4k3/8/8/1N4N1/P1P2P1P/8/8/4K3 w - -"), 0);
    // A bishop counts as well, and Black's outposts subtract.
    const auto both = positionFromFen("4k3/8/8/3B4/3pP3/2n5/8/4K3 w - -");
    EXPECT_EQ(eval::knightOutpost<board::Black>(both.board, sq("c3")), 70);
    EXPECT_EQ(eval::outposts(both.board), 119 - 70);
}

TEST(Mobility, PiecesWithoutSafeSquares) {
    // Knight a1: b3 and c2 are covered by the pawns a4 and d3.
    EXPECT_EQ(pieces("7k/8/8/8/p7/3p4/8/N6K w - -").mobility, 2 * -62);
    // Queen a1 boxed in by its own king and pawns, which Black's pawns attack.
    EXPECT_EQ(pieces("7k/8/8/8/8/pp6/PP6/QK6 w - -").mobility, 2 * -30);
    // A free knight in the centre: eight targets.
    EXPECT_EQ(pieces("7k/8/8/8/3N4/8/8/7K w - -").mobility, 2 * 33);
    // a1 sees a2..a8, b1 and c1; the own king's square never counts.
    EXPECT_EQ(pieces("7k/8/8/8/8/8/8/R2K4 w - -").mobility, 2 * 40);
    // Rooks see through each other: a1 and c1 keep nine squares each.
    EXPECT_EQ(pieces("7k/8/8/8/8/8/8/R1RK4 w - -").mobility, 2 * (40 + 40));
}

TEST(Mobility, ThreatsByPawnsCostMoreWhenTheOpponentIsToMove) {
    const std::string fen = "4k3/8/8/4p3/3N4/8/8/4K3 w - -";
    EXPECT_EQ(pieces(fen, board::White).positional, -126);
    EXPECT_EQ(pieces(fen, board::Black).positional, -252);
}

TEST(KingAttack, SmallBalancesAreDropped) {
    // One rook on the seventh hits f7, g7, h7: weight 9, queenless 6, 6 x 1 x 5 = 30.
    EXPECT_EQ(pieces("6k1/R7/8/8/8/8/8/K7 w - -").proximity, 0);
    // A second rook on f1 adds f7 and f8: weight 15, queenless 10, 10 x 2 x 5 = 100.
    EXPECT_EQ(pieces("6k1/R7/8/8/8/8/8/K4R2 w - -").proximity, 100);
    EXPECT_EQ(pieces("k4r2/8/8/8/8/8/r7/6K1 w - -").proximity, -100);
    // The queen joins an attack only when another piece takes part: rook f1
    // (f7, f8: 6) and queen h1 (h7, h8: 4) give 10 x 2 x 5; the queen alone nothing.
    EXPECT_EQ(pieces("6k1/8/8/8/8/8/8/K4R1Q w - -").proximity, 100);
    EXPECT_EQ(pieces("6k1/8/8/8/8/8/8/K6Q w - -").proximity, 0);
}

TEST(PiecesSymmetry, MirroredPositionsGiveOppositeTerms) {
    const std::vector<std::string> fens = {
        "r1bqkb1r/pp3ppp/2n1pn2/2pp4/3P4/2PBPN2/PP3PPP/RNBQK2R w KQkq -",
        "r4rk1/1bq1bppp/p2ppn2/1p6/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - -",
        "6k1/R7/8/8/8/8/8/K4R2 w - -",
        "2r3k1/5ppp/8/3N4/2P5/8/1Q3PPP/6K1 b - -",
        "4k3/8/8/4p3/3N4/8/8/4K3 w - -",
        "1k6/1P4Q1/8/8/8/8/8/4K3 w - -",
        "1k6/8/2n5/8/8/8/5r2/QQ2K3 b - -",
        "6k1/8/8/8/8/8/8/K4R1Q w - -",
    };
    for (const auto& fen : fens) {
        const auto p = positionFromFen(fen);
        const auto m = positionFromFen(mirrorFen(fen));
        EXPECT_EQ(eval::rookFiles(p.board, p.state), -eval::rookFiles(m.board, m.state)) << fen;
        EXPECT_EQ(eval::bishopPair(p.board, p.state), -eval::bishopPair(m.board, m.state)) << fen;
        EXPECT_EQ(eval::heavyPiecesOnSeventh(p.board), -eval::heavyPiecesOnSeventh(m.board)) << fen;
        EXPECT_EQ(eval::outposts(p.board), -eval::outposts(m.board)) << fen;
        for (const board::Colour side : {board::White, board::Black}) {
            const eval::PieceTerms a = pieces(p, side);
            const eval::PieceTerms b = pieces(m, board::opponent(side));
            EXPECT_EQ(a.mobility, -b.mobility) << fen;
            EXPECT_EQ(a.positional, -b.positional) << fen;
            EXPECT_EQ(a.proximity, -b.proximity) << fen;
        }
    }
}

}  // namespace halberd::testing
