// UCI over pipes, as interfaces send it: identification, options, readiness,
// games with clocks, infinite analysis with stop, move time, and the edge cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "diagram.h"
#include "enginepipe.h"
#include "installedengine.h"
#include "referee.h"

namespace {

using halberd::testing::diagramOfFen;
using halberd::testing::EnginePipe;
using halberd::testing::InstalledEngine;
using halberd::testing::legalAnswer;
using halberd::testing::Program;
using halberd::testing::Referee;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace board = halberd::board;
using Lines = std::vector<std::string>;

// What the engine printed up to and including its bestmove line.
struct Answer {
    Lines info;
    Lines currentMoves;    // the "currmove" lines, kept apart from the iterations'
    std::string bestmove;  // the move text, empty when none came
    std::chrono::milliseconds elapsed{};
};

Answer answerTo(EnginePipe& engine, const std::string& go, std::chrono::milliseconds timeout = 30s) {
    Answer answer;
    const auto start = Clock::now();
    engine.send(go);
    while (auto line = engine.readLine(timeout)) {
        if (line->starts_with("bestmove ")) {
            answer.bestmove = line->substr(9);
            break;
        }
        (line->find(" currmove ") != std::string::npos ? answer.currentMoves : answer.info).push_back(*line);
    }
    answer.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return answer;
}

Lines startUci(EnginePipe& engine) {
    engine.send("uci");
    Lines lines;
    while (auto line = engine.readLine()) {
        lines.push_back(*line);
        if (*line == "uciok") break;
    }
    return lines;
}

bool hasUpperCase(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return std::isupper(static_cast<unsigned char>(c)); });
}

}  // namespace

