#include "frontend/config.h"

#include <gtest/gtest.h>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "book/booktestfiles.h"
#include "frontend/textnumber.h"
#include "frontend/thinking.h"
#include "search/transposition.h"

namespace hf = halberd::frontend;
namespace hb = halberd::board;
using halberd::booktest::TempDir;
using halberd::booktest::writeTextFile;

namespace {

hb::GameBoard newGame() {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    return game;
}

}  // namespace

TEST(ConfigLine, EveryKeyInAnyCaseWithItsValue) {
    hf::Settings s;
    hf::applyConfigLine(s, "HASHTABLE=20");
    EXPECT_EQ(s.hashExponent, 20);
    hf::applyConfigLine(s, "  \thashtable=7");
    EXPECT_EQ(s.hashExponent, 7);
    hf::applyConfigLine(s, "HASHTABLE=0");
    EXPECT_EQ(s.hashExponent, 7);
    hf::applyConfigLine(s, "HASHTABLE=-3");
    EXPECT_EQ(s.hashExponent, 7);
    hf::applyConfigLine(s, "TB_CACHE_SIZE=16");
    EXPECT_EQ(s.tbCacheBytes, 16 << 20);
    hf::applyConfigLine(s, "USE_BOOK=0");
    hf::applyConfigLine(s, "RESIGN=0");
    hf::applyConfigLine(s, "LOGFILE=1");
    EXPECT_EQ(s.optUseBook.load(), 0);
    EXPECT_EQ(s.optResign.load(), 0);
    EXPECT_EQ(s.logEnabled, 1);
    hf::applyConfigLine(s, "Use_Book=5");
    hf::applyConfigLine(s, "LOGFILE=0");
    EXPECT_EQ(s.optUseBook.load(), 1);
    EXPECT_EQ(s.logEnabled, 0);
    // NULLEVAL is understood and changes nothing.
    hf::applyConfigLine(s, "NULLEVAL=0.5");
    EXPECT_EQ(s.hashExponent, 7);
}

TEST(ConfigLine, CommentsLinesWithoutValueAndUnknownKeysChangeNothing) {
    hf::Settings s;
    hf::applyConfigLine(s, ";HASHTABLE=20");
    hf::applyConfigLine(s, "  ; LOGFILE=1");
    hf::applyConfigLine(s, "HASHTABLE 20");
    hf::applyConfigLine(s, "HASH=20");
    hf::applyConfigLine(s, "");
    EXPECT_EQ(s.hashExponent, 0);
    EXPECT_EQ(s.logEnabled, 0);
    // The value follows the first "=" of the line.
    hf::applyConfigLine(s, "HASHTABLE=21=3");
    EXPECT_EQ(s.hashExponent, 21);
    // Only the first 126 characters of a line count.
    hf::applyConfigLine(s, "HASHTABLE" + std::string(120, ' ') + "=9");
    EXPECT_EQ(s.hashExponent, 21);
}

TEST(ConfigLine, CacheSizesThatAnIntCannotCountAreBounded) {
    hf::Settings s;
    hf::applyConfigLine(s, "TB_CACHE_SIZE=0");
    EXPECT_EQ(s.tbCacheBytes, 4 << 20);
    hf::applyConfigLine(s, "TB_CACHE_SIZE=-8");
    EXPECT_EQ(s.tbCacheBytes, 4 << 20);
    hf::applyConfigLine(s, "TB_CACHE_SIZE=4096");
    EXPECT_EQ(s.tbCacheBytes, 2047 << 20);
}

TEST(ConfigFile, TablebaseLinesFollowTheExecutableDirectory) {
    TempDir dir;
    writeTextFile(dir.file("halberd.cfg"),
                  "; engine settings\r\n"
                  "HASHTABLE=20\r\n"
                  "TABLEBASE= \t/data/tb3\r\n"
                  "tablebase=/data/tb4\n"
                  "TB_CACHE_SIZE=16\n");
    hf::Settings s;
    const std::string directory = dir.path().string() + "/";
    hf::readConfigFile(s, directory);
    EXPECT_EQ(s.tbPath, dir.path().string() + ";/data/tb3;/data/tb4");
    EXPECT_EQ(s.hashExponent, 20);
    EXPECT_EQ(s.tbCacheBytes, 16 << 20);
}

TEST(ConfigFile, WithoutAFileOnlyTheDirectoryIsSet) {
    TempDir dir;
    hf::Settings s;
    hf::readConfigFile(s, dir.path().string() + "/");
    EXPECT_EQ(s.tbPath, dir.path().string());
    EXPECT_EQ(s.hashExponent, 0);
    EXPECT_EQ(s.tbCacheBytes, 4 << 20);
    hf::Settings none;
    hf::readConfigFile(none, "");
    EXPECT_EQ(none.tbPath, "");
}

