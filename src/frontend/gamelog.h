#pragma once
// The text products around the game: result lines, the board diagram and the
// optional game log file.
#include <cstdio>
#include <string>
#include <string_view>

#include "board/position.h"

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

}  // namespace halberd::frontend
