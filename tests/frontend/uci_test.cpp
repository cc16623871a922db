#include "frontend/uci.h"

#include <gtest/gtest.h>

#include <sstream>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "frontend/clock.h"
#include "frontend/dispatch.h"
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
        game_.uciMode = 1;
    }
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
    session.game().uciMode = 0;
    hf::postMode.store(0);
    const std::string reply = session.send("uci");
    EXPECT_EQ(reply,
              "id name Halberd 4.7\n"
              "id author the Halberd authors\n"
              "option name NalimovPath type string default\n"
              "option name NalimovCache type spin default 4 min 1 max 16\n"
              "option name Hash type spin default 128 min 30 max 1000\n"
              "uciok\n");
    EXPECT_EQ(session.game().uciMode, 1);
    EXPECT_EQ(hf::postMode.load(), 1);
    EXPECT_EQ(session.send("isready"), "readyok\n");
}

TEST(UciCommands, UnknownBeforeTheUciLine) {
    UciSession session;
    session.game().uciMode = 0;
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
    // A token that names no move is passed over.
    session.send("position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1 moves xyz e2e4");
    EXPECT_EQ(session.fen(), "4k3/8/8/8/4P3/8/8/4K3/ b - -");
}

TEST(UciPosition, ARejectedFenLeavesNoGameToSearch) {
    UciSession session;
    session.send("position startpos moves e2e4");
    // A set-up without a white king.
    EXPECT_EQ(session.send("position fen 4k3/8/8/8/8/8/8/8 w - - 0 1 moves e8d8"),
              "info string Illegal position -3\n");
    EXPECT_NE(session.game().gameResult, 0);
    EXPECT_EQ(session.game().legalMoves[0], hb::NoMove);
    // The side not to move in check.
    EXPECT_EQ(session.send("position fen 4k3/8/8/8/8/8/4R3/4K3 w - - 0 1"), "info string Illegal position "
                                                                             "524288\n");
    EXPECT_NE(session.game().gameResult, 0);
    // The next good line is a new game.
    session.send("position startpos");
    EXPECT_EQ(session.game().gameResult, 0);
    EXPECT_NE(session.game().legalMoves[0], hb::NoMove);
}

TEST(UciPosition, AnIllegalMoveStopsTheLineAndLeavesNoGameToSearch) {
    UciSession session;
    EXPECT_EQ(session.send("position startpos moves e2e4 e2e4 e7e5"), "info string Illegal move e2e4\n");
    EXPECT_NE(session.game().gameResult, 0);
    // A promotion without its piece.
    EXPECT_EQ(session.send("position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8"),
              "info string Illegal move a7a8\n");
    EXPECT_NE(session.game().gameResult, 0);
    // A mate given in the line leaves the game over.
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
    session.send("setoption name NalimovCache value 0");
    EXPECT_EQ(s.tbCacheBytes, 8 << 20);

    s.tbPath = "/base";
    session.send("setoption name NalimovPath value /data/tb/");
    EXPECT_EQ(s.tbPath, "/base;/data/tb");
    session.send("setoption name nalimovpath VALUE /more/tb5");
    EXPECT_EQ(s.tbPath, "/base;/data/tb;/more/tb5");
    // An empty value adds nothing; other options are passed over.
    session.send("setoption name NalimovPath value ");
    session.send("setoption name Ponder value true");
    EXPECT_EQ(s.tbPath, "/base;/data/tb;/more/tb5");

    s.tbPath = keptPath;
    s.tbCacheBytes = keptCache;
}

namespace {

// The budget allocateTime gives after a go line of a UCI session.
struct Budget {
    int target;
    int max;
};

Budget budgetAfter(hf::TimeControl& control, hb::GameBoard& game, const std::string& go) {
    hf::applyGoParameters(hf::normaliseLine(go), control, game);
    hf::allocateTime(game, control, game.plyCounter, false);
    return {game.targetTime, game.maxTime};
}

hf::TimeControl afterNewGame() {
    hf::TimeControl control;
    control.incrementTenths = 0;
    control.movesPerPeriod = 0;
    return control;
}

}  // namespace

TEST(UciGoParameters, ClocksAfterANewGameSetTheWholeGame) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    game.uciNewGamePending = 1;
    hf::TimeControl control = afterNewGame();
    const Budget budget = budgetAfter(control, game, "go wtime 60000 btime 60000");
    EXPECT_EQ(control.engineClock, 600);
    EXPECT_EQ(control.opponentClock, 600);
    EXPECT_EQ(control.baseSeconds, 60);
    EXPECT_EQ(control.incrementTenths, 0);
    EXPECT_EQ(budget.target, 20);
    EXPECT_EQ(budget.max, 40);
    EXPECT_EQ(game.uciNewGamePending, 0);
    // Once the new game has begun the clocks no longer change the base time.
    budgetAfter(control, game, "go wtime 30000 btime 45000");
    EXPECT_EQ(control.engineClock, 300);
    EXPECT_EQ(control.opponentClock, 450);
    EXPECT_EQ(control.baseSeconds, 60);
}

