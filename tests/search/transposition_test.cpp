#include "search/transposition.h"

#include <gtest/gtest.h>

#include "eval/pawntable.h"
#include "search/threads.h"

namespace halberd::search {
namespace {

constexpr int Ply = 256;

board::NodeState nodeAtPly(int ply) {
    board::NodeState node{};
    node.ply = ply;
    return node;
}

class TranspositionTable : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(allocateTables(0), TTMinBytes); }

    // Two keys of the same bucket: keyLow equal, locks different.
    static constexpr std::uint32_t Bucket = 12345;
    const board::NodeState root = nodeAtPly(0);
};

TEST(TranspositionSizes, ClampsAndSizesBothTables) {
    constexpr TableSizes small = ttSizes(1000);
    EXPECT_EQ(small.bytes, 4194304);
    EXPECT_EQ(small.buckets, 152918u);     // (4194304 - 524288) / 24 + 1 = 152917.67 -> 152918
    EXPECT_EQ(small.pawnEntries, 12484u);  // 4194304 / 336 + 1 = 12484
    EXPECT_EQ(ttSizes(-5).bytes, TTMinBytes);

    constexpr TableSizes huge = ttSizes(std::int64_t{1} << 40);
    EXPECT_EQ(huge.bytes, 2147483648);
    EXPECT_EQ(huge.buckets, 78293674u);  // 1879048192 / 24 + 1 = 78293675 -> even
    EXPECT_EQ(huge.pawnEntries, 6391320u);
    EXPECT_EQ(ttSizes(2147483648).buckets, huge.buckets);

    // The memory line reports whole MiB, rounded down.
    EXPECT_EQ((small.buckets * 24) >> 20, 3u);
    EXPECT_EQ((small.pawnEntries * 42) >> 20, 0u);
    EXPECT_EQ((huge.buckets * 24) >> 20, 1791u);
    EXPECT_EQ((huge.pawnEntries * 42) >> 20, 255u);

    for (std::int64_t bytes : {std::int64_t{5000000}, std::int64_t{123456789}, std::int64_t{1} << 30}) {
        const TableSizes s = ttSizes(bytes);
        EXPECT_EQ(s.buckets % 2, 0u);
        EXPECT_EQ(s.pawnEntries % 2, 0u);
        EXPECT_LE(s.buckets * 24 + s.pawnEntries * 42, static_cast<std::uint64_t>(bytes) + 64);
    }
}

TEST_F(TranspositionTable, AllocationSizesAndClearsBothTables) {
    EXPECT_EQ(ttBytes(), ttSizes(0).buckets * 24);
    EXPECT_EQ(pawnTableBytes(), ttSizes(0).pawnEntries * 42);
    ttStore(BoundExact, 100, 0x123, 4 * Ply, 0, root, Bucket, 77, 50);
    ttNewSearch();
    ASSERT_TRUE(ttProbe(Bucket, 77));
    EXPECT_EQ(allocateTables(4194304), 4194304);
    EXPECT_FALSE(ttProbe(Bucket, 77));
    EXPECT_EQ(ttGeneration(), 1);
}

TEST_F(TranspositionTable, ProbeFindsEitherSlotAndFieldsRoundTrip) {
    EXPECT_FALSE(ttProbe(Bucket, 1));
    ttStore(BoundLower, -250, 0x8ABC1, 7 * Ply + 255, 1, root, Bucket, 1, -32767);
    ttStore(BoundUpper, 300, 0, 2 * Ply, 0, root, Bucket, 2, 12);
    const std::optional<TTEntry> first = ttProbe(Bucket, 1);
    const std::optional<TTEntry> second = ttProbe(Bucket, 2);
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first->lock, second->lock);
    EXPECT_EQ(first->kind(), BoundLower);
    EXPECT_EQ(first->score, -250);
    EXPECT_EQ(first->move, 0xABC1);  // only the low 16 bits of the move
    EXPECT_EQ(first->depth(), 7);
    EXPECT_TRUE(first->pv());
    EXPECT_EQ(first->age(), 1);
    EXPECT_EQ(first->evaluation, -32767);
    EXPECT_EQ(second->kind(), BoundUpper);
    EXPECT_FALSE(second->pv());
    EXPECT_FALSE(ttProbe(Bucket, 3));
    EXPECT_FALSE(ttProbe(Bucket + 1, 1));
}

