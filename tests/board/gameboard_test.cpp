#include "board/gameboard.h"

#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board_helpers.h"

namespace hb = halberd::board;
using halberd::testing::coordinate;
using halberd::testing::playAll;
using halberd::testing::square;

TEST(GameBoard, NewGameSetsUpTheStartPosition) {
    hb::GameBoard game;
    game.sideToMove = hb::Black;
    game.gameResult = 2;
    game.epSquare = 20;
    game.bookMissesLeft = 0;
    game.scratch.halfmoveClock = 17;
    game.scratch.lastMove = 1234;
    game.scratch.materialMg = 99;
    hb::resetGameToStart(game);

    EXPECT_EQ(game.slotSquare[hb::KingSlot], square("e1"));
    EXPECT_EQ(game.slotSquare[hb::QueenSlot], square("d1"));
    EXPECT_EQ(game.slotSquare[hb::QueenRookSlot], square("a1"));
    EXPECT_EQ(game.slotSquare[hb::KingRookSlot], square("h1"));
    EXPECT_EQ(game.slotSquare[4], square("c1"));
    EXPECT_EQ(game.slotSquare[5], square("f1"));
    EXPECT_EQ(game.slotSquare[6], square("b1"));
    EXPECT_EQ(game.slotSquare[7], square("g1"));
    EXPECT_EQ(game.slotSquare[15], square("h2"));
    EXPECT_EQ(game.slotSquare[16], square("e8"));
    EXPECT_EQ(game.slotSquare[18], square("a8"));
    EXPECT_EQ(game.slotSquare[24], square("a7"));
    EXPECT_EQ(game.slotType[24], hb::BlackPawn);
    EXPECT_EQ(game.slotType[8], hb::WhitePawn);
    EXPECT_EQ(game.slotType[21], hb::Bishop);
    EXPECT_EQ(game.slotType[hb::EmptySlot], hb::NoPiece);
    EXPECT_EQ(game.slotValue, hb::SlotValue);
    EXPECT_EQ(game.slotValue[0], 5760);
    EXPECT_EQ(game.slotValue[hb::EmptySlot], 0);
    for (int slot = 0; slot < 32; ++slot) EXPECT_EQ(game.board[game.slotSquare[slot]], slot);
    for (int sq = 16; sq < 48; ++sq) EXPECT_EQ(game.board[sq], hb::EmptySlot);
    EXPECT_EQ(game.castling, (std::array<std::int32_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(game.sideToMove, hb::White);
    EXPECT_EQ(game.epSquare, 0);
    EXPECT_EQ(game.gameResult, 0);
    EXPECT_EQ(game.plyCounter, -1);
    EXPECT_EQ(game.historyTop, -1);
    EXPECT_EQ(game.bookMissesLeft, 10);
    EXPECT_EQ(game.scratch.halfmoveClock, 0);
    EXPECT_EQ(game.scratch.lastMove, 0);
    EXPECT_EQ(game.scratch.materialMg, 0);
}

TEST(GameBoard, ScratchCopiesCarryTheBoardFieldsOnly) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::Position p{};
    p.halfmoveClock = 42;
    p.materialEg = 7;
    hb::loadScratch(game, p);
    EXPECT_EQ(p.board, game.board);
    EXPECT_EQ(p.slotSquare, game.slotSquare);
    EXPECT_EQ(p.slotType, game.slotType);
    EXPECT_EQ(p.slotValue, game.slotValue);
    EXPECT_EQ(p.castling, game.castling);
    EXPECT_EQ(p.halfmoveClock, 42);
    EXPECT_EQ(p.materialEg, 7);

    p.castling = {1, -1, -1, 0};
    p.board[square("e4")] = 12;
    p.slotValue[3] = 1;
    hb::storeScratch(game, p);
    EXPECT_EQ(game.castling, p.castling);
    EXPECT_EQ(game.board[square("e4")], 12);
    EXPECT_EQ(game.slotValue[3], 1);
}

TEST(GameBoard, CastlingByte) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    EXPECT_EQ(hb::packCastling(game), 0x55);
    game.castling.fill(-1);
    EXPECT_EQ(hb::packCastling(game), 0x00);
    // White short castled (2 in bits 0-1), White long lost, Black short available, Black long lost.
    game.castling = {1, 0, -1, -1};
    EXPECT_EQ(hb::packCastling(game), 0x12);
    game.castling.fill(0);
    hb::unpackCastling(game, 0x12);
    EXPECT_EQ(game.castling, (std::array<std::int32_t, 4>{1, 0, -1, -1}));
    for (const int value : {0x00, 0x55, 0x9A, 0x66}) {
        const auto packed = static_cast<std::uint8_t>(value);
        hb::unpackCastling(game, packed);
        EXPECT_EQ(hb::packCastling(game), packed);
    }
}

