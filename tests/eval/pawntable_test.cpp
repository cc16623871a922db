#include "eval/pawntable.h"

#include <gtest/gtest.h>

namespace halberd::eval {
namespace {

using namespace board;

class PawnTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pawnTableAllocate(table, 1 << 16));
        state = NodeState{};
        state.pawnKeyLow = 0x12345678;
        state.pawnKeyHigh = 0x9abcdef0;
        state.counts = {2, 2, 3, 3};
        sb.slotSquare[KingSlot] = 6;
        sb.slotSquare[16 + KingSlot] = 62;
    }
    NodeState state{};
    SearchBoard sb{};
    PawnTable table;
};

PawnFacts sampleFacts() {
    PawnFacts facts;
    facts.score = -1234;
    facts.topPasser = {36, 17};
    facts.passers[0][4] = 36;
    facts.passers[1][1] = 17;
    facts.attacks = {0x0000'0028'0000'0000ull, 0x0000'0000'0005'0000ull};
    return facts;
}

TEST_F(PawnTableTest, StoresAndFindsEveryOutput) {
    const KeyPair key = pawnTableKey(sb, state, White);
    EXPECT_EQ(key.low, state.pawnKeyLow);  // both sides keep pieces: the plain pawn key
    EXPECT_EQ(key.high, state.pawnKeyHigh);
    EXPECT_FALSE(pawnTableProbe(table, key));
    pawnTableStore(table, key, sampleFacts());
    const std::optional<PawnFacts> stored = pawnTableProbe(table, key);
    ASSERT_TRUE(stored);
    const PawnFacts& found = *stored;
    EXPECT_EQ(table.hits, 1u);
    const PawnFacts expected = sampleFacts();
    EXPECT_EQ(found.score, expected.score);
    EXPECT_EQ(found.topPasser, expected.topPasser);
    EXPECT_EQ(found.passers, expected.passers);
    EXPECT_EQ(found.attacks, expected.attacks);

    // The check word and the top 16 bits of the low word must both match.
    EXPECT_FALSE(pawnTableProbe(table, {key.low, key.high ^ 1}));
    EXPECT_FALSE(pawnTableProbe(table, {key.low ^ 0x10000, key.high}));
    EXPECT_EQ(table.hits, 1u);

    // Always replace: another structure of the same index takes the entry over.
    const std::uint32_t sameIndex = key.low + static_cast<std::uint32_t>(pawnTableEntryCount(table)) * 7;
    pawnTableStore(table, {sameIndex, key.high}, PawnFacts{});
    EXPECT_FALSE(pawnTableProbe(table, key));
    const std::optional<PawnFacts> other = pawnTableProbe(table, {sameIndex, key.high});
    ASSERT_TRUE(other);
    EXPECT_EQ(other->score, 0);
}

TEST_F(PawnTableTest, KingAndSideEnterTheKeyOnlyAgainstBarePawns) {
    const KeyPair plain = pawnTableKey(sb, state, White);
    EXPECT_EQ(pawnTableKey(sb, state, Black).low, plain.low);

    // Black without pieces: the Black king square and the side to move matter.
    state.counts[CountBlackPieces] = 0;
    const KeyPair kingOnG8 = pawnTableKey(sb, state, White);
    EXPECT_NE(kingOnG8.low, plain.low);
    EXPECT_NE(pawnTableKey(sb, state, Black).low, kingOnG8.low);
    sb.slotSquare[16 + KingSlot] = 56;
    const KeyPair kingOnA8 = pawnTableKey(sb, state, White);
    EXPECT_NE(kingOnA8.low, kingOnG8.low);
    EXPECT_NE(kingOnA8.high, kingOnG8.high);
    pawnTableStore(table, kingOnG8, sampleFacts());
    EXPECT_FALSE(pawnTableProbe(table, kingOnA8));

    // Without White pawns nothing is racing against Black's king.
    state.counts[CountWhitePawns] = 0;
    EXPECT_EQ(pawnTableKey(sb, state, White).low, plain.low);
    // Both sides without pieces: both kings and the side enter.
    state.counts = {0, 0, 1, 1};
    const KeyPair both = pawnTableKey(sb, state, White);
    KeyPair expected{state.pawnKeyLow, state.pawnKeyHigh};
    expected.toggle(keyIndex(Black, King, 56));
    expected.toggle(keyIndex(White, King, 6));
    expected.toggle(448);
    EXPECT_EQ(both.low, expected.low);
    EXPECT_EQ(both.high, expected.high);
}

TEST_F(PawnTableTest, ClearingForgetsEntries) {
    const KeyPair key = pawnTableKey(sb, state, White);
    pawnTableStore(table, key, sampleFacts());
    pawnTableClear(table);
    EXPECT_FALSE(pawnTableProbe(table, key));
    // An emptied table misses rather than faulting.
    ASSERT_TRUE(pawnTableAllocate(table, 0));
    pawnTableStore(table, key, sampleFacts());
    EXPECT_FALSE(pawnTableProbe(table, key));
}

}  // namespace
}  // namespace halberd::eval