TEST_F(TranspositionTable, ReplacesTheLeastWorthyEntry) {
    // A 10-ply entry from two searches ago (worth 10 - 16) goes before a 1-ply entry of this search.
    ttStore(BoundExact, 0, 0x41, 10 * Ply, 0, root, Bucket, 1, 0);
    ttNewSearch();
    ttNewSearch();
    ttStore(BoundExact, 0, 0x42, 1 * Ply, 0, root, Bucket, 2, 0);
    ttStore(BoundExact, 0, 0x43, 1 * Ply, 0, root, Bucket, 3, 0);
    EXPECT_FALSE(ttProbe(Bucket, 1));
    EXPECT_TRUE(ttProbe(Bucket, 2));
    EXPECT_TRUE(ttProbe(Bucket, 3));

    // Equal worth replaces slot 0; a strictly lower slot 1 is replaced instead.
    ttStore(BoundExact, 0, 0x44, 1 * Ply, 0, root, Bucket, 4, 0);
    EXPECT_FALSE(ttProbe(Bucket, 3));
    EXPECT_TRUE(ttProbe(Bucket, 2));
    ttStore(BoundExact, 0, 0x45, 5 * Ply, 0, root, Bucket, 5, 0);
    EXPECT_TRUE(ttProbe(Bucket, 5));
    ttStore(BoundExact, 0, 0x46, 5 * Ply, 0, root, Bucket, 6, 0);
    EXPECT_TRUE(ttProbe(Bucket, 5));
    EXPECT_TRUE(ttProbe(Bucket, 6));
}

TEST_F(TranspositionTable, AgeCountsGenerationsAcrossTheWrap) {
    // Age 0 is never used, so from 31 to 1 the distance (1 + 32 - 31) mod 32 is two
    // generations: a 17-ply entry is then worth 1, less than a current 2-ply entry.
    while (ttGeneration() != 31) ttNewSearch();
    ttStore(BoundExact, 0, 0x41, 17 * Ply, 0, root, Bucket, 1, 0);
    ttNewSearch();
    ASSERT_EQ(ttGeneration(), 1);
    ttStore(BoundExact, 0, 0x42, 2 * Ply, 0, root, Bucket, 2, 0);
    ttStore(BoundExact, 0, 0x43, 1 * Ply, 0, root, Bucket, 3, 0);
    EXPECT_FALSE(ttProbe(Bucket, 1));
    EXPECT_TRUE(ttProbe(Bucket, 2));

    // A 19-ply entry from the same generation (worth 3) outlasts the 2-ply one.
    ttClear();
    while (ttGeneration() != 31) ttNewSearch();
    ttStore(BoundExact, 0, 0x41, 19 * Ply, 0, root, Bucket, 1, 0);
    ttNewSearch();
    ttStore(BoundExact, 0, 0x42, 2 * Ply, 0, root, Bucket, 2, 0);
    ttStore(BoundExact, 0, 0x43, 1 * Ply, 0, root, Bucket, 3, 0);
    EXPECT_TRUE(ttProbe(Bucket, 1));
    EXPECT_FALSE(ttProbe(Bucket, 2));
}

