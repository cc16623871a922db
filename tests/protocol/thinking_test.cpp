// The engine thinking over pipes: games against a scripted client, analysis,
// stopping a search in every way, and the resign rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "enginepipe.h"
#include "referee.h"

namespace {

using halberd::testing::EnginePipe;
using halberd::testing::legalAnswer;
using halberd::testing::Referee;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace board = halberd::board;

// Reads lines until one begins with the prefix; the lines passed over are kept.
std::optional<std::string> waitFor(EnginePipe& engine, std::string_view prefix,
                                   std::vector<std::string>* passed = nullptr,
                                   std::chrono::milliseconds timeout = 20s) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        auto line = engine.readLine(left);
        if (!line) return std::nullopt;
        if (line->starts_with(prefix)) return line;
        if (passed != nullptr) passed->push_back(*line);
    }
    return std::nullopt;
}

bool isThinkingLine(const std::string& line) { return !line.empty() && line[0] >= '1' && line[0] <= '9'; }

TEST(ProtocolThinking, ScriptedGameWithClocksPingsForceAndUndo) {
    EnginePipe engine;
    engine.exchange("xboard");
    engine.exchange("protover 2");
    EXPECT_TRUE(engine.exchange("new").empty());
    EXPECT_TRUE(engine.exchange("level 40 1 0").empty());
    Referee referee;
    // 40 moves in a minute with 30 s left: 7 tenths aimed at, 10 at most.
    const auto budget = 1000ms + 1500ms;
    for (int turn = 0; turn < 6; ++turn) {
        EXPECT_TRUE(engine.exchange("time 3000").empty());
        EXPECT_TRUE(engine.exchange("otim 3000").empty());
        const std::string mine = referee.pick(turn);
        ASSERT_EQ(referee.play(mine), board::ResultPlayed) << mine;
        const auto start = Clock::now();
        engine.send(mine);
        if (turn == 0) {
            // Answered at once although the engine is thinking.
            engine.send("ping 77");
            EXPECT_EQ(engine.readLine(), "pong 77");
        }
        const auto reply = waitFor(engine, "move ");
        ASSERT_TRUE(reply.has_value());
        EXPECT_LE(Clock::now() - start, budget) << "turn " << turn;
        const int code = referee.play(reply->substr(5));
        ASSERT_TRUE(legalAnswer(code)) << *reply << " gives " << code;
        if (code != board::ResultPlayed) return;
    }

    // In force mode a move gets no answer; undo takes it back and go plays for
    // the side to move.
    EXPECT_TRUE(engine.exchange("force").empty());
    const std::string mine = referee.pick(6);
    ASSERT_EQ(referee.play(mine), board::ResultPlayed);
    EXPECT_TRUE(engine.exchange(mine).empty());
    EXPECT_TRUE(engine.exchange("undo").empty());
    board::gotoPly(referee.game, board::GotoBack);
    board::listLegalMoves(referee.game);
    EXPECT_TRUE(engine.exchange("time 3000").empty());
    engine.send("go");
    const auto reply = waitFor(engine, "move ");
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(legalAnswer(referee.play(reply->substr(5)))) << *reply;
}

TEST(ProtocolThinking, AnalysisPostsStatusAndNeverMoves) {
    EnginePipe engine;
    engine.exchange("new");
    engine.exchange("post");
    engine.send("analyze");
    std::vector<std::string> lines;
    const auto first = waitFor(engine, "1");
    ASSERT_TRUE(first.has_value());
    EXPECT_TRUE(isThinkingLine(*first)) << *first;
    engine.send(".");
    const auto status = waitFor(engine, "stat01: ", &lines);
    ASSERT_TRUE(status.has_value());
    int centis = -1, depth = -1, left = -1, total = -1;
    unsigned moves = 0;
    EXPECT_EQ(std::sscanf(status->c_str(), "stat01: %d %u %d %d %d", &centis, &moves, &depth, &left, &total), 5);
    EXPECT_EQ(total, 20);
    EXPECT_GE(depth, 2);
    engine.send("exit");
    engine.send("ping 3");
    ASSERT_TRUE(waitFor(engine, "pong 3", &lines).has_value());
    for (const std::string& line : lines) {
        EXPECT_FALSE(line.starts_with("move")) << line;
        EXPECT_TRUE(isThinkingLine(line)) << line;
    }
    // Analysis is over: nothing more comes.
    EXPECT_TRUE(engine.exchange("white").empty());
}

