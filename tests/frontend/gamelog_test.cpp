#include "frontend/gamelog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "board/diagnostics.h"
#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "book/booktestfiles.h"
#include "search/root.h"
#include "search/search.h"
#include "search/threads.h"

namespace hf = halberd::frontend;
namespace hb = halberd::board;
namespace hs = halberd::search;
using halberd::booktest::TempDir;
using halberd::booktest::writeTextFile;

TEST(ResultLine, EveryCodeHasItsText) {
    EXPECT_EQ(hf::resultLine(-2, "E1E2", hb::White), "Illegal move (error): E1E2\n");
    EXPECT_EQ(hf::resultLine(-1, "E2E5", hb::White), "Illegal move: E2E5\n");
    EXPECT_EQ(hf::resultLine(0, "E2E4", hb::Black), "");
    EXPECT_EQ(hf::resultLine(1, "E7E8", hb::White), "Illegal move (promote?): E7E8\n");
    // The side to move after the move is the mated one.
    EXPECT_EQ(hf::resultLine(2, "A1A8", hb::Black), "1-0 {White mates}\n");
    EXPECT_EQ(hf::resultLine(2, "D8H4", hb::White), "0-1 {Black mates}\n");
    EXPECT_EQ(hf::resultLine(3, "B5B6", hb::Black), "1/2-1/2 {Stalemate}\n");
    EXPECT_EQ(hf::resultLine(4, "G1F3", hb::Black), "1/2-1/2 {Triple repetition}\n");
    EXPECT_EQ(hf::resultLine(5, "A1A2", hb::Black), "1/2-1/2 {50 moves rule}\n");
    EXPECT_EQ(hf::resultLine(6, "E1D2", hb::Black), "1/2-1/2 {Insufficient material}\n");
    EXPECT_EQ(hf::resultLine(10, "E2E4", hb::White), "resign\n");
    EXPECT_EQ(hf::resultLine(7, "E2E4", hb::White), "");
    EXPECT_EQ(hf::resultLine(-3, "E2E4", hb::White), "");
}

TEST(BoardDiagram, FrenchLettersBlackUpperCaseRankEightFirst) {
    hb::GameBoard game;
    game.board.fill(hb::EmptySlot);
    game.slotSquare.fill(hb::OffBoard);
    game.slotType.fill(hb::NoPiece);
    const auto put = [&](int slot, int type, int square) {
        game.slotSquare[slot] = square;
        game.slotType[slot] = type;
        game.board[square] = slot;
    };
    put(0, hb::King, hb::squareOf(4, 0));        // e1
    put(16, hb::King, hb::squareOf(4, 7));       // e8
    put(1, hb::Queen, hb::squareOf(3, 0));       // d1
    put(18, hb::Rook, hb::squareOf(0, 7));       // a8
    put(21, hb::Bishop, hb::squareOf(5, 7));     // f8
    put(6, hb::Knight, hb::squareOf(1, 0));      // b1
    put(8, hb::WhitePawn, hb::squareOf(0, 1));   // a2
    put(31, hb::BlackPawn, hb::squareOf(7, 6));  // h7
    put(12, hb::Queen, hb::squareOf(2, 7));      // a promoted pawn on c8 shows as a queen
    EXPECT_EQ(hf::boardDiagram(game),
              "T.d.RF..\n"
              ".......P\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "p.......\n"
              ".c.dr...\n");
}

namespace {

hb::GameBoard newGame() {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    return game;
}

void play(hb::GameBoard& game, const char* text) {
    ASSERT_EQ(hb::playGameMove(game, hb::parseCoordinate(text, game.sideToMove)), 0) << text;
}

// Makes `moves` the variation the search displays, as its root driver saves it.
hs::PvArray variation(std::initializer_list<hb::Move> moves) {
    hs::PvArray pv{};
    std::copy(moves.begin(), moves.end(), pv.begin());
    return pv;
}

hb::Move move(const char* text, hb::Colour side) { return hb::parseCoordinate(text, side); }

}  // namespace