TEST(UciGoParameters, MovesToGoOnlyRightAfterANewGame) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    game.uciNewGamePending = 1;
    hf::TimeControl control = afterNewGame();
    const Budget budget = budgetAfter(control, game, "go wtime 300000 btime 300000 movestogo 40");
    EXPECT_EQ(control.movesPerPeriod, 40);
    // Period rule: 40 moves left, cap 150, (3000 - 10) / 40 = 74.
    EXPECT_EQ(budget.target, 74);
    EXPECT_EQ(budget.max, 111);
    budgetAfter(control, game, "go wtime 300000 btime 300000 movestogo 10");
    EXPECT_EQ(control.movesPerPeriod, 40);
    // Later in a game the moves to go count from the game's start.
    game.plyCounter = 19;
    game.uciNewGamePending = 1;
    budgetAfter(control, game, "go wtime 100000 btime 100000 movestogo 30");
    EXPECT_EQ(control.movesPerPeriod, 39);
    game.uciNewGamePending = 1;
    budgetAfter(control, game, "go wtime 100000 btime 100000 movestogo 0");
    EXPECT_EQ(control.movesPerPeriod, 0);
}

TEST(UciGoParameters, BlackToMoveAndIncrements) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    ASSERT_EQ(hb::playGameMove(game, hb::parseCoordinate("E2E4", hb::White)), 0);
    game.uciNewGamePending = 1;
    hf::TimeControl control = afterNewGame();
    const Budget budget = budgetAfter(control, game, "go wtime 50000 btime 30000 winc 2000 binc 1000");
    EXPECT_EQ(control.engineClock, 300);
    EXPECT_EQ(control.opponentClock, 500);
    EXPECT_EQ(control.baseSeconds, 30);
    // The White increment serves either side.
    EXPECT_EQ(control.incrementTenths, 20);
    EXPECT_EQ(budget.target, 30);
    EXPECT_EQ(budget.max, 60);
    budgetAfter(control, game, "go wtime 50000 btime 30000 binc 1000");
    EXPECT_EQ(control.incrementTenths, 10);
}

TEST(UciGoParameters, InfiniteAndMoveTime) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    game.uciNewGamePending = 1;
    hf::TimeControl control = afterNewGame();
    EXPECT_TRUE(hf::applyGoParameters("GO INFINITE", control, game));
    hf::allocateTime(game, control, game.plyCounter, false);
    EXPECT_EQ(game.targetTime, 12000);
    EXPECT_EQ(game.maxTime, 24000);
    EXPECT_EQ(control.opponentClock, 360000);
    // The move time acts as a clock.
    game.uciNewGamePending = 1;
    const Budget budget = budgetAfter(control, game, "go movetime 5000");
    EXPECT_EQ(control.engineClock, 50);
    EXPECT_EQ(control.baseSeconds, 50);
    EXPECT_EQ(budget.target, 1);
    EXPECT_EQ(budget.max, 1);
    EXPECT_FALSE(hf::applyGoParameters("GO MOVETIME 5000", control, game));
}

TEST(UciGoParameters, DepthLimitsOneSearchAndBringsTimeWhenNoClockIsGiven) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hf::TimeControl control = afterNewGame();
    EXPECT_FALSE(hf::applyGoParameters("GO DEPTH 12", control, game)) << "answers without a stop";
    hf::allocateTime(game, control, game.plyCounter, false);
    EXPECT_EQ(game.depthLimit, 12);
    EXPECT_EQ(control.engineClock, 360000);
    // With a clock the clock rules too.
    hf::applyGoParameters("GO WTIME 60000 BTIME 60000 DEPTH 30", control, game);
    hf::allocateTime(game, control, game.plyCounter, false);
    EXPECT_EQ(game.depthLimit, 30);
    EXPECT_EQ(control.engineClock, 600);
    // The next go without a depth searches as deep as its time allows.
    hf::applyGoParameters("GO WTIME 60000 BTIME 60000", control, game);
    hf::allocateTime(game, control, game.plyCounter, false);
    EXPECT_EQ(game.depthLimit, hf::NoDepthLimit);
}

TEST(UciGoParameters, WithoutANewGameTheInitialPeriodRuleHolds) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hf::TimeControl control;
    const Budget budget = budgetAfter(control, game, "go wtime 60000 btime 60000 movestogo 40");
    // Six moves in sixty seconds: (600 - 10) / 6 = 98, cap 200.
    EXPECT_EQ(control.movesPerPeriod, 6);
    EXPECT_EQ(control.baseSeconds, 60);
    EXPECT_EQ(budget.target, 98);
    EXPECT_EQ(budget.max, 147);
}

TEST(UciNewGame, ClearsTheIncrementAndThePeriodAndMarksTheNextGo) {
    UciSession session;
    hf::timeControl().incrementTenths = 30;
    hf::timeControl().movesPerPeriod = 40;
    session.send("ucinewgame");
    EXPECT_EQ(hf::timeControl().incrementTenths, 0);
    EXPECT_EQ(hf::timeControl().movesPerPeriod, 0);
    EXPECT_EQ(session.game().uciNewGamePending, 1);
    hf::timeControl() = hf::TimeControl{};
}

TEST(UciGo, AGameThatCannotBeSearchedIsAnsweredAtOnce) {
    UciSession session;
    session.send("position startpos moves f2f3 e7e5 g2g4 d8h4");
    EXPECT_EQ(session.send("go wtime 1000 btime 1000"), "bestmove 0000\n");
    session.send("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(session.send("go"), "bestmove 0000\n");
    EXPECT_EQ(session.send("position fen 8/8/8 w - - 0 1"), "info string Illegal position -2\n");
    EXPECT_EQ(session.send("go infinite"), "bestmove 0000\n");
    EXPECT_EQ(hf::thinking.load(), 0);
}