TEST(ProtocolThinking, MoveNowAndIgnoredSecondGo) {
    EnginePipe engine;
    engine.exchange("level 0 10 0");
    engine.exchange("time 60000");
    engine.send("go");
    engine.send("go");
    std::this_thread::sleep_for(300ms);
    const auto start = Clock::now();
    engine.send("?");
    const auto reply = waitFor(engine, "move ");
    ASSERT_TRUE(reply.has_value());
    EXPECT_LT(Clock::now() - start, 3s);
    Referee referee;
    EXPECT_EQ(referee.play(reply->substr(5)), board::ResultPlayed);
    for (const std::string& line : engine.exchange("ping 1")) EXPECT_FALSE(line.starts_with("move")) << line;
}

TEST(ProtocolThinking, EndOfInputWhileThinkingRepliesThenExits) {
    EnginePipe engine;
    engine.exchange("level 0 10 0");
    engine.exchange("time 60000");
    engine.send("go");
    std::this_thread::sleep_for(300ms);
    engine.closeInput();
    const auto reply = waitFor(engine, "move ", nullptr, 5s);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(engine.waitExit(5s), 0);
}

TEST(ProtocolThinking, QuitWhileThinking) {
    EnginePipe engine;
    engine.exchange("level 0 10 0");
    engine.exchange("time 60000");
    engine.send("go");
    std::this_thread::sleep_for(200ms);
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(5s), 0);
}

TEST(ProtocolThinking, NoSearchAfterMate) {
    EnginePipe engine;
    engine.exchange("force");
    for (const char* move : {"f2f3", "e7e5", "g2g4"}) EXPECT_TRUE(engine.exchange(move).empty()) << move;
    const auto lines = engine.exchange("d8h4");
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(engine.exchange("go").empty()) << "the game is over";
}

// Engine to move in three set-ups, each a forced mate one move nearer: the
// third move is followed by the resignation.
TEST(ProtocolResign, ResignsAfterThreeMovesCloserToMate) {
    EnginePipe engine;
    engine.exchange("level 0 1 0");
    const char* setups[] = {"k7/8/8/8/8/8/8/R3K2R b - - 0 1", "k7/8/2K5/8/8/8/8/7R b - - 0 1",
                            "k7/8/1K6/8/8/8/8/7R b - - 0 1"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(engine.exchange(std::string("setboard ") + setups[i]).empty());
        EXPECT_TRUE(engine.exchange("time 3000").empty());
        engine.send("go");
        ASSERT_TRUE(waitFor(engine, "move ").has_value()) << i;
        if (i < 2) {
            EXPECT_TRUE(engine.exchange("white").empty()) << setups[i];
        } else {
            EXPECT_EQ(engine.readLine(), "resign");
        }
    }
}

}  // namespace

namespace {

TEST(ProtocolUciThinking, GoPrintsInfoLinesAndBestmove) {
    EnginePipe engine;
    engine.exchange("uci");
    engine.exchange("position startpos moves e2e4");
    engine.send("go wtime 3000 btime 3000");
    std::vector<std::string> lines;
    const auto best = waitFor(engine, "bestmove ", &lines);
    ASSERT_TRUE(best.has_value());
    Referee referee;
    ASSERT_EQ(referee.play("e2e4"), board::ResultPlayed);
    EXPECT_EQ(referee.play(best->substr(9)), board::ResultPlayed) << *best;
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("info depth ")) << lines.back();
    EXPECT_NE(lines.back().find(" score cp "), std::string::npos) << lines.back();
}

