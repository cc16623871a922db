#include "search/output.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "board/notation.h"
#include "search/root.h"
#include "search/search.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace halberd::search {

std::atomic<int> postMode{0};

namespace {

constexpr int MaxPvMoves = 63;

// "e2e4", "e7e8Q": the promotion letter comes from the piece-letter table.
void appendMove(std::string& out, board::Move move) {
    const int from = board::moveFrom(move);
    const int to = board::moveTo(move);
    out += static_cast<char>('a' + board::fileOf(from));
    out += static_cast<char>('1' + board::rankOf(from));
    out += static_cast<char>('a' + board::fileOf(to));
    out += static_cast<char>('1' + board::rankOf(to));
    if (board::isPromotion(move)) out += board::PieceLetters[board::moveKind(move) - 3];
}

void writeLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

std::string uciScoreText(int score) {
    char text[32];
    if (score >= MateBound + 1)
        std::snprintf(text, sizeof text, "mate %d", (MateScore - 1 - score) / 2 + 1);
    else if (score < -MateBound)
        std::snprintf(text, sizeof text, "mate %d", -((score + MateScore - 1) / 2) - 1);
    else
        std::snprintf(text, sizeof text, "cp %d", score * 100 / board::PawnValue);
    return text;
}

int xboardScore(int score) {
    if (score >= MateBound + 1) return (MateScore - 1 - score) / 2 + 100001;
    if (score < -MateBound) return -((score + MateScore - 1) / 2) - 100001;
    return score * 100 / board::PawnValue;
}

void appendPv(std::string& out, const board::Move* pv, LineMark mark) {
    for (int i = 0; i < MaxPvMoves && pv[i] != 0; ++i) {
        appendMove(out, pv[i]);
        if (i == 0 && mark == LineMark::FailHigh) out += '!';
        if (i == 0 && mark == LineMark::FailLow) out += '?';
        out += ' ';
    }
}

std::string formatSearchLine(int score, std::uint32_t elapsedMs, int depth, std::uint32_t nodes, int protocol,
                             LineMark mark, const board::Move* pv, int selDepth, int hashfull) {
    const std::uint32_t ms = elapsedMs < 1 ? 1 : elapsedMs;
    char head[160];
    if (protocol == ProtocolUci) {
        // UCI moves are plain coordinates with lower-case promotion letters; a
        // fail high or low is told by the score's bound, not by a mark on a move.
        const char* bound = mark == LineMark::FailHigh ? " lowerbound" : mark == LineMark::FailLow ? " upperbound" : "";
        const auto nps = static_cast<unsigned long long>(nodes) * 1000 / ms;
        std::snprintf(head, sizeof head, "info depth %d score %s%s seldepth %d time %u nodes %u nps %llu hashfull %d pv ",
                      depth, uciScoreText(score).c_str(), bound, std::max(selDepth, depth), ms, nodes, nps, hashfull);
        std::string line = head;
        std::string moves;
        appendPv(moves, pv, LineMark::None);
        for (char& c : moves) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return line + moves + '\n';
    }
    std::snprintf(head, sizeof head, "%d %3d %5u %7u\t", depth, xboardScore(score), ms / 10, nodes);
    std::string line = head;
    appendPv(line, pv, mark);
    line += '\n';
    return line;
}

void printSearchLine(std::uint32_t rootWord, std::uint32_t elapsedMs, int depth, int protocol, LineMark mark) {
    if (postMode.load(std::memory_order_relaxed) == 0) return;
    const PvArray pv = displayedPv();
    const int hashfull = protocol == ProtocolUci ? ttHashfull() : 0;
    writeLine(formatSearchLine(pvWordScore(rootWord), elapsedMs, depth, counters.nodes.load(std::memory_order_relaxed),
                               protocol, mark, pv.data(), counters.selectiveDepth, hashfull));
}

std::string formatStat01(std::uint32_t elapsedMs, std::uint32_t moves, int depth, int movesLeft, int movesTotal,
                         board::Move current) {
    std::string move;
    if (current != 0) appendMove(move, current);
    char line[160];
    std::snprintf(line, sizeof line, "stat01: %d %u %d %d %d %s\n", static_cast<int>(elapsedMs / 10), moves, depth,
                  movesLeft, movesTotal, move.c_str());
    return line;
}

void printStat01() {
    const RootStatus status = rootStatus();
    writeLine(formatStat01(nowMillis() - status.searchStartMillis, counters.movesSearched.load(std::memory_order_relaxed),
                           status.iterationDepth, status.rootMovesLeft, status.rootMoveCount,
                           counters.currentRootMove.load(std::memory_order_relaxed)));
}

}  // namespace halberd::search
