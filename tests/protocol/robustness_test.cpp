// Whatever a GUI or a person types, the engine neither crashes nor hangs:
// sessions of random command lines from both dialects, bad numbers, bad
// positions, noise, and commands arriving while a search runs. (Oversized hash
// requests have tests of their own: here they would only spend seconds
// clearing two gigabytes.) The hostile sessions go further: numbers beyond
// every range in every numeric argument, binary bytes, lines longer than any
// command, SIGINT while playing, and an end by SIGTERM or by the end of input
// in the middle of a search.
#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <random>
#include <string>
#include <vector>

#include "enginepipe.h"

namespace {

using halberd::testing::EnginePipe;
using namespace std::chrono_literals;

constexpr std::array<const char*, 72> Vocabulary = {
    "new",
    "go",
    "force",
    "?",
    "undo",
    "remove",
    "level 40 5 0",
    "level 0 0:10 0.1",
    "level x",
    "level 0 -3 -1",
    "time 500",
    "time -100",
    "otim 99999999999",
    "exit",
    ".",
    "post",
    "nopost",
    "hard",
    "easy",
    "analyze",
    "edit",
    "setboard",
    "print",
    "ping 7",
    "result 1-0 {x}",
    "memory 1",
    "memory -3",
    "egtpath nalimov /nonexistent",
    "option RESIGN=0",
    "option USE BOOK=1",
    "uci",
    "isready",
    "position startpos",
    "position startpos moves e2e4 e7e5 g1f3 zz e1e8",
    "position fen 8/8/8/8/8/8/8/8 w - - 0 1",
    "position fen",
    "go depth 3",
    "go infinite",
    "go wtime 100 btime 100",
    "go movetime 50",
    "stop",
    "setoption name Hash value 1",
    "setoption name Hash value -2",
    "setoption name NalimovCache value -5",
    "ucinewgame",
    "sd 2",
    "sd -1",
    "st 0",
    "st 1",
    "e2e4",
    "e7e5",
    "a7a8q",
    "e1g1",
    "O-O",
    "Nf3",
    "xboard",
    "protover 2",
    "partie /nonexistent",
    "#",
    "c",
    "Ka1",
    "Pz9",
    "Ke8",
    "Ke1",
    "white",
    "black",
    "setboard 8/8/8/8/8/8/8/K6k w - - 0 1",
    "setboard 7k/8/8/8/8/8/8/K7 b - e3 0 1",
    "setboard 4k3/8/8/8/8/8/8/4K2R w KQkq - 99 1",
    "setboard kkkkkkkk/8/8/8/8/8/8/KKKKKKKK w - - 0 1",
    "setboard 8/PPPPPPPP/8/8/8/8/pppppppp/8 w - - 0 1",
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

// Numbers that break careless arithmetic: the edges of 32 and 64 bits and
// beyond, negative ones, and texts that only look like numbers.
constexpr std::array<const char*, 16> HostileNumbers = {
    "0",
    "-1",
    "1",
    "2147483647",
    "2147483648",
    "-2147483648",
    "-2147483649",
    "4294967297",
    "35791394",
    "9223372036854775807",
    "99999999999999999999999",
    "-99999999999999999999999",
    "1e9",
    "0x7fffffff",
    "+",
    "",
};

// Every command that reads a number, "#" standing for one; the clock commands
// first, whose numbers all reach the time arithmetic.
constexpr std::array<const char*, 26> NumberCommands = {
    "level # # #",
    "level # #:# #",
    "level # # #.#",
    "time #",
    "otim #",
    "go wtime # btime # winc # binc # movestogo #",
    "go movetime #",
    "go wtime # btime #",
    "go winc # binc # movestogo #",
    "go movestogo # wtime # btime #",
    "level 40 # 0",
    "level 0 5 #",
    "go nodes # mate #",
    "go ponder wtime # btime #",
    "sd #",
    "st #",
    "ping #",
    "option RESIGN=#",
    "option USE BOOK=#",
    "setoption name NalimovCache value #",
    "go depth #",
    "protover #",
    "result # {#}",
    "setboard 4k3/8/8/8/8/8/8/4K2R w K - # #",
    "position fen 4k3/8/8/8/8/8/8/4K2R w K - # # moves e1g1",
    "position startpos moves e2e4 #",
};

// Numbers for the hash tables: any large request is granted up to two gigabytes,
// so these come rarely. Under ThreadSanitizer, whose shadow memory makes
// allocating and clearing two gigabytes take over a minute, a modest size
// stands in for them (the random sequence stays the same).
constexpr std::array<const char*, 2> TableCommands = {"memory #", "setoption name Hash value #"};
#if defined(__SANITIZE_THREAD__)
constexpr bool HugeTablesAreSlow = true;
#else
constexpr bool HugeTablesAreSlow = false;
#endif

std::string withNumbers(std::string text, std::mt19937& random) {
    std::uniform_int_distribution<std::size_t> number(0, HostileNumbers.size() - 1);
    for (auto at = text.find('#'); at != std::string::npos; at = text.find('#', at)) {
        const std::string value = HostileNumbers[number(random)];
        text.replace(at, 1, value);
        at += value.size();
    }
    return text;
}

enum class SessionEnd { Quit, EndOfInputWhileSearching, Sigterm };

struct HostileSession {
    std::vector<std::string> lines;
    std::vector<std::size_t> interruptsBefore;  // SIGINT before these lines
    bool hasLongLine = false;
    SessionEnd end = SessionEnd::Quit;
};

constexpr std::size_t LongLineBytes = std::size_t{3} << 19;  // 1.5 MiB, beyond the 1 MiB limit

HostileSession hostileSession(std::mt19937& random) {
    std::uniform_int_distribution<int> length(5, 40);
    std::uniform_int_distribution<std::size_t> word(0, Vocabulary.size() - 1);
    std::uniform_int_distribution<std::size_t> numberCommand(0, NumberCommands.size() - 1);
    std::uniform_int_distribution<std::size_t> tableCommand(0, TableCommands.size() - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> byte(0, 255);
    HostileSession session;
    for (int i = length(random); i > 0; --i) {
        const int kind = percent(random);
        if (kind < 40) {
            session.lines.emplace_back(Vocabulary[word(random)]);
        } else if (kind < 80) {
            session.lines.push_back(withNumbers(NumberCommands[numberCommand(random)], random));
        } else if (kind < 81) {
            const std::string line = withNumbers(TableCommands[tableCommand(random)], random);
            session.lines.push_back(HugeTablesAreSlow ? "memory 16" : line);
        } else if (kind < 92) {
            // Any byte but the newline: zero bytes, carriage returns, bytes above 127.
            std::string noise(static_cast<std::size_t>(percent(random) % 60), ' ');
            for (char& c : noise) {
                int b = byte(random);
                if (b == '\n') b = 0;
                c = static_cast<char>(b);
            }
            session.lines.push_back(noise);
        } else if (kind < 94 && !session.hasLongLine) {
            session.lines.push_back("setboard " + std::string(LongLineBytes, '8'));
            session.hasLongLine = true;
        } else if (kind < 97) {
            session.interruptsBefore.push_back(session.lines.size());
        } else {
            // A search that the next lines run into.
            session.lines.emplace_back(percent(random) % 2 == 0 ? "go" : "analyze");
        }
    }
    const int end = percent(random);
    session.end = end < 40 ? SessionEnd::Quit : end < 75 ? SessionEnd::EndOfInputWhileSearching : SessionEnd::Sigterm;
    return session;
}

TEST(ProtocolRobustness, HostileSessionsEndCleanlyWithStatusZero) {
    std::mt19937 random(20261212);
    constexpr int Sessions = 60;
    for (int number = 0; number < Sessions; ++number) {
        const HostileSession session = hostileSession(random);
        std::string script;
        for (const std::string& line : session.lines)
            script += (line.size() > 200 ? std::to_string(line.size()) + "-byte line" : line) + "\n";
        EnginePipe engine;
        ASSERT_TRUE(engine.stderrContains("type quit to exit\n")) << "session " << number;
        std::size_t interrupt = 0;
        for (std::size_t i = 0; i < session.lines.size(); ++i) {
            while (interrupt < session.interruptsBefore.size() && session.interruptsBefore[interrupt] == i) {
                engine.signal(SIGINT);
                ++interrupt;
            }
            engine.send(session.lines[i]);
        }
        switch (session.end) {
            case SessionEnd::Quit: engine.send("quit"); break;
            case SessionEnd::EndOfInputWhileSearching:
                // Out of edit mode and into a position with moves, then a search the input ends under.
                engine.send(".");
                engine.send("force");
                engine.send("exit");
                engine.send("new");
                engine.send("go");
                break;
            case SessionEnd::Sigterm: engine.signal(SIGTERM); break;
        }
        engine.closeInput();
        const std::string what = "session " + std::to_string(number) + ":\n" + script;
        EXPECT_EQ(engine.waitExit(60s), 0) << what;
        std::string replies;
        while (const auto line = engine.readLine(0ms)) replies += *line + "\n";
        const std::string& errors = engine.stderrText();
        EXPECT_EQ(errors.find("runtime error"), std::string::npos) << what << errors;
        EXPECT_EQ(errors.find("Sanitizer"), std::string::npos) << what << errors;
        if (session.end == SessionEnd::Sigterm) {
            EXPECT_NE(errors.find("sigterm received,exiting"), std::string::npos) << what << errors;
        } else if (session.hasLongLine) {
            EXPECT_NE(replies.find("Error (line too long): more than 1048576 bytes\n"), std::string::npos) << what;
        }
    }
}

}  // namespace
