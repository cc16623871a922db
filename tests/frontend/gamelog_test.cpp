#include "frontend/gamelog.h"

#include <gtest/gtest.h>

namespace hf = halberd::frontend;
namespace hb = halberd::board;

TEST(ResultLine, EveryCodeHasItsText) {
    EXPECT_EQ(hf::resultLine(-2, "E1E2", hb::White), "Illegal move (error): E1E2\n");
    EXPECT_EQ(hf::resultLine(-1, "E2E5", hb::White), "Illegal move: E2E5\n");
    EXPECT_EQ(hf::resultLine(0, "E2E4", hb::Black), "");
    EXPECT_EQ(hf::resultLine(1, "E7E8", hb::White), "Illegal move (promote?): E7E8\n");
    // The side to move after the move is the mated one.
    EXPECT_EQ(hf::resultLine(2, "A1A8", hb::Black), "1-0 {White mates}\n");
    EXPECT_EQ(hf::resultLine(2, "D8H4", hb::White), "0-1 {Black mates}\n");
    EXPECT_EQ(hf::resultLine(3, "B5B6", hb::Black), "1/2-1/2 {Stalemate}\n");
    EXPECT_EQ(hf::resultLine(4, "G1F3", hb::Black), "1/2-1/2 {Triple repetition}\n");
    EXPECT_EQ(hf::resultLine(5, "A1A2", hb::Black), "1/2-1/2 {50 moves rule}\n");
    EXPECT_EQ(hf::resultLine(6, "E1D2", hb::Black), "1/2-1/2 {Insufficient material}\n");
    EXPECT_EQ(hf::resultLine(10, "E2E4", hb::White), "resign\n");
    EXPECT_EQ(hf::resultLine(7, "E2E4", hb::White), "");
    EXPECT_EQ(hf::resultLine(-3, "E2E4", hb::White), "");
}

TEST(BoardDiagram, FrenchLettersBlackUpperCaseRankEightFirst) {
    hb::GameBoard game;
    game.board.fill(hb::EmptySlot);
    game.slotSquare.fill(hb::OffBoard);
    game.slotType.fill(hb::NoPiece);
    const auto put = [&](int slot, int type, int square) {
        game.slotSquare[slot] = square;
        game.slotType[slot] = type;
        game.board[square] = slot;
    };
    put(0, hb::King, hb::squareOf(4, 0));        // e1
    put(16, hb::King, hb::squareOf(4, 7));       // e8
    put(1, hb::Queen, hb::squareOf(3, 0));       // d1
    put(18, hb::Rook, hb::squareOf(0, 7));       // a8
    put(21, hb::Bishop, hb::squareOf(5, 7));     // f8
    put(6, hb::Knight, hb::squareOf(1, 0));      // b1
    put(8, hb::WhitePawn, hb::squareOf(0, 1));   // a2
    put(31, hb::BlackPawn, hb::squareOf(7, 6));  // h7
    put(12, hb::Queen, hb::squareOf(2, 7));      // a promoted pawn on c8 shows as a queen
    EXPECT_EQ(hf::boardDiagram(game),
              "T.d.RF..\n"
              ".......P\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "p.......\n"
              ".c.dr...\n");
}
