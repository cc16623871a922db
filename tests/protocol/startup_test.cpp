// Start-up, the ways the program ends, signals, the perft and bench words.
#include <gtest/gtest.h>

#include <csignal>

#include "enginepipe.h"

using halberd::testing::EnginePipe;
using namespace std::chrono_literals;

TEST(ProtocolStartup, BannerAndMemoryLineGoToStandardError) {
    EnginePipe engine;
    ASSERT_TRUE(engine.stderrContains("type quit to exit\n"));
    const std::string& text = engine.stderrText();
    EXPECT_EQ(text.rfind("Halberd 4.7\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nHash="), std::string::npos) << text;
    EXPECT_NE(text.find("MB Sst=76\n"), std::string::npos) << text;
    EXPECT_LT(text.find("Hash="), text.find("type quit to exit"));
    // Nothing reaches standard output before the first command.
    EXPECT_TRUE(engine.exchange("xboard").empty());
}

TEST(ProtocolProgramEnd, QuitEndsWithStatusZero) {
    EnginePipe engine;
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ProtocolProgramEnd, EndOfInputEndsWithStatusZero) {
    EnginePipe engine;
    EXPECT_TRUE(engine.exchange("new").empty());
    engine.closeInput();
    EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ProtocolProgramEnd, EndOfInputInsideEditFinishesTheEditAndEnds) {
    EnginePipe engine;
    engine.send("edit");
    engine.send("#");
    engine.send("Ka1");
    engine.send("c");
    engine.send("Kh8");
    engine.closeInput();
    EXPECT_EQ(engine.waitExit(), 0);
    // The edit was accepted: nothing was reported.
    EXPECT_EQ(engine.readLine(200ms), std::nullopt);
}

TEST(ProtocolSignals, SigtermReportsAndEndsWithStatusZero) {
    EnginePipe engine;
    ASSERT_TRUE(engine.stderrContains("type quit to exit\n"));
    engine.signal(SIGTERM);
    EXPECT_EQ(engine.waitExit(), 0);
    EXPECT_TRUE(engine.stderrContains("\rsigterm received,exiting\n"));
}

TEST(ProtocolSignals, SigintIsIgnored) {
    EnginePipe engine;
    ASSERT_TRUE(engine.stderrContains("type quit to exit\n"));
    // xboard interrupts its engines with SIGINT; ours must carry on.
    engine.signal(SIGINT);
    engine.signal(SIGINT);
    EXPECT_EQ(engine.exchange("print").size(), 8u);
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ProtocolPerftWord, CountsTheStartPositionAndAFen) {
    {
        EnginePipe engine({"perft", "3"});
        std::vector<std::string> lines;
        while (auto line = engine.readLine()) lines.push_back(*line);
        EXPECT_EQ(engine.waitExit(), 0);
        ASSERT_EQ(lines.size(), 22u);
        EXPECT_EQ(lines.back(), "Nodes searched: 8902");
        EXPECT_EQ(lines[20], "");
    }
    {
        // The position of the a2/a3 pawns with kings in the corners, by copy-make.
        EnginePipe engine({"perft", "2", "7k/8/8/8/8/p7/P7/K7 w - - 0 1", "--slow"});
        std::vector<std::string> lines;
        while (auto line = engine.readLine()) lines.push_back(*line);
        EXPECT_EQ(engine.waitExit(), 0);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Nodes searched: 3");
    }
}

TEST(ProtocolPerftWord, BadArgumentsGiveUsageAndStatusTwo) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"perft"}, {"perft", "deep"}, {"perft", "0"}, {"perft", "2", "8/8/8/8/8/8/8/8 w - - 0 1"}}) {
        EnginePipe engine(arguments);
        EXPECT_EQ(engine.waitExit(), 2);
        EXPECT_TRUE(engine.stderrContains("usage: halberd perft DEPTH [FEN] [--slow]"));
        EXPECT_EQ(engine.readLine(100ms), std::nullopt);
    }
}

TEST(ProtocolBenchWord, EvaluationTimingAndBadArguments) {
    {
        EnginePipe engine({"bench", "eval", "10"});
        const auto line = engine.readLine();
        ASSERT_TRUE(line);
        EXPECT_EQ(line->rfind("240 evaluations in ", 0), 0u) << *line;
        EXPECT_NE(line->find(" per second"), std::string::npos) << *line;
        EXPECT_EQ(engine.waitExit(), 0);
    }
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"bench", "deep"}, {"bench", "eval", "x"}}) {
        EnginePipe engine(arguments);
        EXPECT_EQ(engine.waitExit(), 2);
        EXPECT_TRUE(
            engine.stderrContains("usage: halberd bench [DEPTH [THREADS [MILLIS]]] | halberd bench eval [ROUNDS]"));
        EXPECT_EQ(engine.readLine(100ms), std::nullopt);
    }
}
