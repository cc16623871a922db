// Compressed tables: generated tables read back through the cache equal to
// their plain files; hand-made streams that use what the format allows and
// the compressor never writes; damaged files refused with their messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "book/booktestfiles.h"
#include "files/bitwriter.h"
#include "files/crc32.h"
#include "files/regularfile.h"
#include "problemlines.h"
#include "tablebase/blockcache.h"
#include "tablebase/blockdecoder.h"
#include "tablebase/classes.h"
#include "tablebase/emdwriter.h"
#include "tablebase/generator.h"
#include "tablebase/registry.h"
#include "tablebase/tablefiles.h"

namespace halberd::tablebase::emd {
namespace {

using halberd::booktest::TempDir;
using halberd::booktest::writeBytes;

struct Initialised {
    int level;
    std::string problems;  // the "***" lines
};

Initialised load(const std::string& directory) {
    ::testing::internal::CaptureStderr();
    const int level = initialise(directory, 1 << 20);
    return {level, halberd::testing::problemLines(::testing::internal::GetCapturedStderr())};
}

class CompressedTables : public ::testing::Test {
protected:
    void TearDown() override {
        setAllocationCeiling(-1);
        load(dir_.file("nothing-here"));
    }
    TempDir dir_;
};

// Makes the classes' tables, compresses every table file made, and reads each
// compressed table at every index through the cache against its plain file.
void expectRoundTrip(const std::vector<std::string>& classes) {
    TempDir plain, packed;
    Generator generator(plain.file(""), nullptr, nullptr);
    for (const std::string& name : classes) ASSERT_TRUE(generator.make(name)) << name;
    for (const auto& entry : std::filesystem::directory_iterator(plain.path())) {
        CompressReport report;
        std::string error;
        ASSERT_TRUE(compressTableFile(entry.path().string(), report, error)) << error;
        std::filesystem::rename(entry.path().string() + ".emd",
                                packed.path() / (entry.path().filename().string() + ".emd"));
    }
    ASSERT_GT(load(packed.file("")).level, 0);
    int tables = 0;
    for (int cls = 1; cls <= ClassCount; ++cls)
        for (int side = 0; side < 2; ++side) {
            const std::string path = tableFileName(plain.file(""), std::string(tableClass(cls).name), side);
            if (!std::filesystem::exists(path)) continue;
            ++tables;
            ASSERT_NE(registeredFile(cls, side), nullptr) << path;
            const std::vector<std::int8_t> values = readTableFile(path, tableClass(cls).size[side]);
            for (std::uint32_t i = 0; i < values.size(); ++i)
                ASSERT_EQ(fetchValue(cls, side, i), values[i]) << path << " at " << i;
        }
    EXPECT_EQ(tables, static_cast<int>(std::distance(std::filesystem::directory_iterator(packed.path()), {})));
    load(plain.file("nothing-here"));
}

TEST(CompressedRoundTrip, SmallClassesReadBackEqual) { expectRoundTrip({"kqk", "kpk", "kbk"}); }

TEST(CompressedRoundTripSlow, EveryClassOfThreeAndFourMenReadsBackEqual) { expectRoundTrip(allFourManClasses()); }

// A code of 512 symbols of 9 bits: the 256 literals and the matches at
// distance codes 0..7.
std::array<std::uint8_t, Symbols> nineBitCode() {
    std::array<std::uint8_t, Symbols> lengths{};
    std::fill_n(lengths.begin(), 512, 9);
    return lengths;
}
constexpr std::array<std::uint32_t, Distances> HandDistances = {1, 2, 3, 7, 100, 8191, 0, 5};

// Writes literals and matches with a code; `values` keeps what they stand for.
struct StreamWriter {
    PrefixCode code;
    files::BitWriter bits;
    std::vector<std::uint8_t> values;

