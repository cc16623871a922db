// The tb word: tables the program makes itself, checks move by move, and then
// reads in its search, where the longest king-and-queen win scores as the
// tables' mate in 10.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enginepipe.h"
#include "installedengine.h"

using halberd::testing::EnginePipe;
using halberd::testing::InstalledEngine;
using halberd::testing::Program;
using namespace std::chrono_literals;

namespace {

std::vector<std::string> outputOf(EnginePipe& engine, std::chrono::milliseconds timeout) {
    std::vector<std::string> lines;
    while (auto line = engine.readLine(timeout)) lines.push_back(*line);
    return lines;
}

bool anyContains(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(ProtocolTbCommand, MadeTablesVerifyAndGiveTheSearchTheirMate) {
    InstalledEngine installed;
    const std::string tb = installed.file("tb");
    {
        EnginePipe maker(Program{installed.program()}, {"tb", "make", "kqk", "-o", tb});
        const auto lines = outputOf(maker, 60s);
        EXPECT_EQ(maker.waitExit(60s), 0);
        EXPECT_TRUE(anyContains(lines, "kqk.nbw: ")) << maker.stderrText();
        EXPECT_TRUE(anyContains(lines, "longest win 10 moves 8/8/8/5k2/8/8/1Q6/K7 w - -"));
        EXPECT_TRUE(maker.stderrContains("kqk: pass 19, "));
    }
    {
        EnginePipe verifier(Program{installed.program()}, {"tb", "verify", "kqk", "-d", tb});
        const auto lines = outputOf(verifier, 60s);
        EXPECT_EQ(verifier.waitExit(60s), 0);
        EXPECT_TRUE(anyContains(lines, "kqk: 47136 positions, 0 inconsistencies"));
    }
    EnginePipe engine(Program{installed.program()}, {"-d" + tb});
    EXPECT_TRUE(engine.stderrContains("InitTb=3\n"));
    for (const char* line : {"xboard", "post", "setboard 8/8/8/5k2/8/8/1Q6/K7 w - - 0 1", "sd 3", "go"})
        engine.send(line);
    std::vector<std::string> thinking;
    while (auto line = engine.readLine(30s)) {
        thinking.push_back(*line);
        if (line->starts_with("move ")) break;
    }
    EXPECT_TRUE(anyContains(thinking, " 100010 ")) << thinking.back();
}

TEST(ProtocolTbCommand, BadArgumentsGiveTheUsage) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"tb"},
                                               {"tb", "make"},
                                               {"tb", "make", "kzk"},
                                               {"tb", "make", "kkq"},
                                               {"tb", "verify", "kqk", "-d"},
                                               {"tb", "make", "kqk", "-j", "0"},
                                               {"tb", "make", "kqk", "-j"},
                                               {"tb", "plan", "kqkr", "-o", "tb"}}) {
        EnginePipe engine(arguments);
        EXPECT_TRUE(engine.stderrContains("usage: halberd tb make CLASS... [-o DIR]")) << arguments.back();
        EXPECT_EQ(engine.waitExit(), 2) << arguments.back();
    }
}

TEST(ProtocolTbCommand, CompressingAMissingFileSaysSo) {
    EnginePipe engine({"tb", "compress", "/nonexistent/kqk.nbw"});
    EXPECT_EQ(engine.readLine(), "tb: /nonexistent/kqk.nbw: No such file or directory");
    EXPECT_EQ(engine.waitExit(), 1);
}