TEST(ProtocolUciThinking, InfiniteUntilStopAndNoMoveWithoutLegalMoves) {
    EnginePipe engine;
    engine.exchange("uci");
    engine.exchange("ucinewgame");
    engine.exchange("position startpos");
    engine.send("go infinite");
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(engine.exchange("isready").size() >= 1);
    engine.send("stop");
    ASSERT_TRUE(waitFor(engine, "bestmove ", nullptr, 5s).has_value());

    engine.exchange("position fen 7k/5K2/6Q1/8/8/8/8/8 b - - 0 1");
    engine.send("go movetime 100");
    EXPECT_EQ(waitFor(engine, "bestmove ", nullptr, 5s), "bestmove 0000");
}

}  // namespace

TEST(ProtocolDepthLimits, SdAndGoDepthEndAtTheirDepth) {
    {
        EnginePipe engine;
        engine.exchange("xboard");
        engine.exchange("post");
        engine.exchange("sd 4");
        engine.exchange("st 60");
        engine.send("go");
        std::vector<std::string> lines;
        ASSERT_TRUE(waitFor(engine, "move ", &lines).has_value()) << "a minute a move, yet depth 4 ends it";
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().rfind("4 ", 0), 0u) << lines.back();
    }
    EnginePipe engine;
    engine.exchange("uci");
    engine.exchange("position startpos");
    engine.send("go depth 5");
    std::vector<std::string> lines;
    ASSERT_TRUE(waitFor(engine, "bestmove ", &lines).has_value()) << "no stop is needed";
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("info depth 5 ", 0), 0u) << lines.back();
}

namespace {

// The engine plays both sides: a go sent the moment each move is read must
// start the next search, even while the thread that printed the move is
// still finishing.
TEST(ProtocolThinking, GoRightAfterTheMoveIsNotLost) {
    EnginePipe engine;
    engine.exchange("xboard");
    engine.exchange("new");
    engine.exchange("sd 2");
    Referee referee;
    engine.send("go");
    for (int ply = 0; ply < 12 && referee.game.gameResult == 0; ++ply) {
        const auto reply = waitFor(engine, "move ", nullptr, 10s);
        ASSERT_TRUE(reply.has_value()) << "ply " << ply;
        ASSERT_TRUE(legalAnswer(referee.play(reply->substr(5)))) << *reply;
        engine.send("go");
    }
}

// "FEN: ..." of the d command: the board as the engine holds it.
std::string engineFen(EnginePipe& engine) {
    for (const std::string& line : engine.exchange("d"))
        if (line.starts_with("FEN: ")) return line.substr(5);
    return {};
}

// With pondering on the engine plays the reply it expects and thinks on it;
// when that move comes the search goes on with the move's own time, any
// other move or command stops it and the board is as the interface has it.
TEST(ProtocolPonder, XboardPondersOnTheExpectedReply) {
    EnginePipe engine;
    engine.exchange("xboard");
    engine.exchange("new");
    engine.exchange("hard");
    // A fixed depth, so that the variation, and with it the guess, does not
    // depend on how busy the machine is.
    engine.exchange("sd 7");
    Referee referee;
    ASSERT_EQ(referee.play("e2e4"), board::ResultPlayed);
    engine.send("e2e4");
    auto reply = waitFor(engine, "move ");
    ASSERT_TRUE(reply.has_value());
    ASSERT_TRUE(legalAnswer(referee.play(reply->substr(5))));
    // The hint is the move pondered on; the board still shows the real game.
    const auto hint = engine.exchange("hint");
    ASSERT_EQ(hint.size(), 1u);
    ASSERT_EQ(hint[0].rfind("Hint: ", 0), 0u) << hint[0];
    const std::string expected = hint[0].substr(6);
    // The expected move: answered after the move's own second, not pondered on without end.
    ASSERT_EQ(referee.play(expected), board::ResultPlayed) << expected;
    const auto start = Clock::now();
    engine.send(expected);
    reply = waitFor(engine, "move ", nullptr, 5s);
    ASSERT_TRUE(reply.has_value());
    EXPECT_LT(Clock::now() - start, 3000ms);
    ASSERT_TRUE(legalAnswer(referee.play(reply->substr(5)))) << *reply;
    // Another move: the guess is taken back and the move played as usual.
    std::string other;
    const auto nextHint = engine.exchange("hint");
    for (int turn = 0; other.empty() || (!nextHint.empty() && nextHint[0] == "Hint: " + other); ++turn)
        other = referee.pick(turn);
    ASSERT_EQ(referee.play(other), board::ResultPlayed);
    engine.send(other);
    reply = waitFor(engine, "move ");
    ASSERT_TRUE(reply.has_value());
    ASSERT_TRUE(legalAnswer(referee.play(reply->substr(5)))) << *reply;
    // Force stops the pondering; the board is the game's, without the guess.
    engine.exchange("force");
    const std::string fen = engineFen(engine);
    EXPECT_EQ(fen.substr(0, fen.find(' ', fen.find(' ') + 1)),
              board::writeFen(referee.game).substr(0, board::writeFen(referee.game).find(' ') - 1) + " " +
                  (referee.game.sideToMove == board::White ? "w" : "b"));
    engine.exchange("easy");
}

// "hard", "easy" and the Ponder option are one switch, the last one wins; a
// pondering engine names the move it ponders on in its thinking output.
TEST(ProtocolPonder, OneSwitchAndThePonderedMoveIsShown) {
    for (const auto& [switches, ponders] :
         std::vector<std::pair<std::vector<std::string>, bool>>{{{"hard"}, true},
                                                                {{"hard", "option Ponder=0"}, false},
                                                                {{"option Ponder=1", "easy"}, false},
                                                                {{"easy", "option Ponder=1"}, true}}) {
        EnginePipe engine;
        for (const char* line : {"xboard", "new", "post", "sd 4"}) engine.exchange(line);
        for (const std::string& line : switches) engine.exchange(line);
        engine.send("e2e4");
        ASSERT_TRUE(waitFor(engine, "move ").has_value()) << switches.back();
        // The stop waits for the thread, which has named its guess by then.
        const auto lines = engine.exchange("force");
        const bool named = std::any_of(lines.begin(), lines.end(),
                                       [](const std::string& l) { return l.starts_with("# pondering on "); });
        EXPECT_EQ(named, ponders) << switches.front() << ", " << switches.back();
    }
}

}  // namespace