    explicit StreamWriter(std::span<const std::uint8_t> lengths) : code(writerCode(lengths)) {}
    void symbol(int s) { bits.write(code.codes[s], code.bits[s]); }
    void literal(std::uint8_t byte) {
        symbol(byte);
        values.push_back(byte);
    }
    // A match whose length the case states alongside the length code and extra bits.
    void match(int distanceCode, int lengthCode, std::uint32_t extra, int extraBits, std::uint32_t length) {
        symbol(FirstMatch + distanceCode * LengthCodes + lengthCode);
        bits.write(extra, extraBits);
        for (std::uint32_t i = 0; i < length; ++i)
            values.push_back(
                values.size() >= HandDistances[distanceCode] ? values[values.size() - HandDistances[distanceCode]] : 0);
    }
    // Distance-1 matches of up to 15 values until the block holds `size`.
    void fillTo(std::size_t size) {
        while (values.size() < size) {
            const std::uint32_t length = static_cast<std::uint32_t>(std::min<std::size_t>(15, size - values.size()));
            match(0, static_cast<int>(length) - 1, 0, 0, length);
        }
    }
};

// Literals, then matches from each range of length codes: 0..14, 15..30 with
// extra bits, at distances 1, 2, 3 (the copies overlap) and 100.
void everyLengthRange(StreamWriter& w) {
    for (const int byte : {7, 200, 13, 99}) w.literal(static_cast<std::uint8_t>(byte));
    w.match(0, 0, 0, 0, 1);
    w.match(1, 7, 0, 0, 8);
    w.match(2, 14, 0, 0, 15);
    w.match(0, 15, 1, 1, 17);
    w.match(1, 20, 37, 6, 64 + 37 + 14);
    for (int i = 0; i < 120; ++i) w.literal(static_cast<std::uint8_t>(i * 37));
    w.match(4, 25, 1000, 11, 2048 + 1000 + 14);
    w.match(2, 26, 5, 12, 4096 + 5 + 14);
    w.fillTo(BlockValues);
}

struct StreamCase {
    const char* name;
    std::function<void(StreamWriter&)> write;
    std::size_t size;  // decoded length of the block
    bool decodes;
};

TEST(CompressedStreams, HandMadeBlocks) {
    const auto lengths = nineBitCode();
    EmdDescriptor descriptor;
    descriptor.distances = HandDistances;
    ASSERT_TRUE(buildDecoder(lengths, 13, descriptor.code));
    const std::vector<StreamCase> cases = {
        {"every length range, overlapping copies", everyLengthRange, BlockValues, true},
        {"a short last block",
         [](StreamWriter& w) {
             w.literal(4);
             w.match(0, 24, 14, 10, 1024 + 14 + 14);
             w.fillTo(1053);
         },
         1053, true},
        {"overlapping copy",
         [](StreamWriter& w) {
             w.literal(1);
             w.literal(2);
             w.literal(3);
             w.match(1, 8, 0, 0, 9);
         },
         12, true},
        {"a match past the block's end",
         [](StreamWriter& w) {
             w.literal(1);
             w.match(0, 14, 0, 0, 15);
         },
         10, false},
        {"length code 30 (16 extra bits)",
         [](StreamWriter& w) {
             w.literal(1);
             w.match(0, 30, 77, 16, 0);
         },
         BlockValues, false},
        {"length code 31 (16 + 1 extra bits)",
         [](StreamWriter& w) {
             w.literal(1);
             w.match(0, 31, 3, 17, 0);
         },
         BlockValues, false},
        {"a distance before the block's start",
         [](StreamWriter& w) {
             w.literal(1);
             w.match(2, 0, 0, 0, 0);
         },
         2, false},
        {"distance 0",
         [](StreamWriter& w) {
             w.literal(1);
             w.match(6, 0, 0, 0, 0);
         },
         2, false},
        {"a stream that ends early", [](StreamWriter& w) { w.literal(1); }, 300, false},
    };
    for (const StreamCase& c : cases) {
        StreamWriter w(lengths);
        c.write(w);
        const std::vector<std::uint8_t> in = w.bits.take();
        std::vector<std::uint8_t> out(c.size);
        EXPECT_EQ(decodeBlock(descriptor, in, out), c.decodes) << c.name;
        if (c.decodes) {
            EXPECT_EQ(out, w.values) << c.name;
        }
    }
    StreamWriter w(lengths);
    w.literal(1), w.literal(2), w.literal(3), w.match(1, 8, 0, 0, 9);
    EXPECT_EQ(w.values, (std::vector<std::uint8_t>{1, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2}));
}

// The code description with what the writer leaves out: literal lengths, a
// run count of exactly 32, counts with extra bits, zero runs in the alphabets.
// Lengths 0..511 are 9, the rest 0. Alphabet A: 9 "10", run of 9 "11", run of
// 0 "0"; alphabet B: 5 "10", 32 "0", 40 "11".
std::vector<std::uint8_t> handDescription(std::uint32_t lastRunExtra, int lastAuxZeros) {
    files::BitWriter bits;
    bits.write(0, 1);
    bits.write(0, 1);
    bits.write(2, 5);
    // (index, value, zeros after a value of 0)
    const std::vector<std::array<std::uint32_t, 2>> aux = {
        {0, 8}, {2, 0},  {0, 15},
        {0, 5}, {1, 0},  {0, 7},
        {2, 0}, {0, 15}, {0, 5},  // A
        {0, 4}, {2, 0},  {0, 15},
        {0, 9}, {1, 0},  {0, 6},
        {2, 0}, {0, 15}, {0, static_cast<std::uint32_t>(lastAuxZeros)}};
    for (const auto& [value, zeros] : aux) {
        bits.write(value, 2);
        if (value == 0) bits.write(zeros, 4);
    }
    bits.write(0b10, 2);                                                   // length 9 at 0
    bits.write(0b11, 2), bits.write(0, 1);                                 // 34 times 9: 1..34
    bits.write(0b11, 2), bits.write(0b11, 2), bits.write(188, 8);          // 256 + 188 + 31 + 2 times 9: 35..511
    bits.write(0b0, 1), bits.write(0b11, 2), bits.write(lastRunExtra, 8);  // 512 times 0
    return bits.take();
}

TEST(CompressedStreams, CodeDescriptions) {
    std::array<std::uint8_t, Symbols> expected{};
    std::fill_n(expected.begin(), 512, 9);
    const std::vector<std::uint8_t> allZero = {0x80};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool reads;
    };
    const std::vector<Case> cases = {
        {"runs of every kind", handDescription(223, 6), true},
        {"a run past the 1024th length", handDescription(224, 6), false},
        {"a zero run past the 128th alphabet length", handDescription(223, 7), false},
        {"cut short",
         [] {
             auto b = handDescription(223, 6);
             b.resize(b.size() - 2);
             return b;
         }(),
         false},
        {"empty alphabets", {0x40}, false},
    };
    for (const Case& c : cases) {
        files::BitReader bits(c.bytes);
        std::array<std::uint8_t, Symbols> lengths{};
        ASSERT_EQ(readCodeLengths(bits, lengths), c.reads) << c.name;
        if (c.reads) {
            EXPECT_EQ(lengths, expected) << c.name;
        }
    }
    files::BitReader bits(allZero);
    std::array<std::uint8_t, Symbols> lengths{};
    lengths[3] = 5;
    EXPECT_TRUE(readCodeLengths(bits, lengths));
    EXPECT_EQ(lengths, (std::array<std::uint8_t, Symbols>{}));
}

// Builds the rules of canonical codes: a lone symbol must have length 1, two
// or more must form a complete code, no length above 31.
TEST(CompressedStreams, CodesFromLengths) {
    struct Case {
        std::vector<std::pair<int, int>> lengths;  // (symbol, length)
        bool builds;
    };
    const std::vector<Case> cases = {{{}, true},
                                     {{{5, 1}}, true},
                                     {{{5, 2}}, false},
                                     {{{1, 1}, {2, 1}}, true},
                                     {{{1, 2}, {2, 2}}, false},
                                     {{{1, 1}, {2, 1}, {3, 1}}, false},
                                     {{{1, 1}, {2, 2}, {3, 31}, {4, 31}}, false}};
    for (const Case& c : cases) {
        std::array<std::uint8_t, Symbols> lengths{};
        for (const auto& [symbol, length] : c.lengths) lengths[symbol] = static_cast<std::uint8_t>(length);
        HuffmanDecoder decoder;
        EXPECT_EQ(buildDecoder(lengths, 13, decoder), c.builds) << c.lengths.size();
    }
    // Codes of 31 bits are found through the tree; a lone symbol reads no bit.
    std::array<std::uint8_t, Symbols> deep{};
    for (int s = 0; s < 30; ++s) deep[s] = static_cast<std::uint8_t>(s + 1);
    deep[30] = deep[31] = 31;
    HuffmanDecoder decoder;
    ASSERT_TRUE(buildDecoder(deep, 13, decoder));
    const PrefixCode code = writerCode(deep);
    files::BitWriter bits;
    for (const int s : {31, 0, 30, 12, 13, 29}) bits.write(code.codes[s], code.bits[s]);
    const std::size_t written = bits.bitCount();
    const std::vector<std::uint8_t> bytes = bits.take();
    files::BitReader reader(bytes);
    for (const int s : {31, 0, 30, 12, 13, 29}) EXPECT_EQ(decodeSymbol(decoder, reader), s);
    std::array<std::uint8_t, Symbols> lone{};
    lone[700] = 1;
    ASSERT_TRUE(buildDecoder(lone, 13, decoder));
    EXPECT_EQ(decodeSymbol(decoder, reader), 700);
    EXPECT_EQ(decodeSymbol(decoder, reader), 700);
    EXPECT_EQ(reader.bitPosition(), written);
}

CompressedTable handTable(const std::array<std::uint8_t, Symbols>& lengths,
                          std::vector<std::vector<std::uint8_t>> blocks, std::uint32_t lastLength,
                          int blockBits = BlockBits) {
    CompressedTable table;
    table.distances = HandDistances;
    table.codeLengths = lengths;
    table.decodedCrcs.assign(blocks.size(), 0);
    table.blocks = std::move(blocks);
    table.lastLength = lastLength;
    table.blockBits = blockBits;
    return table;
}

// Whole files of hand-made blocks through registration and the cache: a
// stored block, coded blocks, a block damaged after registration, a short last
// block; and a code of one symbol, whose blocks need no bit.
TEST_F(CompressedTables, HandMadeFilesThroughTheCache) {
    std::vector<std::uint8_t> expected(tableClass(5).size[0]);  // kqk.nbw: three blocks and 1053 values
    std::vector<std::vector<std::uint8_t>> blocks;
    for (std::size_t i = 0; i < BlockValues; ++i) expected[i] = static_cast<std::uint8_t>(i * 11 % 253);
    blocks.emplace_back(expected.begin(), expected.begin() + BlockValues);
    StreamWriter ranges(nineBitCode());
    everyLengthRange(ranges);
    std::copy(ranges.values.begin(), ranges.values.end(), expected.begin() + BlockValues);
    blocks.push_back(ranges.bits.take());
    StreamWriter pastEnd(nineBitCode());
    pastEnd.literal(1), pastEnd.match(0, 31, 0, 17, 0);
    blocks.push_back(pastEnd.bits.take());
    StreamWriter shortBlock(nineBitCode());
    for (int i = 0; i < 7; ++i) shortBlock.literal(static_cast<std::uint8_t>(i + 40));
    shortBlock.match(3, 14, 0, 0, 15);
    shortBlock.fillTo(1053);
    std::copy(shortBlock.values.begin(), shortBlock.values.end(), expected.begin() + 3 * BlockValues);
    blocks.push_back(shortBlock.bits.take());
    writeBytes(dir_.file("kqk.nbw.emd"), buildEmdFile(handTable(nineBitCode(), std::move(blocks), 1053)));

    std::array<std::uint8_t, Symbols> lone{};
    lone[5] = 1;
    writeBytes(dir_.file("krknbw.emd"),
               buildEmdFile(handTable(lone, {{0}, {0}, {0}, {0}}, tableClass(4).size[0] - 3 * BlockValues)));

    const Initialised init = load(dir_.file(""));
    EXPECT_EQ(init.problems, "");
    ASSERT_EQ(init.level, 3);
    for (std::uint32_t i = 0; i < expected.size(); ++i) {
        if (i / BlockValues == 2)
            ASSERT_EQ(fetchValue(5, 0, i), NotAvailable) << i;
        else
            ASSERT_EQ(fetchValue(5, 0, i), static_cast<std::int8_t>(expected[i])) << i;
    }
    for (std::uint32_t i = 0; i < tableClass(4).size[0]; ++i) ASSERT_EQ(fetchValue(4, 0, i), 5) << i;
    // Cut after registration and opened anew: no longer the registered
    // file's length, so no block of it is read.
    std::filesystem::resize_file(dir_.file("kqk.nbw.emd"), std::filesystem::file_size(dir_.file("kqk.nbw.emd")) - 10);
    release();
    setUpCache(1 << 20);
    EXPECT_EQ(fetchValue(5, 0, 3 * BlockValues), NotAvailable);
    EXPECT_EQ(fetchValue(5, 0, 5), NotAvailable);
}

// A block damaged on disk is caught by its checksum: the values of that block
// are not available (random values are coded almost byte for byte, and one
// flipped bit would otherwise give a wrong value without a word), the other
// blocks answer, and reading the file whole names the block.
TEST_F(CompressedTables, DamagedBlockGivesNoValuesOfItsOwn) {
    const std::uint32_t size = tableClass(5).size[0];  // kqk.nbw: four blocks
    std::vector<std::uint8_t> values(size);
    std::mt19937 random(5);
    for (std::uint32_t i = 0; i < size; ++i)
        values[i] = static_cast<std::uint8_t>(i / BlockValues == 1 ? random() : i % 13);
    std::vector<std::uint8_t> file = buildEmdFile(compressTable(values));
    const std::string path = dir_.file("kqk.nbw.emd");
    writeBytes(path, file);
    EmdDescriptor descriptor;
    ASSERT_EQ(describeEmdFile(files::openRegularFile(path).file.get(), descriptor), EmdFault::None);
    ASSERT_LT(descriptor.compressedLength(2), BlockValues / 8);
    for (const std::uint32_t damaged : {1u, 2u}) {
        std::vector<std::uint8_t> broken = file;
        broken[descriptor.blockStarts[damaged] + descriptor.compressedLength(damaged) / 2] ^= 0x10;
        writeBytes(path, broken);
        ASSERT_EQ(load(dir_.file("")).level, 3);
        for (std::uint32_t i = 0; i < size; ++i) {
            if (i / BlockValues == damaged)
                ASSERT_EQ(fetchValue(5, 0, i), NotAvailable) << damaged << " at " << i;
            else
                ASSERT_EQ(fetchValue(5, 0, i), static_cast<std::int8_t>(values[i])) << damaged << " at " << i;
        }
        std::string error;
        EXPECT_TRUE(decompressFile(path, size, error).empty());
        EXPECT_EQ(error, path + ": block " + std::to_string(damaged) + " damaged");
    }
}

void setCrc(std::vector<std::uint8_t>& file) {
    const std::uint32_t area = bigEndian32(&file[HeaderAreaOffset]);
    const std::uint32_t crc = files::crc32(std::span(file).first(area - 4));
    for (int i = 0; i < 4; ++i) file[area - 4 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
}

// Every damaged file is reported with its exact line and left unregistered;
// the program goes on.
TEST_F(CompressedTables, DamagedFilesAreReportedAndLeftOut) {
    const std::uint32_t size = tableClass(5).size[0];  // kqk.nbw
    std::vector<std::uint8_t> values(size);
    std::mt19937 random(11);
    for (std::uint32_t i = 0; i < size; ++i) values[i] = static_cast<std::uint8_t>(i % 97 < 60 ? 0 : random() % 5);
    const std::vector<std::uint8_t> good = buildEmdFile(compressTable(values));
    const std::string path = dir_.file("kqk.nbw.emd");
    const std::string unable = "*** Unable to read " + path + " - ";
    using Change = std::function<void(std::vector<std::uint8_t>&)>;
    const auto withCrc = [](Change change) {
        return [change](std::vector<std::uint8_t>& f) {
            change(f);
            setCrc(f);
        };
    };
    const auto table = [&](std::array<std::pair<int, int>, 3> code) {
        std::array<std::uint8_t, Symbols> lengths{};
        for (const auto& [symbol, length] : code) lengths[symbol] = static_cast<std::uint8_t>(length);
        std::vector<std::vector<std::uint8_t>> blocks(4, std::vector<std::uint8_t>(BlockValues, 0));
        blocks[3].resize(size - 3 * BlockValues);
        return buildEmdFile(handTable(lengths, blocks, size - 3 * BlockValues));
    };
    struct Case {
        const char* name;
        Change change;
        std::string out;
        std::int64_t ceiling = -1;
    };
    const std::vector<Case> cases = {
        {"the sound file", [](auto&) {}, ""},
        {"damaged header checksum", [](auto& f) { f[90] ^= 4; }, unable + "file broken\n"},
        {"another banner", [](auto& f) { f[3] = 'x'; }, unable + "read error\n"},
        {"w above 16", withCrc([](auto& f) { f[BlockBitsOffset] = 17; }), unable + "file broken\n"},
        {"24 distances not said", withCrc([](auto& f) { f[DistanceCountOffset] = 23; }), unable + "file broken\n"},
        {"marker bytes", withCrc([](auto& f) { f[MarkerOffset + 3] = 0xF6; }), unable + "file broken\n"},
        {"header area below 84 bytes", [](auto& f) { f[HeaderAreaOffset + 3] = 83, f[HeaderAreaOffset + 2] = 0; },
         unable + "file broken\n"},
        {"header area past the file's end", [](auto& f) { f[HeaderAreaOffset] = 0x40; }, unable + "out of memory\n"},
        {"cut in the header area", [](auto& f) { f.resize(100); }, unable + "out of memory\n"},
        {"cut in the fixed header", [](auto& f) { f.resize(79); }, unable + "read error\n"},
        {"more blocks than the header holds", withCrc([](auto& f) { f[BlockCountOffset] = 1; }),
         unable + "file broken\n"},
        // (and none for the cache either)
        {"no memory for the header", [](auto&) {},
         unable + "out of memory\n*** Cannot allocate 1048576 bytes of memory\n", 100},
        {"incomplete code",
         [&](auto& f) {
             f = table({{{1, 2}, {2, 2}, {0, 0}}});
         },
         unable + "file broken\n"},
        {"over-full code",
         [&](auto& f) {
             f = table({{{1, 1}, {2, 1}, {3, 1}}});
         },
         unable + "file broken\n"},
        {"lone symbol of two bits",
         [&](auto& f) {
             f = table({{{1, 2}, {0, 0}, {0, 0}}});
         },
         unable + "file broken\n"},
        {"wrong decoded length", [&](auto& f) { f = buildEmdFile(compressTable(std::span(values).first(size - 1))); },
         "*** " + path + " corrupted\n"},
        {"blocks of 4096",
         [&](auto& f) {
             std::vector<std::vector<std::uint8_t>> blocks;
             for (std::uint32_t first = 0; first < size; first += 4096)
                 blocks.emplace_back(values.begin() + first, values.begin() + std::min(size, first + 4096));
             f = buildEmdFile(handTable({}, blocks, static_cast<std::uint32_t>(blocks.back().size()), 12));
         },
         "*** " + path + ": Unsupported block size 4096\n"},
        {"random bytes",
         [&](auto& f) {
             for (auto& byte : f) byte = static_cast<std::uint8_t>(random());
         },
         unable + "read error\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> file = good;
        c.change(file);
        writeBytes(path, file);
        setAllocationCeiling(c.ceiling);
        const Initialised init = load(dir_.file(""));
        setAllocationCeiling(-1);
        EXPECT_EQ(init.problems, c.out) << c.name;
        EXPECT_EQ(init.level, c.out.empty() ? 3 : 0) << c.name;
        EXPECT_EQ(registeredFile(5, 0) != nullptr, c.out.empty()) << c.name;
    }
}

}  // namespace
}  // namespace halberd::tablebase::emd