TEST(FormatScore, PawnsMatesInfinityAndNoScore) {
    EXPECT_EQ(hf::formatScore(0), "+0.00 ");
    EXPECT_EQ(hf::formatScore(-240), "-0.50 ");
    EXPECT_EQ(hf::formatScore(168), "+0.35 ");
    EXPECT_EQ(hf::formatScore(4800), "+10.00 ");
    EXPECT_EQ(hf::formatScore(32698), "+MAT1 ");
    EXPECT_EQ(hf::formatScore(32699), "+MAT1 ");
    EXPECT_EQ(hf::formatScore(-32690), "-MAT5 ");
    EXPECT_EQ(hf::formatScore(-32001), "-MAT350 ");
    EXPECT_EQ(hf::formatScore(32000), "+66.67 ");
    EXPECT_EQ(hf::formatScore(32767), "+INF ");
    EXPECT_EQ(hf::formatScore(-32767), "-INF ");
    EXPECT_EQ(hf::formatScore(32761), " ");
}

TEST(LogEntry, NumbersWhiteAndBlackMovesAndWritesSan) {
    hb::GameBoard game = newGame();
    EXPECT_EQ(hf::logEntry(game, move("E2E4", hb::White), ""), "1.   e4 ({})\n");
    play(game, "E2E4");
    EXPECT_EQ(hf::logEntry(game, move("E7E5", hb::Black), "+0.10 e7e5 "), "1... e5 ({+0.10 e7e5 })\n");
    play(game, "E7E5");
    EXPECT_EQ(hf::logEntry(game, move("G1F3", hb::White), ""), "2.   Nf3 ({})\n");
    play(game, "G1F3");
    EXPECT_EQ(hf::logEntry(game, move("B8C6", hb::Black), ""), "2... Nc6 ({})\n");
    // The move-less entry of an analysis.
    EXPECT_EQ(hf::logEntry(game, hb::NoMove, ""), "2... ({})\n");
}

TEST(LogPvComment, ScoreAndVariationThenEmptyWhileTheVariationStays) {
    const hs::PvArray first = variation({move("E2E4", hb::White), move("E7E5", hb::Black), move("G1F3", hb::White)});
    EXPECT_EQ(hf::logPvComment(168, first), "+0.35 e2e4 e7e5 g1f3 ");
    EXPECT_EQ(hf::logPvComment(200, first), "");
    EXPECT_EQ(hf::logPvComment(-32690, variation({move("D2D4", hb::White)})), "-MAT5 d2d4 ");
    // A longer variation that starts the same is another variation.
    EXPECT_EQ(hf::logPvComment(0, variation({move("D2D4", hb::White), move("D7D5", hb::Black)})), "+0.00 d2d4 d7d5 ");
    EXPECT_EQ(hf::logPvComment(32761, variation({})), " ");
}

TEST(GameFile, MoveNumbersTagsAndAStopAtTheFirstNonMove) {
    TempDir dir;
    const std::string path = dir.file("game.txt");
    writeTextFile(path,
                  "[Event \"Club game\"]\n"
                  "1. e2e4 e7e5 2. g1f3\n"
                  "  ; a remark\n"
                  "2... b8c6 3. f1b5 {Ruy Lopez} a7a6\n"
                  "3... a7a6 4. b5a4 . g8f6\n");
    hb::GameBoard game = newGame();
    EXPECT_EQ(hf::loadGameFile(game, path), 0);
    // The comment ends its line; the "." ends the last one.
    EXPECT_EQ(game.plyCounter, 6);
    EXPECT_EQ(hb::writeFen(game), "r1bqkbnr/1ppp1ppp/p1n5/4p3/B3P3/5N2/PPPP1PPP/RNBQK2R/ b KQkq -");
}

TEST(GameFile, TheEdgeCaseGamePlaysThreeHalfMoves) {
    TempDir dir;
    const std::string path = dir.file("game.txt");
    writeTextFile(path, "[Site \"somewhere\"]\r\n1. e2e4 e7e5 2. g1f3\r\n");
    hb::GameBoard game = newGame();
    play(game, "D2D4");
    EXPECT_EQ(hf::loadGameFile(game, path), 0);
    EXPECT_EQ(game.plyCounter, 2);
    EXPECT_EQ(hb::writeFen(game), "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R/ b KQkq -");
}

