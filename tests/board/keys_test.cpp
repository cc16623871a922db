#include "board/keys.h"

#include <gtest/gtest.h>

#include <random>

#include "board/makemove.h"
#include "board_helpers.h"

namespace hb = halberd::board;

TEST(KeyTables, FirstValuesMatchTheMersenneTwisterForSeed123456) {
    EXPECT_EQ(hb::KeyTableLow[0], 545331265u);
    EXPECT_EQ(hb::KeyTableLow[1], 2211535594u);
    EXPECT_EQ(hb::KeyTableLow[2], 4152021490u);
    EXPECT_EQ(hb::KeyTableHigh[0], 593589421u);
    EXPECT_EQ(hb::KeyTableHigh[1], 3192876840u);
    EXPECT_EQ(hb::KeyTableHigh[2], 4045509473u);
    // The compile-time generator agrees with the library's over the whole run.
    std::mt19937 reference(123456);
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(hb::KeyTableLow[i], reference()) << i;
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(hb::KeyTableHigh[i], reference()) << i;
}

namespace {

hb::KeyPair keysOf(hb::Position p, int side) {
    hb::computeKeys(p, side);
    return {p.hashKeyLow, p.hashKeyHigh};
}

hb::KeyPair entry(int index) {
    hb::KeyPair k;
    k.toggle(index);
    return k;
}

}  // namespace

TEST(PositionKeys, SideToMoveAndCastlingEntries) {
    hb::GameBoard game = halberd::testing::startGame();
    const hb::KeyPair white = keysOf(game.scratch, hb::White);
    const hb::KeyPair black = keysOf(game.scratch, hb::Black);
    const hb::KeyPair both = entry(hb::WhiteToMoveKey);
    EXPECT_EQ(white.low ^ black.low, both.low ^ entry(hb::BlackToMoveKey).low);
    EXPECT_EQ(white.high ^ black.high, both.high ^ entry(hb::BlackToMoveKey).high);

    // From scratch: side entry, one entry per man, and one castling entry per colour.
    hb::KeyPair expected = entry(hb::WhiteToMoveKey);
    for (int slot = 0; slot < 32; ++slot)
        expected.toggle(hb::keyIndex(hb::slotColour(slot), game.slotType[slot], game.slotSquare[slot]));
    expected.toggle(hb::WhiteCastlingKey + 3);
    expected.toggle(hb::BlackCastlingKey + 3);
    EXPECT_EQ(white.low, expected.low);
    EXPECT_EQ(white.high, expected.high);

    // A king move gives up both of White's rights: entry 451 becomes entry 448.
    ASSERT_EQ(halberd::testing::playAll(game, {"e2e4", "e7e5", "e1e2", "b8c6"}), hb::ResultPlayed);
    hb::Position keepRights = game.scratch;
    keepRights.castling[hb::CastleWhiteShort] = 0;
    keepRights.castling[hb::CastleWhiteLong] = 0;
    hb::KeyPair withRights = keysOf(keepRights, hb::White);
    withRights.toggle(hb::WhiteCastlingKey + 3);
    withRights.toggle(hb::WhiteCastlingKey);
    EXPECT_EQ(game.scratch.hashKeyLow, withRights.low);
    EXPECT_EQ(game.scratch.hashKeyHigh, withRights.high);
    EXPECT_EQ(hb::castlingKeyIndex(hb::Black, 0, -1), hb::BlackCastlingKey + 2);
    EXPECT_EQ(hb::castlingKeyIndex(hb::White, 1, 0), hb::WhiteCastlingKey + 1);
}

TEST(PositionKeys, EnPassantChangesNoKeyAndPawnKeyHoldsPawnsOnly) {
    // The same placement with and without the en-passant capture on d6.
    hb::GameBoard withEp = halberd::testing::startGame();
    ASSERT_EQ(halberd::testing::playAll(withEp, {"e2e4", "a7a6", "e4e5", "d7d5"}), hb::ResultPlayed);
    ASSERT_NE(withEp.epSquare, 0);
    hb::GameBoard withoutEp = halberd::testing::startGame();
    ASSERT_EQ(halberd::testing::playAll(withoutEp, {"e2e4", "d7d5", "e4e5", "a7a6"}), hb::ResultPlayed);
    ASSERT_EQ(withoutEp.epSquare, 0);
    EXPECT_EQ(withEp.scratch.hashKeyLow, withoutEp.scratch.hashKeyLow);
    EXPECT_EQ(withEp.scratch.hashKeyHigh, withoutEp.scratch.hashKeyHigh);

    // Pawn key: pawns only, and a promoted pawn no longer counts.
    hb::Position p = withEp.scratch;
    hb::KeyPair pawns;
    for (int slot = 8; slot < 16; ++slot) pawns.toggle(hb::keyIndex(hb::White, hb::WhitePawn, p.slotSquare[slot]));
    for (int slot = 24; slot < 32; ++slot) pawns.toggle(hb::keyIndex(hb::Black, hb::BlackPawn, p.slotSquare[slot]));
    hb::computeKeys(p, hb::White);
    EXPECT_EQ(p.pawnKeyLow, pawns.low);
    EXPECT_EQ(p.pawnKeyHigh, pawns.high);
    p.slotType[12] = hb::Queen;
    hb::computeKeys(p, hb::White);
    pawns.toggle(hb::keyIndex(hb::White, hb::WhitePawn, p.slotSquare[12]));
    EXPECT_EQ(p.pawnKeyLow, pawns.low);
    EXPECT_EQ(p.pawnKeyHigh, pawns.high);
}

TEST(Repetition, HistoryWalkCountsSameKeyAndSideBackToTheLastIrreversibleMove) {
    hb::GameBoard game;
    hb::resetHistory(game);
    hb::Position current{};
    current.hashKeyHigh = 0xABCDEF01u;
    current.hashKeyLow = 0x12345678u;
    const auto push = [&](bool same, int side, bool irreversible, std::uint16_t move = 1) {
        hb::HistoryEntry e{};
        e.keyHigh = same ? current.hashKeyHigh : 7u;
        e.keyLow16 = 0x1234;
        e.move = move;
        e.flags = static_cast<std::uint8_t>(hb::EmptySlot | (side == hb::Black ? hb::HistoryBlackToMove : 0) |
                                            (irreversible ? hb::HistoryIrreversible : 0));
        hb::pushHistory(game, e);
        game.plyCounter = game.historyTop;
    };
    push(true, hb::White, false);   // 0: before the irreversible move, not reached
    push(true, hb::White, true);    // 1: irreversible, still compared
    push(false, hb::Black, false);  // 2
    push(true, hb::Black, false);   // 3: other side to move
    push(true, hb::White, false);   // 4
    push(true, hb::White, false);   // 5: the current position itself
    EXPECT_EQ(hb::repetitionCount(game, hb::White, current), 2);
    // Only 48 key bits are compared: the low 16 bits of hashKeyLow do not matter.
    current.hashKeyLow = 0x1234FFFFu;
    EXPECT_EQ(hb::repetitionCount(game, hb::White, current), 2);
    current.hashKeyLow = 0x1235FFFFu;
    EXPECT_EQ(hb::repetitionCount(game, hb::White, current), 0);
    current.hashKeyLow = 0x12345678u;
    // An entry without a move ends the walk.
    game.history[3].move = 0;
    EXPECT_EQ(hb::repetitionCount(game, hb::White, current), 1);
    EXPECT_EQ(hb::repetitionCount(game, hb::Black, current), 1);
}