TEST_F(TranspositionTable, SamePositionKeepsMuchDeeperCurrentEntries) {
    ttStore(BoundLower, 500, 0x41, 9 * Ply, 0, root, Bucket, 1, 20);
    // 9 - 3 > 5: a shallower bound is refused.
    ttStore(BoundUpper, -100, 0x42, 5 * Ply, 0, root, Bucket, 1, 30);
    EXPECT_EQ(ttProbe(Bucket, 1)->score, 500);
    EXPECT_EQ(ttProbe(Bucket, 1)->move, 0x41);
    // In a PV node the margin grows by two plies: 6 > 3 + 2 still refuses, 6 > 4 + 2 does not.
    ttStore(BoundUpper, -100, 0x42, 3 * Ply, 1, root, Bucket, 1, 30);
    EXPECT_EQ(ttProbe(Bucket, 1)->score, 500);
    ttStore(BoundUpper, -100, 0, 4 * Ply, 1, root, Bucket, 1, 30);
    EXPECT_EQ(ttProbe(Bucket, 1)->score, -100);
    EXPECT_EQ(ttProbe(Bucket, 1)->depth(), 4);
    EXPECT_EQ(ttProbe(Bucket, 1)->move, 0x41);  // a store without a move keeps the old one

    // Exact results always overwrite; so do bounds when the deep entry is from an older search.
    ttStore(BoundLower, 700, 0x43, 12 * Ply, 0, root, Bucket, 1, 0);
    ttStore(BoundExact, 11, 0x44, 1 * Ply, 0, root, Bucket, 1, 0);
    EXPECT_EQ(ttProbe(Bucket, 1)->score, 11);
    EXPECT_EQ(ttProbe(Bucket, 1)->move, 0x44);
    ttStore(BoundLower, 700, 0x43, 12 * Ply, 0, root, Bucket, 1, 0);
    ttNewSearch();
    ttStore(BoundUpper, 22, 0, 1 * Ply, 0, root, Bucket, 1, 0);
    EXPECT_EQ(ttProbe(Bucket, 1)->score, 22);
    EXPECT_EQ(ttProbe(Bucket, 1)->move, 0x43);

    // A different position in an empty slot takes the move even when it is 0.
    ttStore(BoundUpper, 5, 0, 1 * Ply, 0, root, Bucket, 2, 0);
    EXPECT_EQ(ttProbe(Bucket, 2)->move, 0);
}

TEST_F(TranspositionTable, MateScoresAreStoredAsDistances) {
    // Mate found 5 plies below a node at ply 10: 32700 - 15 there, stored as 32700 - 5.
    ttStore(BoundExact, 32700 - 15, 0x41, 6 * Ply, 0, nodeAtPly(10), Bucket, 1, 0);
    const std::optional<TTEntry> win = ttProbe(Bucket, 1);
    EXPECT_EQ(win->score, 32700 - 5);
    EXPECT_EQ(ttScoreAtPly(win->score, 2), 32700 - 7);

    ttStore(BoundExact, -32700 + 15, 0x41, 6 * Ply, 0, nodeAtPly(10), Bucket, 2, 0);
    EXPECT_EQ(ttProbe(Bucket, 2)->score, -32700 + 5);
    EXPECT_EQ(ttScoreAtPly(ttProbe(Bucket, 2)->score, 7), -32700 + 12);

    // Ordinary scores are untouched by the ply; out-of-range scores saturate instead of wrapping.
    ttStore(BoundExact, 32000, 0x41, 6 * Ply, 0, nodeAtPly(10), Bucket + 1, 1, 0);
    EXPECT_EQ(ttProbe(Bucket + 1, 1)->score, 32000);
    EXPECT_EQ(ttScoreAtPly(-32000, 9), -32000);
    ttStore(BoundExact, 32760, 0x41, 6 * Ply, 0, nodeAtPly(20), Bucket + 2, 1, 0);
    EXPECT_EQ(ttProbe(Bucket + 2, 1)->score, 32767);
}

TEST_F(TranspositionTable, DepthPacking) {
    ttStore(BoundTablebase, 0, 0, 16128, 1, root, Bucket, 1, 0);
    EXPECT_EQ(ttProbe(Bucket, 1)->depth(), 63);
    EXPECT_EQ(ttProbe(Bucket, 1)->kind(), BoundTablebase);
    ttStore(BoundExact, 0, 0, 200 * Ply, 0, root, Bucket, 2, 0);
    EXPECT_EQ(ttProbe(Bucket, 2)->depth(), 127);
    ttStore(BoundExact, 0, 0, -Ply, 0, root, Bucket + 3, 1, 0);
    EXPECT_EQ(ttProbe(Bucket + 3, 1)->depth(), 0);
}

TEST_F(TranspositionTable, AgeWrapsFromThirtyOneToOne) {
    EXPECT_EQ(ttGeneration(), 1);
    for (int i = 0; i < 30; ++i) ttNewSearch();
    EXPECT_EQ(ttGeneration(), 31);
    ttNewSearch();
    EXPECT_EQ(ttGeneration(), 1);
    for (int i = 0; i < 100; ++i) {
        ttNewSearch();
        EXPECT_GE(ttGeneration(), 1);
        EXPECT_LE(ttGeneration(), 31);
    }
    ttClear();
    EXPECT_EQ(ttGeneration(), 1);
}

}  // namespace
}  // namespace halberd::search