TEST(ProtocolUciHandshake, IdentificationOptionsAndReadiness) {
    EnginePipe engine;
    EXPECT_EQ(engine.exchange("isready"), Lines{"Error (unknown command): ISREADY"});
    EXPECT_EQ(engine.exchange("stop"), Lines{"Error (unknown command): STOP"});
    EXPECT_EQ(
        startUci(engine),
        (Lines{"id name Halberd 4.7", "id author the Halberd authors", "option name NalimovPath type string default",
               "option name NalimovCache type spin default 4 min 1 max 16",
               "option name Hash type spin default 4 min 4 max 2048",
               "option name Threads type spin default 1 min 1 max 256",
               "option name MultiPV type spin default 1 min 1 max 256", "option name Ponder type check default false",
               "option name OwnBook type check default true", "option name UCI_AnalyseMode type check default false",
               "option name UCI_Chess960 type check default false",
               "option name Move Overhead type spin default 50 min 0 max 5000", "option name Clear Hash type button",
               "uciok"}));
    engine.send("setoption name Hash value 32");
    engine.send("setoption name NalimovCache value 8");
    engine.send("setoption name NalimovPath value /nonexistent/tb");
    const auto told = engine.readLine();
    ASSERT_TRUE(told.has_value());
    EXPECT_TRUE(told->starts_with("info string tablebases: no table files in ")) << *told;
    engine.send("isready");
    EXPECT_EQ(engine.readLine(), "readyok");
    for (const auto& [line, reply] : std::vector<std::pair<std::string, Lines>>{
             {"setoption name Move Overhead value 100", {}},
             {"setoption name Clear Hash", {}},
             {"setoption name UCI_AnalyseMode value true", {}},
             {"setoption name Hash value abc", {"info string bad value for Hash: abc"}},
             {"setoption name OwnBook value maybe", {"info string bad value for OwnBook: maybe"}},
             {"setoption name Contempt value 2", {"info string unknown option Contempt"}},
             {"setoption name Threads value 0", {"info string Threads 0 is outside 1 to 256; 1 is used"}},
             {"setoption name NalimovCache value 17", {"info string NalimovCache 17 is outside 1 to 16; 16 is used"}},
             {"debug on", {}},
             {"debug off", {}}})
        EXPECT_EQ(engine.exchange(line), reply) << line;
    EXPECT_TRUE(engine.exchange("ucinewgame").empty());
    EXPECT_TRUE(engine.exchange("position startpos moves e2e4 e7e5").empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR"));
    // Each position line replays from a new game.
    EXPECT_TRUE(engine.exchange("position startpos moves e2e4 e7e5").empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR"));
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ProtocolUciGameSlow, ClocksIncrementsAndMovesToGoGiveLegalMovesInTime) {
    EnginePipe engine;
    startUci(engine);
    engine.send("setoption name Hash value 16");
    engine.send("isready");
    ASSERT_EQ(engine.readLine(), "readyok");
    engine.send("ucinewgame");
    Referee game;
    int whiteMillis = 20000;
    int blackMillis = 20000;
    for (int turn = 0; turn < 24 && game.game.gameResult == 0; ++turn) {
        engine.send(game.positionLine());
        const bool white = game.game.sideToMove == board::White;
        // The first go after the new game fixes 40 moves to go; 0.1 s increments.
        const Answer answer = answerTo(engine, "go wtime " + std::to_string(whiteMillis) + " btime " +
                                                   std::to_string(blackMillis) + " winc 100 binc 100 movestogo 40");
        ASSERT_FALSE(answer.bestmove.empty()) << "turn " << turn;
        EXPECT_FALSE(hasUpperCase(answer.bestmove)) << answer.bestmove;
        for (const std::string& info : answer.info) {
            EXPECT_EQ(info.rfind("info depth ", 0), 0u) << info;
            EXPECT_FALSE(hasUpperCase(info)) << info;
            EXPECT_EQ(info.find('!'), std::string::npos) << info;
        }
        const int code = game.play(answer.bestmove);
        ASSERT_TRUE(legalAnswer(code)) << answer.bestmove << " at turn " << turn;
        // 40 moves in 20 s: a budget of about half a second, at most 1.5 of it; the
        // clock is looked at every 250000 nodes.
        int& clock = white ? whiteMillis : blackMillis;
        EXPECT_LT(answer.elapsed, 3000ms) << "turn " << turn;
        clock -= static_cast<int>(answer.elapsed.count());
        clock += 100;
        EXPECT_GT(clock, 0);
    }
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ProtocolUciInfinite, SearchesUntilStopThenAnswers) {
    EnginePipe engine;
    startUci(engine);
    engine.send("ucinewgame");
    engine.send("position startpos moves d2d4");
    engine.send("go infinite");
    // Nothing but info lines for a while.
    const auto until = Clock::now() + 700ms;
    while (Clock::now() < until) {
        const auto line = engine.readLine(100ms);
        if (line) {
            EXPECT_EQ(line->rfind("info ", 0), 0u) << *line;
        }
    }
    engine.send("stop");
    const Answer answer = answerTo(engine, "isready");
    Referee game;
    game.play("d2d4");
    EXPECT_TRUE(legalAnswer(game.play(answer.bestmove))) << answer.bestmove;
    EXPECT_EQ(engine.readLine(), "readyok");
}

TEST(ProtocolUciInfinite, AFinishedSearchStillWaitsForStop) {
    EnginePipe engine;
    startUci(engine);
    // One legal move: the search ends after its first iteration, the answer waits.
    engine.send("position fen 7k/8/8/8/8/8/1q6/K7 w - - 0 1");
    engine.send("go infinite");
    const auto line = engine.readLine(1500ms);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->rfind("info depth 2 ", 0), 0u) << *line;
    EXPECT_EQ(engine.readLine(1000ms), std::nullopt);
    engine.send("stop");
    EXPECT_EQ(engine.readLine(), "bestmove a1b2");
    // Quit releases a held answer as well.
    engine.send("go infinite");
    ASSERT_TRUE(engine.readLine());
    engine.send("quit");
    EXPECT_EQ(engine.readLine(), "bestmove a1b2");
    EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ProtocolUciMoveTime, AnswersWithALowerCasePromotion) {
    EnginePipe engine;
    startUci(engine);
    engine.send("ucinewgame");
    // Taking the rook with a new queen wins.
    engine.send("position fen 1r5k/P7/8/8/8/8/6K1/8 w - - 0 1");
    const Answer answer = answerTo(engine, "go movetime 3000");
    EXPECT_EQ(answer.bestmove, "a7b8q");
    ASSERT_FALSE(answer.info.empty());
    EXPECT_NE(answer.info.back().find(" pv a7b8q "), std::string::npos) << answer.info.back();
}

TEST(ProtocolUciEdgeCases, GamesThatCannotBeSearchedAreAnsweredAtOnce) {
    EnginePipe engine;
    startUci(engine);
    // Mate on the board, reached by moves or set up: the score comes before the answer.
    engine.send("position startpos moves f2f3 e7e5 g2g4 d8h4");
    Answer mated = answerTo(engine, "go wtime 10000 btime 10000", 2s);
    EXPECT_EQ(mated.bestmove, "0000");
    EXPECT_EQ(mated.info, Lines{"info depth 0 score mate 0"});
    engine.send("position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1");
    mated = answerTo(engine, "go depth 5", 2s);
    EXPECT_EQ(mated.info, Lines{"info depth 0 score mate 0"});
    // Stalemate.
    engine.send("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    const Answer stalemate = answerTo(engine, "go movetime 1000", 2s);
    EXPECT_EQ(stalemate.bestmove, "0000");
    EXPECT_EQ(stalemate.info, Lines{"info depth 0 score cp 0"});
    // A refused line keeps the position sent before: go answers for it, never with a null move.
    engine.send("position startpos moves e2e4");
    EXPECT_EQ(engine.exchange("position fen 8/8/8/8/8/8/8/K7 w - - 0 1 moves a1a2"),
              Lines{"info string Illegal position -3: no black king"});
    Referee afterE4;
    afterE4.play("e2e4");
    EXPECT_TRUE(legalAnswer(afterE4.play(answerTo(engine, "go depth 3", 2s).bestmove)));
    EXPECT_EQ(engine.exchange("position startpos moves e2e4 Ng8f6"), Lines{"info string Illegal move Ng8f6"});
    Referee again;
    again.play("e2e4");
    EXPECT_TRUE(legalAnswer(again.play(answerTo(engine, "go depth 3", 2s).bestmove)));
    // A good position line makes the game searchable again.
    engine.send("position startpos moves e2e4");
    const Answer answer = answerTo(engine, "go wtime 10000 btime 10000");
    Referee game;
    game.play("e2e4");
    EXPECT_TRUE(legalAnswer(game.play(answer.bestmove))) << answer.bestmove;
}

TEST(ProtocolUciEdgeCases, AStopRightAfterGoIsNotLost) {
    EnginePipe engine;
    startUci(engine);
    // The stop may arrive before the search has started its clock.
    for (int round = 0; round < 5; ++round) {
        engine.send("position startpos");
        engine.send("go infinite");
        engine.send("stop");
        const Answer answer = answerTo(engine, "isready", 10s);
        EXPECT_FALSE(answer.bestmove.empty()) << "round " << round;
        EXPECT_EQ(engine.readLine(10s), "readyok");
    }
}

TEST(ProtocolUciEdgeCases, GoWhileThinkingIsIgnored) {
    EnginePipe engine;
    startUci(engine);
    engine.send("position startpos");
    engine.send("go infinite");
    engine.send("go infinite");
    engine.send("stop");
    const Answer answer = answerTo(engine, "isready");
    EXPECT_FALSE(answer.bestmove.empty());
    EXPECT_EQ(engine.readLine(), "readyok");
    // Exactly one bestmove.
    EXPECT_EQ(engine.readLine(300ms), std::nullopt);
}

TEST(ProtocolUciGameLog, EngineMovesCarryScoreAndVariationPositionMovesAreNotLogged) {
    InstalledEngine installed;
    installed.writeConfig("LOGFILE=1\n");
    EnginePipe engine(Program{installed.program()}, {});
    startUci(engine);
    engine.send("ucinewgame");
    engine.send("position startpos moves e2e4");
    const Answer answer = answerTo(engine, "go movetime 2000");
    ASSERT_FALSE(answer.bestmove.empty());
    engine.send("isready");
    ASSERT_EQ(engine.readLine(), "readyok");
    const std::string log = installed.log();
    // "1... <SAN> ({<score> <variation> })"
    ASSERT_EQ(log.rfind("1... ", 0), 0u) << log;
    const auto open = log.find("({");
    ASSERT_NE(open, std::string::npos) << log;
    const std::string comment = log.substr(open + 2, log.find("})") - open - 2);
    EXPECT_TRUE(std::regex_search(comment, std::regex("^[+-][0-9]+\\.[0-9][0-9] [a-h]"))) << comment;
    EXPECT_NE(comment.find(" " + answer.bestmove + " "), std::string::npos) << comment;
    EXPECT_TRUE(log.ends_with("})\n")) << log;
}

TEST(ProtocolCommandLineAnalysis, PositionFileAnalysedOnceThenExit) {
    InstalledEngine installed;
    // White: king g1, rook a1; Black: king g8, pawns f7 g7 h7 - a back-rank mate in one.
    installed.writeFile("mate.txt", "b\nrg1\nta1\nn\nrg8\npf7\npg7\nph7\n");
    EnginePipe engine(Program{installed.program()}, {"-t1", "-p" + installed.file("mate.txt")});
    Lines lines;
    while (auto line = engine.readLine()) lines.push_back(*line);
    EXPECT_EQ(engine.waitExit(), 0);
    ASSERT_FALSE(lines.empty());
    // xboard thinking lines: depth, score (100001 for a mate in one), time, nodes, variation.
    for (const std::string& line : lines) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(line[0]))) << line;
    EXPECT_NE(lines.back().find("100001"), std::string::npos) << lines.back();
    EXPECT_NE(lines.back().find("a1a8"), std::string::npos) << lines.back();
    // The banner never came: the command loop did not start.
    EXPECT_EQ(engine.stderrText().find("type quit"), std::string::npos);
}