namespace {

// Clock numbers far out of range used to overflow the time arithmetic (and
// judged a minute for 40 moves as a tenth of a second); now every one gives a
// move in a sane time.
TEST(ProtocolThinking, HugeClockNumbersGiveSaneThinkingTimes) {
    EnginePipe engine;
    engine.exchange("xboard");
    struct Case {
        const char* level;
        const char* time;
        std::chrono::milliseconds atLeast;
    };
    // A minute shared over 40 moves, or a thirtieth of it; a day's increment
    // with six seconds left keeps two seconds back.
    for (const Case& c :
         {Case{"level 40 35791394 0", "time 6000", 700ms}, Case{"level 40 40000000:0 0", "time 6000", 700ms},
          Case{"level 0 50000000 0", "time 6000", 700ms}, Case{"level 0 5 200000000", "time 600", 0ms}}) {
        engine.exchange("new");
        engine.exchange("force");
        EXPECT_TRUE(engine.exchange(c.level).empty()) << c.level;
        engine.exchange(c.time);
        const auto start = Clock::now();
        engine.send("go");
        ASSERT_TRUE(waitFor(engine, "move ", nullptr, 10s).has_value()) << c.level;
        EXPECT_GE(Clock::now() - start, c.atLeast) << c.level;
        EXPECT_LT(Clock::now() - start, 6s) << c.level;
    }
    engine.exchange("uci");
    engine.exchange("ucinewgame");
    engine.exchange("position startpos moves e2e4 e7e5 g1f3");
    const auto start = Clock::now();
    engine.send("go wtime 1000 btime 1000 movestogo 2147483647");
    ASSERT_TRUE(waitFor(engine, "bestmove ", nullptr, 10s).has_value());
    EXPECT_LT(Clock::now() - start, 1000ms);
}

}  // namespace
