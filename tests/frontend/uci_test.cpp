#include "frontend/uci.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "board/castling.h"
#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "frontend/clock.h"
#include "frontend/dispatch.h"
#include "frontend/gocommand.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "search/transposition.h"

namespace hf = halberd::frontend;
namespace hb = halberd::board;

namespace {

// Runs one line through the dispatcher of a UCI session and returns what it printed.
class UciSession {
public:
    UciSession() {
        hb::resetGameToStart(game_);
        hb::listLegalMoves(game_);
        hf::uciMode.store(1);
    }
    ~UciSession() { hf::uciMode.store(0); }
    std::string send(const std::string& line) {
        state_.line = hf::normaliseLine(line);
        ::testing::internal::CaptureStdout();
        hf::dispatchLine(state_);
        return ::testing::internal::GetCapturedStdout();
    }
    hb::GameBoard& game() { return game_; }
    std::string fen() const { return hb::writeFen(game_); }

private:
    std::istringstream none_;
    hf::LineReader reader_{none_};
    hb::GameBoard game_;
    hf::LoopState state_{reader_, game_, {}, false};
};

constexpr const char* AfterE4E5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR/ w KQkq -";

}  // namespace

TEST(UciMoveText, PromotionLetterInLowerCase) {
    EXPECT_EQ(hf::uciMoveText(hb::parseCoordinate("E7E8Q", hb::White)), "e7e8q");
    EXPECT_EQ(hf::uciMoveText(hb::parseCoordinate("a2a1n", hb::Black)), "a2a1n");
    EXPECT_EQ(hf::uciMoveText(hb::parseCoordinate("G1F3", hb::White)), "g1f3");
}

TEST(UciIdentify, NamesTheEngineItsOptionsAndEntersUciMode) {
    UciSession session;
    hf::uciMode.store(0);
    hf::postMode.store(0);
    const std::string reply = session.send("uci");
    EXPECT_EQ(reply,
              "id name Halberd 4.7\n"
              "id author the Halberd authors\n"
              "option name NalimovPath type string default\n"
              "option name NalimovCache type spin default 4 min 1 max 16\n"
              "option name Hash type spin default 4 min 4 max 2048\n"
              "option name Threads type spin default 1 min 1 max 256\n"
              "option name MultiPV type spin default 1 min 1 max 256\n"
              "option name Ponder type check default false\n"
              "option name OwnBook type check default true\n"
              "option name UCI_AnalyseMode type check default false\n"
              "option name UCI_Chess960 type check default false\n"
              "option name Move Overhead type spin default 50 min 0 max 5000\n"
              "option name Clear Hash type button\n"
              "uciok\n");
    EXPECT_EQ(hf::uciMode.load(), 1);
    EXPECT_EQ(hf::postMode.load(), 1);
    EXPECT_EQ(session.send("isready"), "readyok\n");
}

