#include "tablebase/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "book/booktestfiles.h"
#include "parallel/runparts.h"
#include "problemlines.h"
#include "tablebase/blockcache.h"
#include "tablebase/tablefiles.h"

namespace tb = halberd::tablebase;
using halberd::booktest::TempDir;

namespace {

// A table file of `length` bytes, byte i = pattern(i).
void writeTable(const std::string& path, std::uint64_t length) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> block(tb::BlockValues);
    for (std::uint64_t first = 0; first < length; first += block.size()) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), length - first));
        for (std::size_t i = 0; i < n; ++i) block[i] = static_cast<char>((first + i) * 7 % 251);
        out.write(block.data(), static_cast<std::streamsize>(n));
    }
}

int pattern(std::uint32_t index) { return static_cast<std::int8_t>(static_cast<std::uint8_t>(index * 7 % 251)); }

struct Initialised {
    int level;
    std::string problems;  // the "***" lines
    std::string err;       // all of standard error
};

Initialised initialise(const std::string& list, std::int64_t cache = 4 << 20) {
    testing::internal::CaptureStderr();
    const int level = tb::initialise(list, cache);
    const std::string err = testing::internal::GetCapturedStderr();
    return {level, halberd::testing::problemLines(err), err};
}

class TablebaseRegistry : public testing::Test {
protected:
    void TearDown() override {
        tb::setAllocationCeiling(-1);
        initialise(dir_.file("nothing-here"));
    }
    TempDir dir_;
};

}  // namespace

TEST_F(TablebaseRegistry, FirstDirectoryWinsAndTheLevelFollowsTheMostMen) {
    std::filesystem::create_directory(dir_.file("a"));
    std::filesystem::create_directory(dir_.file("b"));
    writeTable(dir_.file("a/kqk.nbw"), 25629);
    writeTable(dir_.file("b/kqk.nbw"), 25629);
    writeTable(dir_.file("b/kqkr.nbb"), 1649196);
    const std::string list = dir_.file("a") + ";" + dir_.file("b");
    const Initialised init = initialise(list);
    EXPECT_EQ(init.level, 4);
    EXPECT_EQ(init.err, "TbPath=<" + list + ">\nInitTb=4\n");
    EXPECT_EQ(init.problems, "");
    ASSERT_NE(tb::registeredFile(5, 0), nullptr);
    EXPECT_EQ(tb::registeredFile(5, 0)->path, dir_.file("a/kqk.nbw"));
    EXPECT_EQ(tb::registeredFile(5, 1), nullptr);
    EXPECT_NE(tb::registeredFile(19, 1), nullptr);
    EXPECT_EQ(initialise(dir_.file("a")).level, 3);
    EXPECT_EQ(tb::registeredFile(19, 1), nullptr);  // the earlier registration is forgotten
}

// A damaged file, an empty list entry, a missing directory, a directory that
// wears a table's name and an over-long path: each file in question stays
// unregistered, the rest registers, nothing ends the program.
TEST_F(TablebaseRegistry, BadFilesAndDirectoriesAreSkipped) {
    writeTable(dir_.file("krk.nbw"), 27029);  // one byte short
    writeTable(dir_.file("knk.nbb"), 28645);  // one byte too many
    std::filesystem::create_directory(dir_.file("kbk.nbw"));
    writeTable(dir_.file("kpk.nbw"), 81664);
    std::string longDirectory(5001, 'x');
    longDirectory[0] = '/';
    std::string list = ";";
    for (const std::string& part :
         {dir_.file("missing"), std::string(";;"), dir_.file(""), std::string(":"), longDirectory})
        list += part;
    list += ",";
    const Initialised init = initialise(list);
    EXPECT_EQ(init.level, 3);
    EXPECT_EQ(init.problems,
              "*** " + dir_.file("knk.nbb") + " corrupted\n*** " + dir_.file("krk.nbw") + " corrupted\n");
    EXPECT_EQ(tb::registeredFile(4, 0), nullptr);
    EXPECT_EQ(tb::registeredFile(2, 1), nullptr);
    EXPECT_EQ(tb::registeredFile(3, 0), nullptr);
    EXPECT_NE(tb::registeredFile(1, 0), nullptr);
}

TEST_F(TablebaseRegistry, EmptyListIsTheCurrentDirectory) {
    writeTable(dir_.file("kqk.nbb"), 28644);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    const Initialised init = initialise("");
    std::filesystem::current_path(previous);
    EXPECT_EQ(init.level, 3);
    ASSERT_NE(tb::registeredFile(5, 1), nullptr);
    EXPECT_EQ(tb::registeredFile(5, 1)->path, "kqk.nbb");
}

TEST_F(TablebaseRegistry, CacheSizeIsBounded) {
    initialise(dir_.file(""), 512 << 10);
    EXPECT_EQ(tb::cacheSlots(), 126);
    initialise(dir_.file(""), std::int64_t{100} << 20);
    EXPECT_EQ(tb::cacheSlots(), static_cast<int>((std::int64_t{64} << 20) / tb::SlotBytes));
}

// Without memory for the cache no value could be read: the tables stay
// unregistered and the level is 0, but the program goes on.
TEST_F(TablebaseRegistry, CacheWithoutMemoryLeavesTheTablesUnregistered) {
    writeTable(dir_.file("kqk.nbw"), 25629);
    tb::setAllocationCeiling(1 << 19);
    const Initialised init = initialise(dir_.file(""), 4 << 20);
    EXPECT_EQ(init.level, 0);
    EXPECT_EQ(init.problems, "*** Cannot allocate 4194304 bytes of memory\n");
    EXPECT_EQ(tb::registeredFile(5, 0), nullptr);
    EXPECT_EQ(tb::fetchValue(5, 0, 0), tb::NotAvailable);
}

