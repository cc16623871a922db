// The generator against published figures, and the bytes it writes against the probe and the search.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

#include "book/booktestfiles.h"
#include "tablebase/generator.h"
#include "tablebase/parallelparts.h"
#include "tablebase/probe.h"
#include "tablebase/tablefiles.h"
#include "tablebase/verifier.h"

namespace halberd::tablebase {
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

// Shared among threads (three: parts of unequal length), the work gives the
// files one thread writes, byte for byte: kpk and the four classes its
// promotions lead into, plain and compressed.
TEST(Generator, ThreadsWriteTheFilesOfOneThread) {
    halberd::booktest::TempDir one, three;
    for (const bool compress : {false, true}) {
        for (const auto* dir : {&one, &three}) std::filesystem::create_directory(dir->file(compress ? "z" : "p"));
        Generator serial(one.file(compress ? "z" : "p"), nullptr, nullptr, compress, 1);
        Generator parallel(three.file(compress ? "z" : "p"), nullptr, nullptr, compress, 3);
        ASSERT_TRUE(serial.make("kpk"));
        ASSERT_TRUE(parallel.make("kpk"));
    }
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(one.path())) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const auto other = three.path() / std::filesystem::relative(entry.path(), one.path());
        const auto bytes = [](const std::filesystem::path& path) {
            std::ifstream in(path, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        EXPECT_EQ(bytes(entry.path()), bytes(other)) << other;
    }
    EXPECT_EQ(files, 20);
    // The check shares the indices out too, and counts as one thread does.
    const VerifyReport serial = verifyClass("kpk", three.file("z"), nullptr, 1);
    const VerifyReport parallel = verifyClass("kpk", three.file("z"), nullptr, 3);
    EXPECT_TRUE(parallel.error.empty()) << parallel.error;
    EXPECT_EQ(parallel.positions, serial.positions);
    EXPECT_GT(parallel.positions, 0u);
    EXPECT_EQ(parallel.inconsistencies, 0u);
    // A byte changed in a file is found.
    {
        std::fstream patch(three.file("p/kpk.nbb"), std::ios::binary | std::ios::in | std::ios::out);
        patch.seekg(40000);
        const char byte = static_cast<char>(patch.get());
        patch.seekp(40000);
        patch.put(static_cast<char>(byte + 1));
    }
    EXPECT_GE(verifyClass("kpk", three.file("p"), nullptr, 3).inconsistencies, 1u);
}

// A count that is no multiple of the piece: every number is worked on once.
TEST(Generator, ThreadsShareEveryPieceOnce) {
    for (const int threads : {1, 3}) {
        std::vector<std::atomic<int>> visits(10007);
        forEachPiece(visits.size(), threads, 7, [&](std::uint64_t first, std::uint64_t last) {
            for (std::uint64_t n = first; n < last; ++n) visits[n].fetch_add(1);
        });
        EXPECT_TRUE(std::all_of(visits.begin(), visits.end(), [](const auto& v) { return v.load() == 1; })) << threads;
    }
}

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
}  // namespace halberd::tablebase