TEST(UciCommands, UnknownBeforeTheUciLine) {
    UciSession session;
    hf::uciMode.store(0);
    EXPECT_EQ(session.send("isready"), "Error (unknown command): ISREADY\n");
    EXPECT_EQ(session.send("stop"), "Error (unknown command): STOP\n");
    EXPECT_EQ(session.send("position startpos moves e2e4"), "Error (unknown command): position startpos moves e2e4\n");
    EXPECT_EQ(session.send("setoption name Hash value 8"), "Error (unknown command): setoption name Hash value 8\n");
    EXPECT_EQ(session.fen().substr(0, 44), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/");
}

TEST(UciPosition, EveryLineReplaysFromANewGame) {
    UciSession session;
    EXPECT_EQ(session.send("position startpos moves e2e4 e7e5"), "");
    EXPECT_EQ(session.fen(), AfterE4E5);
    EXPECT_EQ(session.send("position startpos moves e2e4 e7e5"), "");
    EXPECT_EQ(session.fen(), AfterE4E5);
    EXPECT_EQ(session.game().plyCounter, 1);
    // Keywords in any case; castling as the king's move; a promotion with its letter.
    session.send("Position StartPos Moves e2e4 d7d5 e4d5 c7c6 d5c6 g8f6 c6b7 e7e6 b7a8q f8e7 g1f3 e8g8");
    EXPECT_EQ(session.fen(), "Qnbq1rk1/p3bppp/4pn2/8/8/5N2/PPPP1PPP/RNBQKB1R/ w KQ -");
    EXPECT_EQ(session.game().gameResult, 0);
    // No startpos and no fen: the moves continue the current game.
    session.send("position moves f1e2");
    EXPECT_EQ(session.game().sideToMove, hb::Black);
}

TEST(UciPosition, FenWithMovesAndTokensThatAreNoMoves) {
    UciSession session;
    session.send("position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8r e8d7");
    EXPECT_EQ(session.fen(), "R7/3k4/8/8/8/8/8/4K3/ w - -");
}

TEST(UciPosition, Chess960CastlingIsTheKingTakingItsRook) {
    UciSession session;
    session.send("setoption name UCI_Chess960 value true");
    session.send("position fen rk5r/pppppppp/8/8/8/8/PPPPPPPP/RK5R w HAha - 0 1 moves b1h1 b8a8");
    EXPECT_EQ(session.fen(), "2kr3r/pppppppp/8/8/8/8/PPPPPPPP/R4RK1/ w - -");
    session.send("position fen rk5r/pppppppp/8/8/8/8/PPPPPPPP/RK5R w KQkq - 0 1");
    EXPECT_EQ(hf::uciMoveText(hb::castleMove(1, 0, hb::CastleLong)), "b1a1");
    EXPECT_EQ(hf::uciMoveText(hb::castleMove(1, 7, hb::CastleShort)), "b1h1");
    session.send("setoption name UCI_Chess960 value false");
}

// Every refused line leaves the game as the line before it set it up, so a
// later go answers for that position and never with "bestmove 0000".
TEST(UciPosition, ARefusedLineKeepsThePreviousGame) {
    struct Refused {
        const char* line;
        const char* reply;
    };
    constexpr std::array<Refused, 8> Rows = {{
        {"position fen 4k3/8/8/8/8/8/8/8 w - - 0 1 moves e8d8", "info string Illegal position -3: no white king\n"},
        {"position fen 4k3/8/8/8/8/8/4R3/4K3 w - - 0 1",
         "info string Illegal position 524288: the side not to move is in check\n"},
        {"position startpos moves e2e4 e2e4 e7e5", "info string Illegal move e2e4\n"},
        {"position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8", "info string Illegal move a7a8\n"},
        // Tokens that are no coordinate move refuse the list like an illegal move.
        {"position startpos moves e2e4 Ng8f6", "info string Illegal move Ng8f6\n"},
        {"position startpos moves e2e4 zz e7e5", "info string Illegal move zz\n"},
        {"position startpos moves e2", "info string Illegal move e2\n"},
        {"position startpos moves e2e4extra", "info string Illegal move e2e4extra\n"},
    }};
    for (const Refused& row : Rows) {
        UciSession session;
        session.send("position startpos moves e2e4 e7e5");
        EXPECT_EQ(session.send(row.line), row.reply) << row.line;
        EXPECT_EQ(session.fen(), AfterE4E5) << row.line;
        EXPECT_EQ(session.game().gameResult, 0) << row.line;
        EXPECT_NE(session.game().legalMoves[0], hb::NoMove) << row.line;
    }
}

TEST(UciPosition, BlanksBetweenMovesAreNoTokens) {
    UciSession session;
    EXPECT_EQ(session.send("position startpos moves  e2e4\te7e5 \r"), "");
    EXPECT_EQ(session.fen(), AfterE4E5);
}

TEST(UciPosition, AMateGivenInTheLineLeavesTheGameOver) {
    UciSession session;
    EXPECT_EQ(session.send("position startpos moves f2f3 e7e5 g2g4 d8h4"), "");
    EXPECT_EQ(session.game().gameResult, hb::ResultMate);
}

TEST(UciSetoption, HashCacheAndPathInAnyCase) {
    UciSession session;
    hf::Settings& s = hf::settings();
    const std::string keptPath = s.tbPath;
    const int keptCache = s.tbCacheBytes;

    session.send("setoption name Hash value 16");
    EXPECT_GT(halberd::search::ttBytes(), 12u << 20);
    EXPECT_LE(halberd::search::ttBytes(), 16u << 20);
    session.send("SETOPTION NAME HASH VALUE 4");
    EXPECT_LE(halberd::search::ttBytes(), 4u << 20);

    session.send("setoption name NalimovCache value 8");
    EXPECT_EQ(s.tbCacheBytes, 8 << 20);
    // Held to the range the option offers; a value that is no number changes nothing.
    session.send("setoption name NalimovCache value abc");
    EXPECT_EQ(s.tbCacheBytes, 8 << 20);
    session.send("setoption name NalimovCache value 99");
    EXPECT_EQ(s.tbCacheBytes, 16 << 20);
    // 0 leaves the cache as it is, as it always has.
    EXPECT_EQ(session.send("setoption name NalimovCache value 0"), "info string NalimovCache 0 leaves the cache at 16 MB\n");
    EXPECT_EQ(s.tbCacheBytes, 16 << 20);

    s.tbPath = "/base";
    session.send("setoption name NalimovPath value /data/tb/");
    EXPECT_EQ(s.tbPath, "/base;/data/tb");
    // A new value replaces what the last one added; other directories stay.
    s.tbPath += ";/egt";
    session.send("setoption name nalimovpath VALUE /more/tb5;/tb6");
    EXPECT_EQ(s.tbPath, "/base;/egt;/more/tb5;/tb6");
    // A value that does not fit is refused with a word; nothing changes.
    const std::string tooLong = "/" + std::string(hf::PathCapacity, 'x');
    EXPECT_EQ(session.send("setoption name NalimovPath value " + tooLong),
              "info string NalimovPath " + tooLong +
                  " does not fit in the tablebase directory list (299 characters at most); not added\n");
    EXPECT_EQ(s.tbPath, "/base;/egt;/more/tb5;/tb6");
    // An empty value takes the option's directories away; other options are passed over.
    session.send("setoption name NalimovPath value ");
    session.send("setoption name Ponder value true");
    EXPECT_EQ(s.tbPath, "/base;/egt");

    s.tbPath = keptPath;
    s.tbCacheBytes = keptCache;
}

namespace {

hf::GoRequest requestAfter(const hb::GameBoard& game, const std::string& go) {
    return hf::uciSearchRequest(hf::normaliseLine(go), game);
}

}  // namespace

// Every go line is judged on its own numbers, with or without ucinewgame: the
// clock of the side to move as sudden death with its own increment.
TEST(UciGoParameters, TheClockOfTheSideToMoveWithItsIncrement) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    hf::GoRequest r = requestAfter(game, "go wtime 60000 btime 60000");
    EXPECT_EQ(r.budget.softMs, hf::uciClockBudget(60000, 0, 0).softMs);
    EXPECT_EQ(r.budget.hardMs, hf::uciClockBudget(60000, 0, 0).hardMs);
    EXPECT_LT(r.budget.softMs, 2100) << "not a sixth of the clock";
    EXPECT_EQ(r.budget.depth, hf::NoDepthLimit);
    ASSERT_EQ(hb::playGameMove(game, hb::parseCoordinate("E2E4", hb::White)), 0);
    r = requestAfter(game, "go wtime 50000 btime 30000 winc 2000 binc 1000");
    EXPECT_EQ(r.budget.softMs, hf::uciClockBudget(30000, 1000, 0).softMs) << "Black's clock and increment";
    r = requestAfter(game, "go wtime 300000 btime 300000 movestogo 40");
    EXPECT_EQ(r.budget.softMs, hf::uciClockBudget(300000, 0, 40).softMs);
    // Nothing carries over from one go line to the next.
    r = requestAfter(game, "go infinite");
    EXPECT_TRUE(r.infinite);
    EXPECT_EQ(r.budget.hardMs, halberd::search::UnlimitedMillis);
    r = requestAfter(game, "go wtime 5000 btime 5000");
    EXPECT_EQ(r.budget.softMs, hf::uciClockBudget(5000, 0, 0).softMs);
    EXPECT_FALSE(r.infinite);
}

