#pragma once
// The configuration file beside the executable, the command-line options and
// the position file of "-p".
#include <istream>
#include <span>
#include <string>
#include <string_view>

#include "board/gameboard.h"
#include "frontend/settings.h"

namespace halberd::frontend {

inline constexpr std::string_view ConfigFileName = "halberd.cfg";
// Longest configuration line looked at; the rest of a longer line is dropped.
inline constexpr std::size_t ConfigLineLimit = 126;

// One line of the configuration file: "KEY=value" with the keys HASHTABLE,
// TABLEBASE, NULLEVAL, TB_CACHE_SIZE, USE_BOOK, RESIGN, LOGFILE compared as
// prefixes in any case; ";" starts a comment.
void applyConfigLine(Settings& settings, std::string_view line);

// Starts the tablebase list with the directory (without its final "/"), then
// reads directory + "halberd.cfg" when it exists.
// When the directory holds no configuration file, the installed one is read
// (InstalledDataFromProgram below the directory).
void readConfigFile(Settings& settings, std::string_view directory);

// Position file: lines "b" (White) and "n" (Black) select the colour, lines such
// as "re1" place a king (r), queen (d), rook (t), bishop (f), knight (c) or pawn
// (p) on a square. The side to move is the colour not selected last. 0 on
// success, non-zero when the file cannot be read, a piece cannot be placed, a
// king is missing or the side not to move is in check; the game then stays.
int loadPositionFile(board::GameBoard& game, const std::string& path);
// The same for a position text already open; `name` names it in messages.
int loadPosition(board::GameBoard& game, std::istream& text, const std::string& name);

// What start-up does after the command line.
enum class Startup {
    CommandLoop,  // go on to the command loop
    Analysis,     // a position was loaded: analyse it once and end
    Failed,       // end with status 1
    Usage,        // an unknown option: the usage line was printed, end with status 2
};

// The command line's usage, and the text of "--help".
inline constexpr const char* UsageLine =
    "usage: halberd [-hN] [-cN] [-tSECONDS] [-pFILE] [-fFILE] [-dDIR] | --help | --version | perft ... | bench ... | "
    "book "
    "...\n";
inline constexpr const char* HelpText =
    "Halberd 4.7, a chess engine for xboard and UCI interfaces and for the console.\n"
    "usage: halberd [options]        start the command loop (type help there)\n"
    "  -hN          hash tables of 2^(N+3) bytes (halberd.cfg: HASHTABLE=N gives 2^(N+4))\n"
    "  -cN          N search threads, 1 to 256 (halberd.cfg: THREADS=N)\n"
    "  -tSECONDS    thinking time of the analysis of -p or -f\n"
    "  -pFILE       analyse the position of a position file, then end\n"
    "  -fFILE       analyse the position after a game file, then end\n"
    "  -dDIR        endgame tablebase directories (';' between them); replaces the list\n"
    "               the program's directory and halberd.cfg's TABLEBASE= lines made\n"
    "  --help       this text;  --version  the version\n"
    "halberd.cfg beside the program: HASHTABLE= THREADS= TABLEBASE= TB_CACHE_SIZE= USE_BOOK=\n"
    "  RESIGN= LOGFILE= (LOGFILE=1 keeps the game log and the finished games as PGN)\n"
    "command words:\n"
    "  halberd perft DEPTH [FEN] [--slow]                move generator counts\n"
    "  halberd bench [DEPTH [THREADS [MILLIS]]] | bench eval [ROUNDS] | bench tb [DIR [THREADS]]\n"
    "  halberd epd FILE [--movetime MS | --depth N | --nodes N] [--threads N]\n"
    "                                                    solve a test suite (bm, am, dm)\n"
    "  halberd book make GAMES.pgn... -o BOOK [--max-ply N] [--min-games K] [--exclude FILE]\n"
    "  halberd book show [-b BOOK] FEN|startpos | book dump [-b BOOK]   opening book tools\n"
    "  halberd tb make CLASS... [-o DIR] [--compress] [-j N] | tb compress FILE...\n"
    "  halberd tb verify CLASS... [-d DIR] [-j N] | tb plan CLASS...   endgame tables\n";

// Reads the configuration, applies the options "-h" "-c" "-t" "-p" "-d" "-f" in
// order, and makes the search threads and allocates the hash tables (at "-f"
// already, so that a later "-h" or "-c" has no effect).
Startup readCommandLine(std::span<const std::string_view> arguments, board::GameBoard& game);

// The analysis the command line asked for: one search of the game with the
// thinking time of "-t" (six seconds otherwise), its thinking lines printed.
// Returns the exit status 0.
int runCommandLineAnalysis(board::GameBoard& game);

}  // namespace halberd::frontend