TEST(ConfigFile, ADirectoryThatDoesNotFitTheListIsDropped) {
    hf::Settings s;
    s.tbPath = std::string(250, 'a');
    hf::applyConfigLine(s, "TABLEBASE=/" + std::string(48, 'b'));
    EXPECT_EQ(s.tbPath.size(), 250u);
    // 250 + ";" + 48 = 299 fits exactly.
    hf::applyConfigLine(s, "TABLEBASE=" + std::string(48, 'b'));
    EXPECT_EQ(s.tbPath.size(), hf::PathCapacity);
    // An empty value adds no empty directory.
    hf::Settings t;
    t.tbPath = "/x";
    hf::applyConfigLine(t, "TABLEBASE=  ");
    EXPECT_EQ(t.tbPath, "/x");
}

TEST(PositionFile, ColoursPiecesAndTheSideToMove) {
    TempDir dir;
    const std::string path = dir.file("position.txt");
    // French letters; lines in either case; unknown lines are skipped.
    writeTextFile(path,
                  "b\n"
                  "RE1\n"
                  "tA1\n"
                  "pe2\n"
                  "# a remark\n"
                  "n\n"
                  "re8\n"
                  "dd8\n"
                  "ch6\n"
                  "pa7\n");
    hb::GameBoard game = newGame();
    ASSERT_EQ(hf::loadPositionFile(game, path), 0);
    // The last colour line was "n": White is to move.
    EXPECT_EQ(hb::writeFen(game), "3qk3/p7/7n/8/8/8/4P3/R3K3/ w Q -");
    EXPECT_EQ(game.sideToMove, hb::White);

    writeTextFile(path, "n\nrh8\nb\nrh1\nfc4\n");
    ASSERT_EQ(hf::loadPositionFile(game, path), 0);
    EXPECT_EQ(game.sideToMove, hb::Black);
    EXPECT_EQ(hb::writeFen(game).substr(0, 22), "7k/8/8/8/2B5/8/8/7K/ b");
}

TEST(PositionFile, FailuresLeaveTheGameAsItWas) {
    TempDir dir;
    const std::string path = dir.file("position.txt");
    hb::GameBoard game = newGame();
    const std::string before = hb::writeFen(game);
    // No file.
    EXPECT_NE(hf::loadPositionFile(game, dir.file("missing.txt")), 0);
    // A king is missing.
    writeTextFile(path, "b\nre1\npe2\n");
    EXPECT_NE(hf::loadPositionFile(game, path), 0);
    // A pawn on the last rank cannot be placed.
    writeTextFile(path, "b\nre1\npe8\nn\nra8\n");
    EXPECT_NE(hf::loadPositionFile(game, path), 0);
    // A square that is no square.
    writeTextFile(path, "b\nre1\nti9\nn\nra8\n");
    EXPECT_NE(hf::loadPositionFile(game, path), 0);
    // The side not to move stands in check: White to move, Black's king attacked.
    writeTextFile(path, "b\nre1\nte2\nn\nre8\n");
    EXPECT_NE(hf::loadPositionFile(game, path), 0);
    // A ninth knight finds no slot.
    std::string crowd = "b\nre1\n";
    for (int i = 0; i < 11; ++i)
        crowd += std::string("c") + static_cast<char>('a' + i % 8) + static_cast<char>('3' + i / 8) + "\n";
    writeTextFile(path, crowd + "n\nre8\n");
    EXPECT_NE(hf::loadPositionFile(game, path), 0);
    EXPECT_EQ(hb::writeFen(game), before);
}

TEST(TextNumber, ReadsLikeAtoiAndSaturates) {
    EXPECT_EQ(hf::leadingInteger("  42abc"), 42);
    EXPECT_EQ(hf::leadingInteger("\t-7"), -7);
    EXPECT_EQ(hf::leadingInteger("+5"), 5);
    EXPECT_EQ(hf::leadingInteger("x5"), 0);
    EXPECT_EQ(hf::leadingInteger(""), 0);
    EXPECT_EQ(hf::leadingInteger("99999999999999"), 2147483647);
    EXPECT_EQ(hf::leadingInteger("-99999999999999"), -2147483647 - 1);
    EXPECT_EQ(hf::leadingInteger64("99999999999999"), 99999999999999);
    EXPECT_EQ(hf::leadingInteger64(std::string(40, '9')), std::int64_t{1} << 62);
}