TEST(ProtocolCommandLineAnalysis, GameFileThenAnalysis) {
    InstalledEngine installed;
    installed.writeFile("game.txt", "1. e2e4 e7e5 2. g1f3\n");
    EnginePipe engine(Program{installed.program()}, {"-f" + installed.file("game.txt"), "-t1", "-h30"});
    Lines lines;
    while (auto line = engine.readLine()) lines.push_back(*line);
    EXPECT_EQ(engine.waitExit(), 0);
    ASSERT_FALSE(lines.empty());
    // Black to move after three half-moves: every variation starts with a black move.
    Referee game;
    game.play("e2e4");
    game.play("e7e5");
    game.play("g1f3");
    const std::string& last = lines.back();
    const std::string first = last.substr(last.find('\t') + 1, 4);
    EXPECT_TRUE(legalAnswer(game.play(first))) << last;
    // A finished game on the command line: no search, status 0.
    installed.writeFile("mate.txt", "f2f3 e7e5 g2g4 d8h4\n");
    EnginePipe finished(Program{installed.program()}, {"-f" + installed.file("mate.txt")});
    EXPECT_EQ(finished.readLine(2s), std::nullopt);
    EXPECT_EQ(finished.waitExit(), 0);
}

// The last "info depth" line before the answer and its number after a keyword.
long infoNumber(const std::string& line, const std::string& keyword) {
    const auto at = line.find(" " + keyword + " ");
    return at == std::string::npos ? -1 : std::stol(line.substr(at + keyword.size() + 2));
}

