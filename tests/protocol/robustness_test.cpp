// Whatever a GUI or a person types, the engine neither crashes nor hangs:
// sessions of random command lines from both dialects, bad numbers, bad
// positions, noise, and commands arriving while a search runs. (Oversized hash
// requests have tests of their own: here they would only spend seconds
// clearing two gigabytes.)
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "enginepipe.h"

namespace {

using halberd::testing::EnginePipe;
using namespace std::chrono_literals;

constexpr std::array<const char*, 72> Vocabulary = {
    "new", "go", "force", "?", "undo", "remove", "level 40 5 0", "level 0 0:10 0.1", "level x", "level 0 -3 -1",
    "time 500", "time -100", "otim 99999999999", "exit", ".", "post", "nopost", "hard", "easy", "analyze", "edit",
    "setboard", "print", "ping 7", "result 1-0 {x}", "memory 1", "memory -3", "egtpath nalimov /nonexistent",
    "option RESIGN=0", "option USE BOOK=1", "uci", "isready", "position startpos",
    "position startpos moves e2e4 e7e5 g1f3 zz e1e8", "position fen 8/8/8/8/8/8/8/8 w - - 0 1", "position fen",
    "go depth 3", "go infinite", "go wtime 100 btime 100", "go movetime 50", "stop", "setoption name Hash value 1",
    "setoption name Hash value -2", "setoption name NalimovCache value -5", "ucinewgame", "sd 2", "sd -1",
    "st 0", "st 1", "e2e4", "e7e5", "a7a8q", "e1g1", "O-O", "Nf3", "xboard", "protover 2", "partie /nonexistent", "#",
    "c", "Ka1", "Pz9", "Ke8", "Ke1", "white", "black", "setboard 8/8/8/8/8/8/8/K6k w - - 0 1",
    "setboard 7k/8/8/8/8/8/8/K7 b - e3 0 1", "setboard 4k3/8/8/8/8/8/8/4K2R w KQkq - 99 1",
    "setboard kkkkkkkk/8/8/8/8/8/8/KKKKKKKK w - - 0 1", "setboard 8/PPPPPPPP/8/8/8/8/pppppppp/8 w - - 0 1",
    "setboard ////////",
};

std::vector<std::string> randomSession(std::mt19937& random) {
    std::uniform_int_distribution<int> length(5, 50);
    std::uniform_int_distribution<std::size_t> word(0, Vocabulary.size() - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> printable(32, 126);
    std::vector<std::string> lines;
    for (int i = length(random); i > 0; --i) {
        if (percent(random) < 85) {
            lines.emplace_back(Vocabulary[word(random)]);
            continue;
        }
        std::string noise(static_cast<std::size_t>(percent(random) % 40), ' ');
        for (char& c : noise) c = static_cast<char>(printable(random));
        lines.push_back(noise);
    }
    return lines;
}

TEST(ProtocolRobustness, RandomSessionsEndWithQuitAndStatusZero) {
    std::mt19937 random(20261207);
    for (int session = 0; session < 40; ++session) {
        const std::vector<std::string> lines = randomSession(random);
        std::string script;
        for (const std::string& line : lines) script += line + "\n";
        EnginePipe engine;
        for (const std::string& line : lines) engine.send(line);
        engine.send("quit");
        // Inside an edit the quit is a piece line; the end of input finishes the edit.
        engine.closeInput();
        EXPECT_EQ(engine.waitExit(30s), 0) << "session " << session << ":\n" << script;
        EXPECT_EQ(engine.stderrText().find("runtime error"), std::string::npos) << script;
    }
}

}  // namespace
