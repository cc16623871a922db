#pragma once
// The search's progress in the protocols' words: xboard thinking lines, UCI
// info lines and the xboard analysis status line.
#include <atomic>
#include <cstdint>
#include <string>

#include "board/types.h"
#include "search/report.h"
#include "search/session.h"

namespace halberd::frontend {

// Thinking lines are printed only while posting is on (xboard "post", always in UCI).
extern std::atomic<int> postMode;

constexpr int ProtocolXboard = 0;
constexpr int ProtocolUci = 1;

// Score forms: UCI "mate n" / "cp n", xboard centipawns or 100000 + moves to mate.
std::string uciScoreText(int score);
int xboardScore(int score);

// Appends the variation (0-terminated, at most 63 moves) in coordinate notation,
// with the mark after the first move and a space after every move.
void appendPv(std::string& out, const board::Move* pv, search::LineMark mark);

// One thinking line, newline included. The UCI form also carries the selective
// depth, the nodes per second and the hash table's use in thousandths.
std::string formatSearchLine(const search::IterationReport& facts, int protocol);

// The reporter that prints each report as a line of the protocol, while posting
// is on; flushes.
search::Reporter searchLinePrinter(int protocol);

// "stat01: time nodes depth movesLeft movesTotal move" for the running (or last) search.
std::string formatStat01(std::uint32_t elapsedMs, std::uint32_t moves, int depth, int movesLeft, int movesTotal,
                         board::Move current);
void printStat01(const search::Session& session);

}  // namespace halberd::frontend
