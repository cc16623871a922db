#pragma once
// The text products around the game: result lines, the board diagram and the
// optional game log file.
#include <cstdio>
#include <istream>
#include <string>
#include <string_view>

#include "board/gameboard.h"
#include "search/report.h"
#include "search/scores.h"

namespace halberd::frontend {

// The line reportResult prints for a playGameMove code (or 10 for a resignation),
// newline included; empty for 0 and for codes without a text. `sideToMove` is
// the side to move after the move and tells who mated.
std::string resultLine(int code, std::string_view moveText, int sideToMove);

// Prints the result line of a move, flushes standard output, and flushes the log
// when the code is not 0.
void reportResult(int code, std::string_view moveText, const board::GameBoard& game);

// Eight lines, rank 8 first, in French letters: r d t f c p for king, queen,
// rook, bishop, knight, pawn; Black upper case, White lower case, "." for empty.
std::string boardDiagram(const board::GameBoard& game);
void printBoard(const board::GameBoard& game);

// Game log: the program path followed by ".log", opened in append mode when the
// configuration enables it and closed by QUIT.
inline constexpr std::size_t LogFileNameCapacity = 298;
std::string& logFileName();
std::FILE* logFile();
bool openLog();
void closeLog();
// The game header written at every new game when the log is open.
void writeLogHeader();
// The tags a PGN reader needs for a game that did not begin in the ordinary
// start position: [Variant "Chess960"] in Chess960, [SetUp "1"] and [FEN "..."].
std::string setupTags(const board::GameBoard& game, bool chess960);
void logSetup(const board::GameBoard& game);
// Writes the text to the open log and flushes it; nothing without a log.
// Safe from both threads: the search reports its internal errors here.
void writeLog(std::string_view text);

// The score of a move that was not searched (a book move): logged as a blank.
inline constexpr int NoScore = search::NoResultScore;

// Score notation of the log, in the engine's units: " " for no score, "+INF "
// and "-INF ", "+MAT3 " for a mate in three, "-0.50 " for half a pawn down.
std::string formatScore(int score);

// "1.   " before a White move, "1... " before a Black one, for the game as it
// stands before the move.
std::string logMoveNumber(const board::GameBoard& game);

// The comment of an engine move: the score and the displayed principal
// variation in coordinate notation, each move followed by a space; empty when
// that variation is the one logged last.
std::string logPvComment(int score, const search::PvArray& pv);

// One move entry: number, SAN in the position before the move, and the comment
// between "({" and "})". Move 0 gives the move-less entry of an analysis.
std::string logEntry(const board::GameBoard& game, board::Move move, std::string_view comment);
// Writes the entry when a log is open; called before the move is played. A move
// that is not legal in the game gets no entry.
void logMove(const board::GameBoard& game, board::Move move, std::string_view comment = {});
// The entry of a move the engine chose with its score and variation; the
// PGN record (pgngame.h) gets the move with its score and depth.
void logEngineMove(const board::GameBoard& game, board::Move move, int score, int depth, const search::PvArray& pv);

// Game files: "[FEN ..." lines set up a position, other lines hold moves in
// coordinate notation with optional move numbers; lines beginning with anything
// but a letter or a digit are skipped. Returns 0, the first non-zero code of
// playGameMove, GameFileRejected when the file cannot be read or a FEN is
// refused, or GameFileNotGame.
inline constexpr int GameFileRejected = -10;
// A move line whose first move is no move in coordinate notation, or no FEN
// and no move line at all: the file is something else (a PGN file with its
// "1. e4", a text, an empty or binary file).
inline constexpr int GameFileNotGame = -11;
int loadGameFile(board::GameBoard& game, const std::string& path);
// The same for a game text already open; `name` names it in messages.
int loadGame(board::GameBoard& game, std::istream& text, const std::string& name);

}  // namespace halberd::frontend