TEST(GameFile, FenLinesInEveryForm) {
    TempDir dir;
    const std::string path = dir.file("game.txt");
    hb::GameBoard game = newGame();
    for (const char* tag : {"[FEN 4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\n", "[FEN:4k3/8/8/8/8/8/4P3/4K3 b - -\n",
                            "[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - -\"]\n"}) {
        writeTextFile(path, std::string(tag) + "1... e8d7 2. e2e4\n");
        EXPECT_EQ(hf::loadGameFile(game, path), 0) << tag;
        EXPECT_EQ(hb::writeFen(game), "8/3k4/8/8/4P3/8/8/4K3/ b - -") << tag;
    }
}

TEST(GameFile, RejectionsAndMoveResults) {
    TempDir dir;
    const std::string path = dir.file("game.txt");
    hb::GameBoard game = newGame();
    EXPECT_EQ(hf::loadGameFile(game, dir.file("missing.txt")), hf::GameFileRejected);
    writeTextFile(path, "[FEN 8/8/8/8/8/8/8/K7 w - -\n");
    EXPECT_EQ(hf::loadGameFile(game, path), hf::GameFileRejected);
    // The side not to move in check is refused as well.
    writeTextFile(path, "[FEN 4k3/8/8/8/8/8/4R3/4K3 w - -\n");
    EXPECT_EQ(hf::loadGameFile(game, path), hf::GameFileRejected);
    // An illegal move stops the load with its code; the moves before it stay.
    writeTextFile(path, "e2e4 e7e5 e4e5 d7d5\n");
    EXPECT_EQ(hf::loadGameFile(game, path), hb::ResultNoSuchMove);
    EXPECT_EQ(game.plyCounter, 1);
    // A PGN file's moves are no coordinate moves: it is no game file.
    writeTextFile(path, "[Event \"Club game\"]\n1. e4 e5 2. Nf3\n");
    EXPECT_EQ(hf::loadGameFile(game, path), hf::GameFileNotGame);
    writeTextFile(path, "");
    EXPECT_EQ(hf::loadGameFile(game, path), hf::GameFileNotGame);
    // A mate ends the load with its code.
    writeTextFile(path, "f2f3 e7e5\ng2g4 d8h4\n");
    EXPECT_EQ(hf::loadGameFile(game, path), hb::ResultMate);
    EXPECT_EQ(game.gameResult, hb::ResultMate);
}

TEST(GameLogFile, EntriesAreFlushedAsTheyAreWritten) {
    TempDir dir;
    const std::string kept = hf::logFileName();
    hf::logFileName() = dir.file("halberd.log");
    const auto contents = [&] {
        std::ifstream in(dir.file("halberd.log"));
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    // Without an open log nothing is written anywhere.
    hf::writeLog("lost\n");
    hb::internalErrorCode(333);
    ASSERT_TRUE(hf::openLog());

    hf::writeLogHeader();
    const std::string header = contents();
    EXPECT_EQ(header.rfind("[Event \"Computer chess game\"]\n[Date \"", 0), 0u) << header;
    ASSERT_EQ(header.size(), 50u) << header;
    EXPECT_EQ(header.substr(header.size() - 3), "\"]\n");
    EXPECT_EQ(header[41], '.');
    EXPECT_EQ(header[44], '.');

    hb::GameBoard game = newGame();
    hf::logMove(game, move("E2E4", hb::White));
    // An illegal move gets no entry.
    hf::logMove(game, move("E2E5", hb::White));
    play(game, "E2E4");
    hf::logMove(game, move("C7C5", hb::Black));
    // The search's internal errors reach the log.
    hb::internalErrorCode(3456);
    EXPECT_EQ(contents().substr(header.size()), "1.   e4 ({})\n1... c5 ({})\nHB code 3456\n");

    hf::closeLog();
    hb::internalErrorCode(333);
    hf::writeLog("lost\n");
    EXPECT_EQ(contents().substr(header.size()), "1.   e4 ({})\n1... c5 ({})\nHB code 3456\n");
    hf::logFileName() = kept;
}