TEST(UciGoParameters, MoveTimeDepthNodesMateAndPonder) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    hf::GoRequest r = requestAfter(game, "go movetime 1000");
    EXPECT_EQ(r.budget.softMs, 1000 - hf::DefaultMoveOverheadMs);
    EXPECT_EQ(r.budget.hardMs, 1000 - hf::DefaultMoveOverheadMs);
    r = requestAfter(game, "go depth 12");
    EXPECT_EQ(r.budget.depth, 12);
    EXPECT_EQ(r.budget.hardMs, halberd::search::UnlimitedMillis) << "answers when done, without a stop";
    EXPECT_FALSE(r.infinite);
    r = requestAfter(game, "go nodes 5000 mate 3");
    EXPECT_EQ(r.nodes, 5000u);
    EXPECT_EQ(r.mateMoves, 3);
    r = requestAfter(game, "go ponder wtime 10000 btime 10000");
    EXPECT_TRUE(r.ponder);
    EXPECT_EQ(r.budget.softMs, hf::uciClockBudget(10000, 0, 0).softMs) << "the time that ponderhit gives";
}

TEST(UciGoParameters, SearchMovesAndHostileNumbers) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    hf::GoRequest r = requestAfter(game, "go searchmoves e2e4 d2d4 x9 depth 4");
    ASSERT_EQ(r.searchMoves.size(), 2u);
    EXPECT_EQ(hf::uciMoveText(r.searchMoves[1]), "d2d4");
    EXPECT_EQ(r.budget.depth, 4);
    r = requestAfter(game, "go wtime 99999999999999999999 btime -5 movestogo 2147483647 nodes -1 depth 99999");
    EXPECT_GT(r.budget.softMs, 0);
    EXPECT_LE(r.budget.hardMs, hf::MaxClockMillis);
    EXPECT_EQ(r.nodes, 0u);
    EXPECT_EQ(r.budget.depth, hf::NoDepthLimit);
    ASSERT_EQ(hb::playGameMove(game, hb::parseCoordinate("E2E4", hb::White)), 0);
    r = requestAfter(game, "go wtime 1000 btime 1000 movestogo 2147483647");
    EXPECT_GT(r.budget.softMs, 0);
    EXPECT_LE(r.budget.hardMs, 1000);
}

TEST(UciGo, AGameThatCannotBeSearchedIsAnsweredAtOnce) {
    UciSession session;
    session.send("position startpos moves f2f3 e7e5 g2g4 d8h4");
    EXPECT_EQ(session.send("go wtime 1000 btime 1000"), "info depth 0 score mate 0\nbestmove 0000\n");
    session.send("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(session.send("go"), "info depth 0 score cp 0\nbestmove 0000\n");
    EXPECT_EQ(session.send("position fen 8/8/8 w - - 0 1"),
              "info string Illegal position -2: the placement is not eight ranks of eight squares\n");
    // The refused set-up leaves the stalemate, which is answered again.
    EXPECT_EQ(session.send("go infinite"), "info depth 0 score cp 0\nbestmove 0000\n");
    EXPECT_EQ(hf::thinking.load(), 0);
}
