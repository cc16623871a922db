// What a person at the console meets: the command list, the board with
// coordinates, and the program's own options.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "enginepipe.h"

namespace {

using halberd::testing::EnginePipe;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

bool hasLineStarting(const Lines& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); });
}

TEST(ProtocolConsole, HelpListsTheCommandsAPersonUses) {
    EnginePipe engine;
    const Lines help = engine.exchange("help");
    for (const char* command : {"go ", "force ", "undo, remove ", "new ", "level ", "st N", "analyze, exit ",
                                "setboard ", "print, d ", "post, nopost ", "hint, bk ", "quit "})
        EXPECT_TRUE(hasLineStarting(help, command)) << command;
}

TEST(ProtocolConsole, BoardWithCoordinatesSideToMoveAndFen) {
    EnginePipe engine;
    engine.exchange("force");
    engine.exchange("e2e4");
    const Lines board = engine.exchange("d");
    ASSERT_EQ(board.size(), 20u);
    EXPECT_EQ(board[0], "  +---+---+---+---+---+---+---+---+");
    EXPECT_EQ(board[1], "8 | r | n | b | q | k | b | n | r |");
    EXPECT_EQ(board[9], "4 |   |   |   |   | P |   |   |   |");
    EXPECT_EQ(board[17], "    a   b   c   d   e   f   g   h");
    EXPECT_EQ(board[18], "Side to move: Black");
    EXPECT_EQ(board[19], "FEN: rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
}

TEST(ProtocolConsole, HelpVersionAndUnknownOptions) {
    {
        EnginePipe engine({"--version"});
        EXPECT_EQ(engine.readLine(), "Halberd 4.7");
        EXPECT_EQ(engine.waitExit(), 0);
    }
    {
        EnginePipe engine({"--help"});
        const auto first = engine.readLine();
        ASSERT_TRUE(first);
        EXPECT_EQ(first->rfind("Halberd 4.7", 0), 0u) << *first;
        EXPECT_EQ(engine.waitExit(), 0);
    }
    // The usage line names the option it does not know.
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"-x"}, {"--hash=64"}, {"xboard"}, {"-t5", "extra"}}) {
        EnginePipe engine(arguments);
        EXPECT_EQ(engine.waitExit(), 2) << arguments[0];
        EXPECT_TRUE(engine.stderrContains("usage: halberd ")) << arguments[0];
        EXPECT_TRUE(engine.stderrContains(" -- unknown option " + arguments.back() + "\n")) << arguments[0];
        EXPECT_EQ(engine.readLine(100ms), std::nullopt);
    }
}

// A value that is not a number is refused and the setting stays; a blank line is no command.
TEST(ProtocolConsole, BadValuesAndBlankLines) {
    EnginePipe engine;
    for (const auto& [line, reply] : std::vector<std::pair<std::string, Lines>>{
             {"memory abc", {"Error (bad value): memory abc"}},
             {"sd abc", {"Error (bad value): sd abc"}},
             {"st 2x", {"Error (bad value): st 2x"}},
             {"level x y z", {"Error (bad value): level x y z"}},
             // Numbers that mean nothing as such are refused too; "time 0" keeps its meaning (no change).
             {"time abc", {"Error (bad value): time abc"}},
             {"otim -1", {"Error (bad value): otim -1"}},
             {"time 0", {}},
             {"cores abc", {"Error (bad value): cores abc"}},
             {"cores 0", {"# cores 0 is outside 1 to 256; 1 is used"}},
             {"st 0", {"Error (bad value): st 0"}},
             {"sd -3", {"Error (bad value): sd -3"}},
             {"level 40 5 0 9", {"Error (bad value): level 40 5 0 9"}},
             {"option MultiPV=many", {"Error (bad value): option MultiPV=many"}},
             {"option MultiPV=3", {}},
             {"level 40", {"Error (command not legal)"}},
             {"level 40 0:30 0.5", {}},
             {"", {}},
             {" \t", {}},
         })
        EXPECT_EQ(engine.exchange(line), reply) << line;
}

// A time control typed at the console, with no "time" command after it, gives the clock.
TEST(ProtocolConsole, LevelGivesTheClockUntilTimeComes) {
    EnginePipe engine;
    engine.exchange("new");
    engine.exchange("level 40 1 0");
    const auto start = std::chrono::steady_clock::now();
    engine.send("go");
    std::optional<std::string> line;
    while ((line = engine.readLine(10s)) && !line->starts_with("move ")) {}
    ASSERT_TRUE(line.has_value());
    // A fortieth of the minute, not the tenth of a second of an empty clock.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1000ms);
}

}  // namespace
