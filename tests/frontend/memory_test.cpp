#include "frontend/memory.h"

#include <gtest/gtest.h>

#include <climits>

namespace hf = halberd::frontend;

TEST(HashBytesForExponent, IsTwoToTheExponentPlusFour) {
    EXPECT_EQ(hf::hashBytesForExponent(0), 16);
    EXPECT_EQ(hf::hashBytesForExponent(19), std::int64_t{1} << 23);  // option -h20
    EXPECT_EQ(hf::hashBytesForExponent(20), std::int64_t{1} << 24);  // HASHTABLE=20
    // Out-of-range exponents stay inside a defined shift.
    EXPECT_EQ(hf::hashBytesForExponent(-10), 1);
    EXPECT_EQ(hf::hashBytesForExponent(1000), std::int64_t{1} << 40);
    EXPECT_EQ(hf::hashBytesForExponent(INT_MAX - 2), std::int64_t{1} << 40);
}

TEST(MemoryLine, ReportsTheAllocatedSizesInMiB) {
    ASSERT_TRUE(hf::allocateHashTables(std::int64_t{64} << 20));
    const std::string line = hf::memoryLine();
    EXPECT_EQ(line.rfind("Hash=", 0), 0u);
    EXPECT_NE(line.find("MB HP="), std::string::npos);
    EXPECT_TRUE(line.ends_with("MB Sst=76\n"));
    // The main table takes most of a 64 MiB budget, the pawn table the rest.
    const int hash = std::stoi(line.substr(5));
    const int pawn = std::stoi(line.substr(line.find("HP=") + 3));
    EXPECT_GT(hash, 48);
    EXPECT_LE(hash + pawn, 64);
    EXPECT_GT(pawn, 0);
}
