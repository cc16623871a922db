// Tablebases seen from outside: the directories from the command line, the
// configuration file, EGTPATH and UCI NalimovPath, the level on standard
// error, damaged files, and scores that come from the tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "enginepipe.h"
#include "installedengine.h"

using halberd::testing::EnginePipe;
using halberd::testing::InstalledEngine;
using halberd::testing::Program;
using namespace std::chrono_literals;

namespace {

// The longest win of king and queen against king: mate in 10 moves, which a
// search to depth 4 sees only through the tables.
constexpr char KingAndQueen[] = "8/8/8/5k2/8/8/1Q6/K7 w - - 0 1";

// Generates the king and queen against king tables with the engine itself,
// plain or compressed.
std::string writeTables(const InstalledEngine& installed, bool compressed = false) {
    const std::string dir = installed.file(compressed ? "tbz" : "tb");
    std::vector<std::string> arguments = {"tb", "make", "kqk", "-o", dir};
    if (compressed) arguments.push_back("--compress");
    EnginePipe maker(Program{installed.program()}, arguments);
    EXPECT_EQ(maker.waitExit(120s), 0);
    return dir;
}

// Sends the lines, then collects standard output up to the engine's move.
std::vector<std::string> searchLines(EnginePipe& engine, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) engine.send(line);
    std::vector<std::string> out;
    while (auto line = engine.readLine(30s)) {
        out.push_back(*line);
        if (line->starts_with("move ") || line->starts_with("bestmove ")) break;
    }
    return out;
}

bool anyContains(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

std::vector<std::string> xboardSearch(EnginePipe& engine) {
    return searchLines(engine, {"xboard", "post", std::string("setboard ") + KingAndQueen, "sd 4", "go"});
}

}  // namespace

// The compressed tables (a directory of .emd files only) give the same.
TEST(ProtocolTablebases, DirectoryFromTheCommandLineOrTheConfigurationFile) {
    InstalledEngine installed;
    const std::string tb = writeTables(installed);
    for (const std::string& dir : {tb, writeTables(installed, true)}) {
        EnginePipe engine(Program{installed.program()}, {"-d" + dir});
        EXPECT_TRUE(engine.stderrContains("TbPath=<" + dir + ">\nInitTb=3\n"));
        const auto lines = xboardSearch(engine);
        EXPECT_TRUE(anyContains(lines, " 100010 ")) << dir << ": " << lines.back();
        engine.send("quit");
        EXPECT_EQ(engine.waitExit(), 0);
    }
    installed.writeConfig("TABLEBASE=" + tb + "\nTB_CACHE_SIZE=16\n");
    EnginePipe engine(Program{installed.program()}, {});
    const std::string dir = installed.dir().string();
    EXPECT_TRUE(engine.stderrContains("TbPath=<" + dir + ";" + tb + ">\nInitTb=3\n"));
    EXPECT_TRUE(anyContains(xboardSearch(engine), " 100010 "));
}

// Without tables the engine sees a large advantage but no mate at depth 4;
// a directory added while running brings the tables' mate in 10, and a new
// NalimovPath value takes it away again.
TEST(ProtocolTablebases, EgtpathAddsADirectoryAndNalimovPathSetsOne) {
    InstalledEngine installed;
    const std::string tb = writeTables(installed);
    {
        EnginePipe engine(Program{installed.program()}, {});
        EXPECT_TRUE(engine.stderrContains("InitTb=0\n"));
        EXPECT_FALSE(anyContains(xboardSearch(engine), " 100010 "));
        engine.send("memory 200");
        engine.send("egtpath nalimov " + tb + "/");
        EXPECT_TRUE(engine.stderrContains(";" + tb + ">\nInitTb=3\n"));
        EXPECT_TRUE(anyContains(xboardSearch(engine), " 100010 "));
    }
    EnginePipe engine(Program{installed.program()}, {});
    engine.send("uci");
    engine.send("setoption name NalimovCache value 2");
    engine.send("setoption name NalimovPath value " + tb);
    EXPECT_TRUE(engine.stderrContains("InitTb=3\n"));
    const auto lines = searchLines(engine, {std::string("position fen ") + KingAndQueen, "go depth 4"});
    EXPECT_TRUE(anyContains(lines, "score mate 10")) << lines.back();
    // A new value replaces the directory the last one added.
    const std::string none = installed.file("none");
    engine.send("setoption name NalimovPath value " + none);
    EXPECT_TRUE(engine.stderrContains(";" + none + ">\nInitTb=0\n"));
}

// A damaged table is reported on standard output and left out; the engine
// starts, the other tables work, and it ends normally.
TEST(ProtocolTablebases, DamagedFileIsLeftOutAndTheEngineGoesOn) {
    InstalledEngine installed;
    const std::string tb = writeTables(installed);
    std::ofstream(tb + "/krk.nbw", std::ios::binary) << std::string(100, '\0');
    std::string longDirectory(4000, 'x');
    EnginePipe engine(Program{installed.program()}, {"-d;" + tb + ";;/nowhere:/" + longDirectory});
    // The report goes to standard error, where an interface does not read it as a reply.
    EXPECT_TRUE(engine.stderrContains("*** " + tb + "/krk.nbw corrupted\n"));
    EXPECT_TRUE(engine.stderrContains("InitTb=3\n"));
    EXPECT_TRUE(anyContains(xboardSearch(engine), " 100010 "));
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
    // A UCI interface is told in an info string.
    EnginePipe uci(Program{installed.program()}, {"-d/nowhere"});
    uci.send("uci");
    while (auto line = uci.readLine())
        if (*line == "uciok") break;
    EXPECT_EQ(uci.exchange("setoption name NalimovPath value " + tb),
              (std::vector<std::string>{"info string *** " + tb + "/krk.nbw corrupted",
                                        "info string tablebases: 2 files (3 men): 2 in " + tb + "/"}));
}

TEST(ProtocolCommandLineAnalysis, PositionFileAnalysedWithTablebases) {
    InstalledEngine installed;
    const std::string tb = writeTables(installed);
    // White: king a1, queen b2; Black: king f5; White to move (the side after
    // the last colour named).
    installed.writeFile("kqk.txt", "b\nra1\ndb2\nn\nrf5\n");
    EnginePipe engine(Program{installed.program()}, {"-t1", "-d" + tb, "-p" + installed.file("kqk.txt")});
    std::vector<std::string> lines;
    while (auto line = engine.readLine()) lines.push_back(*line);
    EXPECT_EQ(engine.waitExit(), 0);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(" 100010 "), std::string::npos) << lines.back();
    EXPECT_TRUE(engine.stderrContains("InitTb=3\n"));
}
