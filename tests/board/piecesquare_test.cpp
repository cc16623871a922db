#include "board/piecesquare.h"

#include <gtest/gtest.h>

namespace halberd::board {
namespace {

// Slot squares and types of the start position: slot s of White stands on
// StartSquares[s], the Black twin on the same square mirrored.
struct Slots {
    std::array<std::int32_t, 32> square{};
    std::array<std::int32_t, 33> type{};
};

Slots startSlots() {
    constexpr std::array<int, 16> whiteSquares = {4, 3, 0, 7, 2, 5, 1, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    Slots s;
    for (int i = 0; i < 16; ++i) {
        s.square[i] = whiteSquares[i];
        s.square[16 + i] = whiteSquares[i] ^ 56;
        s.type[i] = StartSlotTypes[i];
        s.type[16 + i] = i >= FirstPawnSlot ? BlackPawn : StartSlotTypes[i];
    }
    s.type[32] = NoPiece;
    return s;
}

TEST(PieceSquareTables, IndexMirrorsWhiteAndKeepsBlack) {
    EXPECT_EQ(pstIndex(White, 0), 56);  // a1 is White's back rank, row 7
    EXPECT_EQ(pstIndex(White, 63), 7);
    EXPECT_EQ(pstIndex(White, 28), 36);  // e4 -> row 4, file e
    EXPECT_EQ(pstIndex(Black, 36), 36);
    EXPECT_EQ(pstIndex(Black, 0), 0);
}

TEST(PieceSquareTables, ReadsDocumentedEntries) {
    // e4 for White and e5 for Black share row 4, file e of the pawn tables.
    EXPECT_EQ(pstMg(WhitePawn, White, 28), 17);
    EXPECT_EQ(pstEg(WhitePawn, White, 28), -7);
    EXPECT_EQ(pstMg(BlackPawn, Black, 36), 17);
    EXPECT_EQ(pstEg(BlackPawn, Black, 36), -7);
    // White king on g1: row 7, file g.
    EXPECT_EQ(pstMg(King, White, 6), 24);
    EXPECT_EQ(pstEg(King, White, 6), -24);
    // Corners and extremes of the other tables.
    EXPECT_EQ(pstMg(Knight, Black, 0), -167);
    EXPECT_EQ(pstEg(Knight, White, 7), -64);
    EXPECT_EQ(pstMg(Queen, Black, 63), -50);
    EXPECT_EQ(pstEg(Rook, White, 56), 13);
    EXPECT_EQ(pstMg(Bishop, White, 2), -14);
    EXPECT_EQ(pstEg(Bishop, Black, 2), -11);
}

TEST(PieceSquareTables, PawnTablesAreZeroOnBackRanks) {
    for (int file = 0; file < 8; ++file) {
        for (const Colour colour : {White, Black}) {
            EXPECT_EQ(pstMg(WhitePawn, colour, file), 0);
            EXPECT_EQ(pstMg(BlackPawn, colour, 56 + file), 0);
            EXPECT_EQ(pstEg(WhitePawn, colour, 56 + file), 0);
            EXPECT_EQ(pstEg(BlackPawn, colour, file), 0);
        }
        EXPECT_EQ(pstMg(NoPiece, White, file), 0);
    }
}

TEST(PieceSquareTables, MirroredPiecesCancel) {
    for (int type = King; type <= BlackPawn; ++type)
        for (int square = 0; square < 64; ++square) {
            EXPECT_EQ(pstMg(type, White, square), pstMg(type, Black, square ^ 56));
            EXPECT_EQ(pstEg(type, White, square), pstEg(type, Black, square ^ 56));
        }
}

TEST(PieceSquareTables, FromScratchSums) {
    Slots s = startSlots();
    PstSums start = pstFromScratch(s.square, s.type);
    EXPECT_EQ(start.mg, 0);
    EXPECT_EQ(start.eg, 0);

    // 1.e4: the e-pawn (slot 12) leaves e2 for e4.
    s.square[12] = 28;
    PstSums e4 = pstFromScratch(s.square, s.type);
    EXPECT_EQ(e4.mg, 17 - pstMg(WhitePawn, White, 12));
    EXPECT_EQ(e4.eg, -7 - pstEg(WhitePawn, White, 12));

    // A captured piece is skipped: removing Black's queen adds its table value to White's side.
    s.square[16 + QueenSlot] = OffBoard;
    PstSums noQueen = pstFromScratch(s.square, s.type);
    EXPECT_EQ(noQueen.mg, e4.mg + pstMg(Queen, Black, 59));
    EXPECT_EQ(noQueen.eg, e4.eg + pstEg(Queen, Black, 59));
}

}  // namespace
}  // namespace halberd::board
