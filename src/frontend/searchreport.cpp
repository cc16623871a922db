#include "frontend/searchreport.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "board/notation.h"
#include "frontend/variant.h"
#include "search/root.h"
#include "search/search.h"
#include "search/timecontrol.h"

namespace halberd::frontend {

std::atomic<int> postMode{0};

namespace {

constexpr int MaxPvMoves = 63;

void writeLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

std::string uciScoreText(int score) {
    char text[32];
    if (score >= search::MateBound + 1)
        std::snprintf(text, sizeof text, "mate %d", (search::MateScore - 1 - score) / 2 + 1);
    else if (score < -search::MateBound)
        std::snprintf(text, sizeof text, "mate %d", -((score + search::MateScore - 1) / 2) - 1);
    else
        std::snprintf(text, sizeof text, "cp %d", score * 100 / board::PawnValue);
    return text;
}

int xboardScore(int score) {
    if (score >= search::MateBound + 1) return (search::MateScore - 1 - score) / 2 + 100001;
    if (score < -search::MateBound) return -((score + search::MateScore - 1) / 2) - 100001;
    return score * 100 / board::PawnValue;
}

void appendPv(std::string& out, const board::Move* pv, search::LineMark mark) {
    for (int i = 0; i < MaxPvMoves && pv[i] != 0; ++i) {
        out += engineMoveText(pv[i]);
        if (i == 0 && mark == search::LineMark::FailHigh) out += '!';
        if (i == 0 && mark == search::LineMark::FailLow) out += '?';
        out += ' ';
    }
}

std::string formatSearchLine(const search::IterationReport& facts, int protocol) {
    using search::LineMark;
    const std::uint32_t ms = facts.elapsedMs < 1 ? 1 : facts.elapsedMs;
    char head[160];
    if (facts.currentMove) {
        if (protocol != ProtocolUci) return {};
        std::string move = engineMoveText(facts.pv[0]);
        for (char& c : move) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return "info depth " + std::to_string(facts.depth) + " currmove " + move + " currmovenumber " +
               std::to_string(facts.multiPv) + "\n";
    }
    if (protocol == ProtocolUci) {
        // UCI moves are plain coordinates with lower-case promotion letters; a
        // fail high or low is told by the score's bound, not by a mark on a move.
        const char* bound = facts.mark == LineMark::FailHigh  ? " lowerbound"
                            : facts.mark == LineMark::FailLow ? " upperbound"
                                                              : "";
        // In two steps: a count near 2^64 times a thousand would wrap.
        const std::uint64_t nps = facts.nodes / ms * 1000 + facts.nodes % ms * 1000 / ms;
        const std::string rank = facts.multiPv > 0 ? " multipv " + std::to_string(facts.multiPv) : std::string();
        std::snprintf(head, sizeof head,
                      "info depth %d%s score %s%s seldepth %d time %u nodes %llu nps %llu hashfull %d pv ",
                      facts.depth, rank.c_str(), uciScoreText(facts.score).c_str(), bound,
                      std::max(facts.selectiveDepth, facts.depth), ms, static_cast<unsigned long long>(facts.nodes),
                      static_cast<unsigned long long>(nps), facts.hashfull);
        std::string line = head;
        if (facts.tbHits > 0) line.insert(line.size() - 4, " tbhits " + std::to_string(facts.tbHits));
        std::string moves;
        appendPv(moves, facts.pv.data(), LineMark::None);
        for (char& c : moves) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return line + moves + '\n';
    }
    std::snprintf(head, sizeof head, "%d %3d %5u %7llu\t", facts.depth, xboardScore(facts.score), ms / 10,
                  static_cast<unsigned long long>(facts.nodes));
    std::string line = head;
    appendPv(line, facts.pv.data(), facts.mark);
    line += '\n';
    return line;
}

search::Reporter searchLinePrinter(int protocol) {
    return [protocol](const search::IterationReport& facts) {
        if (postMode.load(std::memory_order_relaxed) == 0) return;
        writeLine(formatSearchLine(facts, protocol));
    };
}

std::string formatStat01(std::uint32_t elapsedMs, std::uint32_t moves, int depth, int movesLeft, int movesTotal,
                         board::Move current) {
    const std::string move = current != 0 ? engineMoveText(current) : std::string();
    char line[160];
    std::snprintf(line, sizeof line, "stat01: %d %u %d %d %d %s\n", static_cast<int>(elapsedMs / 10), moves, depth,
                  movesLeft, movesTotal, move.c_str());
    return line;
}

void printStat01(const search::Session& session) {
    const search::RootStatus status = search::rootStatus(session);
    writeLine(formatStat01(search::nowMillis() - status.searchStartMillis, status.movesSearched, status.iterationDepth,
                           status.rootMovesLeft, status.rootMoveCount, status.currentRootMove));
}

}  // namespace halberd::frontend
