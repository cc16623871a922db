// Several search threads under a GUI's commands: random sessions of searches,
// stops, ponder hits, thread and hash changes and new games, where every go
// must be answered by one bestmove soon after its stop, and the engine must end
// cleanly. Run under ThreadSanitizer, they are the race check of the threads.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "enginepipe.h"

namespace {

using halberd::testing::EnginePipe;
using namespace std::chrono_literals;

constexpr std::array<const char*, 5> Positions = {
    "position startpos moves e2e4 e7e5 g1f3 b8c6 f1b5 a7a6",
    "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "position fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "position fen r1bq1rk1/pp2bppp/2n1pn2/2pp4/2PP4/2NBPN2/PP3PPP/R1BQ1RK1 w - - 0 8",
    "position fen 8/8/4k3/8/8/3N4/3P4/4K3 w - - 0 1",
};

// How a search is started and how it is brought to its answer.
enum class Ending { Stop, PonderHit, ByItself };
struct GoKind {
    const char* command;
    Ending ending;
};
constexpr std::array<GoKind, 6> Gos = {{
    {"go infinite", Ending::Stop},
    {"go ponder wtime 2000 btime 2000", Ending::PonderHit},
    {"go ponder wtime 2000 btime 2000", Ending::Stop},
    {"go movetime 60", Ending::ByItself},
    {"go nodes 30000", Ending::ByItself},
    {"go depth 5", Ending::ByItself},
}};

// The bestmove line that answers the running go; empty when none came in time.
std::string bestmoveOf(EnginePipe& engine) {
    for (;;) {
        const auto line = engine.readLine(20s);
        if (!line) return {};
        if (line->rfind("bestmove", 0) == 0) return *line;
    }
}

TEST(ProtocolThreads, RandomSessionsAnswerEveryGoAndEndCleanly) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> threads(1, 8);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<std::size_t> position(0, Positions.size() - 1);
    std::uniform_int_distribution<std::size_t> go(0, Gos.size() - 1);
    std::uniform_int_distribution<int> pause(0, 40);
    for (int session = 0; session < 4; ++session) {
        EnginePipe engine;
        engine.send("uci");
        std::string script = "uci\n";
        const auto send = [&](const std::string& line) {
            engine.send(line);
            script += line + "\n";
        };
        for (int round = 0; round < 12; ++round) {
            if (percent(random) < 40) send("setoption name Threads value " + std::to_string(threads(random)));
            if (percent(random) < 15) send("setoption name Hash value " + std::to_string(4 << (percent(random) % 4)));
            if (percent(random) < 20) send("ucinewgame");
            send(Positions[position(random)]);
            const GoKind kind = Gos[go(random)];
            send(kind.command);
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
            if (kind.ending == Ending::PonderHit) send("ponderhit");
            if (kind.ending == Ending::Stop || percent(random) < 30) send("stop");
            const std::string answer = bestmoveOf(engine);
            ASSERT_FALSE(answer.empty()) << "no bestmove in session " << session << ":\n" << script;
            send("isready");
            for (;;) {
                const auto line = engine.readLine(20s);
                ASSERT_TRUE(line) << "no readyok in session " << session << ":\n" << script;
                if (*line == "readyok") break;
            }
        }
        send("quit");
        EXPECT_EQ(engine.waitExit(30s), 0) << script;
        EXPECT_EQ(engine.stderrText().find("runtime error"), std::string::npos) << engine.stderrText();
        EXPECT_EQ(engine.stderrText().find("ThreadSanitizer"), std::string::npos) << engine.stderrText();
    }
}

// A stop that comes right behind its go, before the search has started, is
// not lost: every search answers, in both protocols and with 1 to 4 threads.
TEST(ProtocolThreads, StopRightAfterGoIsNeverLost) {
    constexpr int Rounds = 40;
    for (int threads = 1; threads <= 4; ++threads) {
        EnginePipe uci;
        uci.send("uci");
        uci.send("setoption name Threads value " + std::to_string(threads));
        uci.send(Positions[1]);
        for (int round = 0; round < Rounds; ++round) {
            uci.send("go infinite");
            uci.send("stop");
            ASSERT_FALSE(bestmoveOf(uci).empty()) << threads << " threads, round " << round;
        }
        uci.send("quit");
        EXPECT_EQ(uci.waitExit(30s), 0);
        EXPECT_EQ(uci.stderrText().find("ThreadSanitizer"), std::string::npos) << uci.stderrText();

        EnginePipe xboard;
        xboard.send("xboard");
        xboard.send("protover 2");
        xboard.send("cores " + std::to_string(threads));
        for (int round = 0; round < Rounds; ++round) {
            xboard.send("new");
            xboard.send("force");
            xboard.send("setboard r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
            xboard.send("go");
            xboard.send("?");
            std::optional<std::string> line;
            do line = xboard.readLine(20s);
            while (line && line->rfind("move ", 0) != 0);
            ASSERT_TRUE(line) << threads << " threads, round " << round;
        }
        xboard.send("quit");
        EXPECT_EQ(xboard.waitExit(30s), 0);
        EXPECT_EQ(xboard.stderrText().find("ThreadSanitizer"), std::string::npos) << xboard.stderrText();
    }
}

}  // namespace