TEST(ProtocolUciMoveTime, SearchesForTheWholeMoveTimeWithoutANewGame) {
    EnginePipe engine;
    startUci(engine);
    engine.send("position startpos moves e2e4");
    // The move time is a time per move, not a clock to take a fraction of.
    const Answer answer = answerTo(engine, "go movetime 2000");
    ASSERT_FALSE(answer.bestmove.empty());
    EXPECT_GE(answer.elapsed, 1500ms);
    EXPECT_LT(answer.elapsed, 4000ms);
}

TEST(ProtocolUciClocks, EveryGoIsJudgedOnItsOwnNumbers) {
    EnginePipe engine;
    startUci(engine);
    // No ucinewgame; a depth search first must leave nothing behind.
    engine.send("position startpos");
    ASSERT_EQ(answerTo(engine, "go depth 3").bestmove.empty(), false);
    engine.send("position startpos moves e2e4");
    // A minute on the clock: a thirtieth of it, not a sixth (10 s) nor the whole clock.
    const Answer answer = answerTo(engine, "go wtime 60000 btime 60000");
    ASSERT_FALSE(answer.bestmove.empty());
    EXPECT_LT(answer.elapsed, 7000ms);
    // The info lines carry the selective depth, the speed and the hash table's use.
    ASSERT_FALSE(answer.info.empty());
    const std::string& last = answer.info.back();
    EXPECT_GE(infoNumber(last, "seldepth"), infoNumber(last, "depth")) << last;
    EXPECT_GT(infoNumber(last, "nps"), 0) << last;
    EXPECT_GE(infoNumber(last, "hashfull"), 0) << last;
    EXPECT_LE(infoNumber(last, "hashfull"), 1000) << last;
    // A search of over a second names the root moves it turns to, with their numbers.
    EXPECT_FALSE(answer.currentMoves.empty());
    for (const std::string& line : answer.currentMoves) EXPECT_GE(infoNumber(line, "currmovenumber"), 1) << line;
}