TEST(GameBoard, CapturedSlotFindsTheEnPassantVictim) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    EXPECT_EQ(hb::capturedSlot(game, coordinate("e2e4")), hb::EmptySlot);
    ASSERT_EQ(playAll(game, {"e2e4", "d7d5"}), hb::ResultPlayed);
    EXPECT_EQ(hb::capturedSlot(game, coordinate("e4d5")), 27);
    ASSERT_EQ(playAll(game, {"e4e5", "f7f5"}), hb::ResultPlayed);
    EXPECT_EQ(hb::capturedSlot(game, hb::makeMove(square("e5"), square("f6"), hb::EnPassant)), 29);
    ASSERT_EQ(playAll(game, {"a2a3", "d5d4", "c2c4"}), hb::ResultPlayed);
    EXPECT_EQ(hb::capturedSlot(game, hb::makeMove(square("d4"), square("c3"), hb::EnPassant)), 10);
}

TEST(GameBoard, HistoryStartsAt600GrowsBy40AndIsCutBackOnReset) {
    hb::GameBoard game;
    hb::resetHistory(game);
    EXPECT_EQ(game.history.size(), 600u);
    EXPECT_EQ(game.historyTop, -1);
    hb::HistoryEntry entry{};
    for (int i = 0; i < 600; ++i) {
        entry.keyHigh = static_cast<std::uint32_t>(i);
        hb::pushHistory(game, entry);
    }
    EXPECT_EQ(game.history.size(), 600u);
    entry.keyHigh = 600;
    hb::pushHistory(game, entry);
    EXPECT_EQ(game.history.size(), 640u);
    EXPECT_EQ(game.historyTop, 600);
    for (int i = 0; i <= 600; ++i)
        ASSERT_EQ(game.history[static_cast<std::size_t>(i)].keyHigh, static_cast<std::uint32_t>(i));
    for (int i = 0; i < 40; ++i) hb::pushHistory(game, entry);
    EXPECT_EQ(game.history.size(), 680u);
    hb::resetHistory(game);
    EXPECT_EQ(game.history.size(), 600u);
    EXPECT_EQ(game.historyTop, -1);
    EXPECT_EQ(game.plyCounter, -1);
}

TEST(GameBoard, PlayedMovesAreRecordedInTheHistory) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    ASSERT_EQ(playAll(game, {"e2e4", "d7d5", "e4d5"}), hb::ResultPlayed);
    ASSERT_EQ(game.plyCounter, 2);
    ASSERT_EQ(game.historyTop, 2);
    const hb::HistoryEntry& capture = game.history[2];
    EXPECT_EQ(capture.move, coordinate("e4d5") | hb::CaptureMark);
    EXPECT_EQ(capture.flags & 63, 27);
    EXPECT_NE(capture.flags & hb::HistoryIrreversible, 0);
    EXPECT_NE(capture.flags & hb::HistoryBlackToMove, 0);
    EXPECT_EQ(capture.castling, 0x55);
    EXPECT_EQ(capture.keyHigh, game.scratch.hashKeyHigh);
    EXPECT_EQ(capture.keyLow16, game.scratch.hashKeyLow >> 16);
    EXPECT_EQ(game.history[1].flags & (63 | hb::HistoryBlackToMove), hb::EmptySlot);
    EXPECT_EQ(game.lastMove, static_cast<int>(coordinate("e4d5") | hb::CaptureMark));
}
