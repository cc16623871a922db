#include "board/hashmemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace hb = halberd::board;

// The entry of a key must be exactly key modulo the entry count, as it was with
// a division: stored tables and the bench signature depend on which entry a
// position lands in. Counts up to the largest transposition table (2 GiB of
// 24-byte buckets).
TEST(HashMemory, EntryOfAKeyIsTheKeyModuloTheCount) {
    const std::vector<std::uint32_t> counts = {1, 2, 3, 7, 1000003, 611669, 78293334};
    const std::vector<std::uint32_t> keys = {0u, 1u, 2u, 611668u, 611669u, 1000002u, 78293333u, 0x7FFFFFFFu,
                                             0x80000000u, 0xDEADBEEFu, 0xFFFFFFFEu, 0xFFFFFFFFu};
    for (const std::uint32_t count : counts) {
        hb::HashMemory<std::uint8_t> table;
        ASSERT_TRUE(table.resize(count));
        ASSERT_EQ(table.size(), count);
        for (const std::uint32_t key : keys)
            EXPECT_EQ(&table.entryOf(key) - &table[0], key % count) << "count " << count << " key " << key;
        table.entryOf(keys.back()) = 5;
        table.clear();
        EXPECT_EQ(table.entryOf(keys.back()), 0) << "clear zeroes every entry";
    }
    hb::HashMemory<std::uint8_t> empty;
    EXPECT_TRUE(empty.resize(0));
    EXPECT_TRUE(empty.empty());
    empty.prefetch(12345);  // an empty table has no entry to fetch
}