TEST(ProtocolUciLimits, NodesMateAndSearchMoves) {
    EnginePipe engine;
    startUci(engine);
    engine.send("position startpos");
    Answer answer = answerTo(engine, "go nodes 30000");
    ASSERT_FALSE(answer.bestmove.empty());
    for (const std::string& info : answer.info) EXPECT_LE(infoNumber(info, "nodes"), 30000 + 300) << info;
    // The closing line tells the nodes of the whole budget, not those of the last finished iteration.
    ASSERT_FALSE(answer.info.empty());
    EXPECT_GE(infoNumber(answer.info.back(), "nodes"), 30000) << answer.info.back();
    // Only the named moves are chosen from.
    answer = answerTo(engine, "go depth 6 searchmoves a2a3 h2h3");
    EXPECT_TRUE(answer.bestmove == "a2a3" || answer.bestmove == "h2h3") << answer.bestmove;
    // Move time 0 answers at once, after the shortest search.
    engine.send("position startpos moves e2e4 e7e5");
    answer = answerTo(engine, "go movetime 0", 2s);
    EXPECT_FALSE(answer.bestmove.empty());
    EXPECT_LT(answer.elapsed, 1000ms);
    // Several variations, each with its rank, best first at every depth; MultiPV 1 shows one.
    engine.send("setoption name MultiPV value 3");
    engine.send("position fen r1bq1rk1/pp2bppp/2n1pn2/2pp4/2PP4/2NBPN2/PP3PPP/R1BQ1RK1 w - - 0 8");
    answer = answerTo(engine, "go depth 6");
    std::vector<std::string> lastDepth;
    for (const std::string& info : answer.info)
        if (infoNumber(info, "depth") == 6 && info.find("bound") == std::string::npos) lastDepth.push_back(info);
    ASSERT_EQ(lastDepth.size(), 3u);
    std::vector<std::string> firstMoves;
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(infoNumber(lastDepth[k], "multipv"), static_cast<long long>(k + 1)) << lastDepth[k];
        if (k > 0) {
            EXPECT_LE(infoNumber(lastDepth[k], "cp"), infoNumber(lastDepth[k - 1], "cp")) << lastDepth[k];
        }
        firstMoves.push_back(lastDepth[k].substr(lastDepth[k].find(" pv ") + 4, 4));
    }
    EXPECT_EQ(answer.bestmove, firstMoves[0]);
    std::sort(firstMoves.begin(), firstMoves.end());
    EXPECT_EQ(std::unique(firstMoves.begin(), firstMoves.end()), firstMoves.end()) << "each variation has its own move";
    engine.send("setoption name MultiPV value 1");
    answer = answerTo(engine, "go depth 4");
    for (const std::string& info : answer.info) EXPECT_EQ(info.find("multipv"), std::string::npos) << info;
    // A mate in two (1... Rg1+ 2. Kxg1 Rf1#) found and answered without a stop.
    engine.send("position fen 6k1/pp4p1/2p5/2bp4/8/P5Pb/1P3rrP/2BRRN1K b - - 0 1");
    answer = answerTo(engine, "go mate 2");
    EXPECT_EQ(answer.bestmove, "g2g1");
    ASSERT_FALSE(answer.info.empty());
    EXPECT_NE(answer.info.back().find("score mate 2"), std::string::npos) << answer.info.back();
}