namespace {

// readCommandLine works on the process-wide settings: each test puts them back.
class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        kept_.hashExponent = hf::settings().hashExponent;
        kept_.tbPath = hf::settings().tbPath;
        game_ = newGame();
        writeTextFile(dir_.file("game.txt"), "1. e2e4 e7e5\n");
        writeTextFile(dir_.file("position.txt"), "b\nrg1\nn\nrg8\npg7\n");
    }
    void TearDown() override {
        hf::settings().hashExponent = kept_.hashExponent;
        hf::settings().tbPath = kept_.tbPath;
    }
    hf::Startup run(std::vector<std::string> words) {
        std::vector<std::string_view> views(words.begin(), words.end());
        ::testing::internal::CaptureStdout();
        const hf::Startup result = hf::readCommandLine(views, game_);
        printed_ = ::testing::internal::GetCapturedStdout();
        return result;
    }
    std::string file(const char* name) const { return dir_.file(name); }

    TempDir dir_;
    hb::GameBoard game_;
    std::string printed_;

private:
    struct {
        int hashExponent;
        std::string tbPath;
    } kept_{};
};

constexpr std::uint64_t MiB = 1 << 20;

}  // namespace

TEST_F(CommandLine, WithoutOptionsTheTablesGetTheirSmallestSize) {
    EXPECT_EQ(run({}), hf::Startup::CommandLoop);
    EXPECT_LE(halberd::search::ttBytes(), 4 * MiB);
    EXPECT_GT(halberd::search::ttBytes(), 3 * MiB);
    EXPECT_EQ(printed_, "");
    // Arguments without a dash and unknown options end with a usage line.
    for (const char* argument : {"xboard", "-x", "-", "--hash"})
        EXPECT_EQ(run({argument}), hf::Startup::Usage) << argument;
}

TEST_F(CommandLine, HashOptionIsTheExponentMinusOne) {
    EXPECT_EQ(run({"-h20"}), hf::Startup::CommandLoop);
    EXPECT_EQ(hf::settings().hashExponent, 19);
    EXPECT_GT(halberd::search::ttBytes(), 6 * MiB);
    EXPECT_LE(halberd::search::ttBytes(), 8 * MiB);
    // Bounded: no overflow from an absurd value.
    run({"-h-2147483648"});
    EXPECT_LE(halberd::search::ttBytes(), 4 * MiB);
}

TEST_F(CommandLine, AHashOptionAfterAGameFileHasNoEffect) {
    EXPECT_EQ(run({"-f" + file("game.txt"), "-h24"}), hf::Startup::Analysis);
    EXPECT_LE(halberd::search::ttBytes(), 4 * MiB);
    EXPECT_EQ(game_.plyCounter, 1);
    EXPECT_EQ(run({"-h21", "-f" + file("game.txt")}), hf::Startup::Analysis);
    EXPECT_GT(halberd::search::ttBytes(), 12 * MiB);
    EXPECT_LE(halberd::search::ttBytes(), 16 * MiB);
}

TEST_F(CommandLine, TimeOption) {
    EXPECT_EQ(run({"-t5"}), hf::Startup::CommandLoop);
    EXPECT_EQ(hf::commandLineSearch().budget.softMs, 5000);
    EXPECT_EQ(hf::commandLineSearch().budget.hardMs, 5000);
    EXPECT_EQ(run({"-t0", "-tx"}), hf::Startup::CommandLoop);
    EXPECT_EQ(printed_, "temps??\ntemps??\n");
    EXPECT_EQ(hf::commandLineSearch().budget.softMs, 5000);
    hf::commandLineSearch() = hf::GoRequest{};
}

TEST_F(CommandLine, DirectoryOptionReplacesTheList) {
    run({"-d/data/tb"});
    EXPECT_EQ(hf::settings().tbPath, "/data/tb");
    run({"-d/a", "-d/b"});
    EXPECT_EQ(hf::settings().tbPath, "/b");
    run({"-d/" + std::string(400, 'x')});
    EXPECT_EQ(hf::settings().tbPath.size(), hf::PathCapacity);
}

TEST_F(CommandLine, PositionAndGameFilesAskForAnAnalysis) {
    EXPECT_EQ(run({"-p" + file("position.txt")}), hf::Startup::Analysis);
    EXPECT_EQ(hb::writeFen(game_), "6k1/6p1/8/8/8/8/8/6K1/ w - -");
    const std::string missing = "fichier?? " + file("missing.txt") + ": No such file or directory\n";
    EXPECT_EQ(run({"-p" + file("missing.txt")}), hf::Startup::Failed);
    EXPECT_EQ(printed_, missing);
    EXPECT_EQ(run({"-f" + file("missing.txt")}), hf::Startup::Failed);
    EXPECT_EQ(printed_, missing);
    // An illegal move in a game file is a failure; a finished game is not.
    writeTextFile(file("bad.txt"), "e2e4 e2e4\n");
    EXPECT_EQ(run({"-f" + file("bad.txt")}), hf::Startup::Failed);
    writeTextFile(file("mate.txt"), "f2f3 e7e5 g2g4 d8h4\n");
    EXPECT_EQ(run({"-f" + file("mate.txt")}), hf::Startup::Analysis);
    EXPECT_EQ(game_.gameResult, hb::ResultMate);
}
