// The generator against published figures, and the bytes it writes against the probe and the search.
#include <gtest/gtest.h>

#include "tablebase/generator.h"
#include "tablebase/probe.h"
#include "tablebase/tablefiles.h"

namespace tablebase {
namespace {

void expectLongestWins(const std::vector<std::pair<std::string, int>>& cases) {
    Generator generator("", nullptr, nullptr);
    for (const auto& [name, moves] : cases) {
        ASSERT_TRUE(generator.make(name, false)) << name;
        EXPECT_EQ(summarise(*generator.table(name))[0].longestWin, moves) << name;
    }
}

TEST(Generator, PublishedLongestWinsOfThreeMen) { expectLongestWins({{"kqk", 10}, {"krk", 16}, {"kpk", 28}}); }

TEST(GeneratorSlow, PublishedLongestWinsOfFourMen) { expectLongestWins({{"kbnk", 33}, {"kqkr", 35}}); }

// The byte written for every distance comes back through the probe's value scale
// and the search's conversion as the mate score of that distance.
TEST(Generator, StoredBytesGiveTheSearchTheTablesDistance) {
    constexpr int MateScore = 32700;
    const int ply = 7;
    for (int n = 1; n <= 127; ++n) {
        const std::int8_t byte = byteOfState(static_cast<std::uint8_t>(2 * n));
        const int v = valueOfByte(byte);
        ASSERT_GT(v, 0) << n;
        EXPECT_EQ(MateScore - ply - 2 * (32766 - v) - 1, MateScore - (ply + 2 * n - 1)) << "mates in " << n;
        EXPECT_EQ(stateOfByte(byte), 2 * n);
    }
    for (int n = 0; n <= 126; ++n) {
        const std::int8_t byte = byteOfState(static_cast<std::uint8_t>(2 * n + 1));
        const int v = valueOfByte(byte);
        ASSERT_LT(v, 0) << n;
        EXPECT_EQ(ply + 2 * (v + 32766) - MateScore, ply + 2 * n - MateScore) << "mated in " << n;
        EXPECT_EQ(stateOfByte(byte), 2 * n + 1);
    }
    EXPECT_EQ(byteOfState(0), 0);
}

}  // namespace
}  // namespace tablebase
