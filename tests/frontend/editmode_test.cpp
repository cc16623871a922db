#include "frontend/editmode.h"

#include <gtest/gtest.h>

#include <sstream>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "frontend/gamelog.h"

namespace hf = halberd::frontend;
namespace hb = halberd::board;

namespace {

hb::GameBoard startGame() {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    return game;
}

// Every slot on the board is where the board says, and the other way round.
void expectConsistent(const hb::GameBoard& game) {
    for (int slot = 0; slot < 32; ++slot)
        if (game.slotSquare[slot] != hb::OffBoard) {
            EXPECT_EQ(game.board[game.slotSquare[slot]], slot) << slot;
        }
    for (int square = 0; square < 64; ++square)
        if (game.board[square] != hb::EmptySlot) {
            EXPECT_EQ(game.slotSquare[game.board[square]], square) << square;
        }
}

int runEdit(hb::GameBoard& game, const std::string& lines) {
    std::istringstream input(lines);
    hf::LineReader reader(input);
    return hf::runEditMode(reader, game);
}

}  // namespace

TEST(EditMode, ClearedBoardWithPiecesOfBothColours) {
    hb::GameBoard game = startGame();
    EXPECT_EQ(runEdit(game, "#\nke1\nrh1\npa2\nc\nke8\nbc8\n.\nignored after the end\n"), 0);
    EXPECT_EQ(hf::boardDiagram(game),
              "..F.R...\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "p.......\n"
              "....r..t\n");
    EXPECT_EQ(game.sideToMove, hb::White);
    expectConsistent(game);
    // Rights follow where kings and rooks stand.
    EXPECT_EQ(game.castling[hb::CastleWhiteShort], 0);
    EXPECT_NE(game.castling[hb::CastleWhiteLong], 0);
    EXPECT_NE(game.castling[hb::CastleBlackShort], 0);
    EXPECT_NE(game.castling[hb::CastleBlackLong], 0);
}

TEST(EditMode, PlacingOnAnOccupiedSquareReplacesThePiece) {
    hb::GameBoard game = startGame();
    EXPECT_EQ(runEdit(game, "QE2\nXD7\nC\nNE4\n.\n"), 0);
    const std::string diagram = hf::boardDiagram(game);
    EXPECT_EQ(diagram.substr(9, 9), "PPP.PPPP\n");
    EXPECT_EQ(diagram.substr(36, 9), "....C...\n");
    EXPECT_EQ(diagram.substr(54, 9), "ppppdppp\n");
    expectConsistent(game);
}

TEST(EditMode, APieceWithoutAFreeSlotLeavesTheSquareAsItWas) {
    hb::GameBoard game = startGame();
    hf::EditSession session(game);
    // All White slots are taken: a White rook on d8 finds none, the Black queen stays.
    session.apply("RD8");
    session.apply("KE4");  // the king's slot is taken too
    session.apply("PH8");  // no pawn on the last rank
    session.apply("PA1");
    hb::GameBoard copy = game;
    EXPECT_EQ(session.finish(copy), 0);
    EXPECT_EQ(hf::boardDiagram(copy), hf::boardDiagram(game));
    expectConsistent(copy);
}

TEST(EditMode, ARejectedPositionLeavesTheGameAsItWas) {
    hb::GameBoard game = startGame();
    ASSERT_EQ(hb::playGameMove(game, hb::makeMove(hb::squareOf(4, 1), hb::squareOf(4, 3))), 0);
    const std::string before = hf::boardDiagram(game);
    const int side = game.sideToMove;

    EXPECT_EQ(runEdit(game, "#\nKE1\n.\n"), hb::SetupMissingKing);
    EXPECT_EQ(hf::boardDiagram(game), before);
    EXPECT_EQ(runEdit(game, "XE8\n.\n"), hb::SetupMissingKing);
    EXPECT_EQ(hf::boardDiagram(game), before);

    // Black to move while the White king stands in check from a rook.
    EXPECT_EQ(runEdit(game, "#\nKE1\nC\nKH8\nRE7\n.\n"), static_cast<int>(hb::IllegalFlag));
    EXPECT_EQ(hf::boardDiagram(game), before);
    EXPECT_EQ(game.sideToMove, side);
    EXPECT_EQ(game.plyCounter, 0);
}

TEST(EditMode, EndOfInputFinishesLikeADot) {
    hb::GameBoard game = startGame();
    ASSERT_EQ(hb::playGameMove(game, hb::makeMove(hb::squareOf(4, 1), hb::squareOf(4, 3))), 0);
    EXPECT_EQ(runEdit(game, "#\nKA1\nC\nKH8"), 0);
    EXPECT_EQ(hf::boardDiagram(game),
              ".......R\n........\n........\n........\n........\n........\n........\nr.......\n");
    // The edit keeps the side to move it found.
    EXPECT_EQ(game.sideToMove, hb::Black);
    EXPECT_EQ(game.plyCounter, -1);
    int moves = 0;
    while (game.legalMoves[moves] != hb::NoMove) ++moves;
    EXPECT_EQ(moves, 3);
}