// Values come back as written, through a cache much smaller than the table,
// in any order, also by threads at once; blocks of one file that share a set of
// slots both stay cached.
// The same for the table's compressed file.
TEST_F(TablebaseRegistry, BlocksReadThroughTheCache) {
    std::filesystem::create_directory(dir_.file("plain"));
    std::filesystem::create_directory(dir_.file("packed"));
    writeTable(dir_.file("plain/kqkr.nbw"), 1563735);
    tb::CompressReport report;
    std::string error;
    ASSERT_TRUE(tb::compressTableFile(dir_.file("plain/kqkr.nbw"), report, error)) << error;
    std::filesystem::rename(dir_.file("plain/kqkr.nbw.emd"), dir_.file("packed/kqkr.nbw.emd"));
    for (const std::string& directory : {dir_.file("plain"), dir_.file("packed")}) {
        initialise(directory, 1 << 20);
        ASSERT_NE(tb::registeredFile(19, 0), nullptr) << directory;
        std::mt19937 random(7);
        std::uniform_int_distribution<std::uint32_t> pick(0, 1563734);
        for (int i = 0; i < 3000; ++i) {
            const std::uint32_t index = pick(random);
            ASSERT_EQ(tb::fetchValue(19, 0, index), pattern(index)) << index;
        }
        EXPECT_EQ(tb::fetchValue(19, 0, 1563734), pattern(1563734));  // the short last block
        EXPECT_EQ(tb::fetchValue(19, 0, 1563735), tb::NotAvailable);
        EXPECT_EQ(tb::fetchValue(19, 1, 0), tb::NotAvailable);

        // Four threads at once, the cache too small for the file: hits race
        // the refills of their slots, and every value still comes back right.
        initialise(directory, 1 << 20);
        std::atomic<int> wrong{0};
        halberd::parallel::runParts(4, [&](int part) {
            std::mt19937 own(static_cast<unsigned>(part));
            std::uniform_int_distribution<std::uint32_t> anywhere(0, 1563734);
            for (int i = 0; i < 2000; ++i) {
                const std::uint32_t index = anywhere(own);
                if (tb::fetchValue(19, 0, index) != pattern(index)) wrong.fetch_add(1);
            }
        });
        EXPECT_EQ(wrong.load(), 0) << directory;
        EXPECT_EQ(tb::cacheCounts().hits + tb::cacheCounts().reads, 8000u) << directory;

        initialise(directory, 1 << 20);
        const std::uint32_t a = 5 * tb::BlockValues + 3, b = (5 + tb::cacheSets()) * tb::BlockValues + 9;
        EXPECT_EQ(tb::fetchValue(19, 0, a), pattern(a));
        EXPECT_EQ(tb::fetchValue(19, 0, b), pattern(b));
        EXPECT_EQ(tb::fetchValue(19, 0, a + 1), pattern(a + 1));
        EXPECT_EQ(tb::fetchValue(19, 0, b + 1), pattern(b + 1));
        EXPECT_EQ(tb::cacheCounts().reads, 2u) << directory;
        EXPECT_EQ(tb::cacheCounts().hits, 2u) << directory;
    }
}

// A file cut short or taken away after registration gives no value for what
// is gone; what was read before stays, and nothing breaks.
TEST_F(TablebaseRegistry, FileThatChangesAfterRegistration) {
    writeTable(dir_.file("kqkr.nbw"), 1563735);
    writeTable(dir_.file("kqkr.nbb"), 1649196);
    initialise(dir_.file(""), 1 << 20);
    EXPECT_EQ(tb::fetchValue(19, 0, 10), pattern(10));
    std::filesystem::resize_file(dir_.file("kqkr.nbw"), 100000);
    EXPECT_EQ(tb::fetchValue(19, 0, 11), pattern(11));
    EXPECT_EQ(tb::fetchValue(19, 0, 100001), tb::NotAvailable);
    EXPECT_EQ(tb::fetchValue(19, 0, 1500000), tb::NotAvailable);
    std::filesystem::remove(dir_.file("kqkr.nbb"));
    EXPECT_EQ(tb::fetchValue(19, 1, 10), tb::NotAvailable);
    EXPECT_EQ(tb::fetchValue(19, 0, 12), pattern(12));
    tb::release();
    EXPECT_EQ(tb::fetchValue(19, 0, 12), tb::NotAvailable);
}

// A registered file whose path later names something else is not opened: a
// FIFO (which a plain open would wait on for ever), a directory, a file of
// another length. Its values are not available; the other side's table answers.
TEST_F(TablebaseRegistry, FileReplacedAfterRegistrationIsNotOpened) {
    const std::string path = dir_.file("kqk.nbw");
    const std::vector<std::pair<const char*, std::function<void()>>> replacements = {
        {"fifo", [&] { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
        {"directory", [&] { std::filesystem::create_directory(path); }},
        {"longer file", [&] { writeTable(path, 25630); }},
    };
    writeTable(dir_.file("kqk.nbb"), 28644);
    for (const auto& [name, replace] : replacements) {
        writeTable(path, 25629);
        initialise(dir_.file(""));
        ASSERT_NE(tb::registeredFile(5, 0), nullptr) << name;
        std::filesystem::remove(path);
        replace();
        EXPECT_EQ(tb::fetchValue(5, 0, 7), tb::NotAvailable) << name;
        EXPECT_EQ(tb::fetchValue(5, 1, 7), pattern(7)) << name;
        std::filesystem::remove(path);
    }
}