TEST(ProtocolUciMate, DeepeningEndsOnceTheMateIsProven) {
    EnginePipe engine;
    startUci(engine);
    // Back-rank mate in one: a few iterations agree, then the answer comes,
    // long before the move time and without sixty identical lines.
    engine.send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    const Answer answer = answerTo(engine, "go movetime 20000");
    EXPECT_EQ(answer.bestmove, "a1a8");
    ASSERT_FALSE(answer.info.empty());
    EXPECT_LE(infoNumber(answer.info.back(), "depth"), 6) << answer.info.back();
    EXPECT_LT(answer.elapsed, 10000ms);
}

TEST(ProtocolUciPonder, PonderHitTurnsThePonderingIntoATimedSearch) {
    EnginePipe engine;
    startUci(engine);
    engine.send("setoption name Ponder value true");
    engine.send("position startpos moves e2e4");
    // A fixed depth, so that the last iteration is whole on a busy machine too.
    Answer answer = answerTo(engine, "go depth 6");
    // With the Ponder option the answer names the move to ponder on.
    const auto space = answer.bestmove.find(" ponder ");
    ASSERT_NE(space, std::string::npos) << answer.bestmove;
    const std::string mine = answer.bestmove.substr(0, space);
    const std::string expected = answer.bestmove.substr(space + 8);
    engine.send("position startpos moves e2e4 " + mine + " " + expected);
    engine.send("go ponder wtime 4000 btime 4000");
    // Pondering never answers by itself.
    while (auto line = engine.readLine(1500ms)) EXPECT_EQ(line->rfind("info ", 0), 0u) << *line;
    answer = answerTo(engine, "ponderhit");
    ASSERT_FALSE(answer.bestmove.empty());
    EXPECT_LT(answer.elapsed, 3000ms) << "a share of a 4 s clock, counted from ponderhit";
    // A stop ends pondering with an answer as well.
    engine.send("go ponder wtime 4000 btime 4000");
    EXPECT_EQ(engine.readLine(300ms).value_or("info").rfind("info", 0), 0u);
    answer = answerTo(engine, "stop");
    EXPECT_FALSE(answer.bestmove.empty());
}

TEST(ProtocolUciHash, TheDefaultIsTheSizeInForceAndTheRangeWhatTheTablesTake) {
    EnginePipe engine({"-h21"});
    const Lines lines = startUci(engine);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "option name Hash type spin default 16 min 4 max 2048"),
              lines.end());
}
