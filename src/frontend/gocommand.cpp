#include "frontend/gocommand.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "board/notation.h"
#include "frontend/clock.h"
#include "frontend/gamelog.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/textnumber.h"
#include "frontend/thinking.h"
#include "frontend/uci.h"
#include "search/timecontrol.h"

namespace halberd::frontend {

namespace {

constexpr int MaxMateMoves = 500;
constexpr std::int64_t MaxNodes = INT64_MAX;  // the search counts nodes in 64 bits

constexpr std::array<std::string_view, 12> GoKeywords = {"WTIME",     "BTIME",    "WINC",     "BINC",
                                                         "MOVESTOGO", "MOVETIME", "DEPTH",    "NODES",
                                                         "MATE",      "PONDER",   "INFINITE", "SEARCHMOVES"};

bool isGoKeyword(std::string_view word) {
    return std::find(GoKeywords.begin(), GoKeywords.end(), word) != GoKeywords.end();
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos) break;
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        out.push_back(line.substr(start, end - start));
        pos = end;
    }
    return out;
}

std::int64_t boundedNumber(std::string_view text, std::int64_t high) {
    return std::clamp<std::int64_t>(leadingInteger64(text), 0, high);
}

}  // namespace

Next xboardGo(LoopState& state) {
    settleFinishedSearch();
    if (thinking.load() != 0 || state.game.gameResult != 0) return Next::ReadLine;
    GoRequest request;
    request.budget = allocateTime(timeControl(), state.game.plyCounter, analyzeMode.load() != 0);
    request.book = analyzeMode.load() == 0;
    startThinking(state.game, request);
    state.forceMode = false;
    return Next::ReadLine;
}

GoRequest uciSearchRequest(std::string_view line, const board::GameBoard& game) {
    GoRequest request;
    std::optional<std::int64_t> clock[2];
    std::int64_t increment[2] = {0, 0};
    // "movetime 0" asks for an answer at once: the shortest search.
    std::optional<std::int64_t> moveTime;
    int movesToGo = 0;
    const std::vector<std::string_view> tokens = words(line);
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        const std::string_view word = tokens[i];
        const std::string_view value = i + 1 < tokens.size() ? tokens[i + 1] : std::string_view();
        if (word == "WTIME" || word == "BTIME")
            clock[word[0] == 'W' ? board::White : board::Black] = boundedNumber(value, MaxClockMillis);
        else if (word == "WINC" || word == "BINC")
            increment[word[0] == 'W' ? board::White : board::Black] = boundedNumber(value, MaxClockMillis);
        else if (word == "MOVESTOGO")
            movesToGo = static_cast<int>(boundedNumber(value, MaxMovesPerPeriod));
        else if (word == "MOVETIME")
            moveTime = boundedNumber(value, MaxClockMillis);
        else if (word == "DEPTH")
            request.budget.depth = static_cast<int>(boundedNumber(value, NoDepthLimit));
        else if (word == "NODES")
            request.nodes = static_cast<std::uint64_t>(boundedNumber(value, MaxNodes));
        else if (word == "MATE")
            request.mateMoves = static_cast<int>(boundedNumber(value, MaxMateMoves));
        else if (word == "INFINITE")
            request.infinite = true;
        else if (word == "PONDER")
            request.ponder = true;
        else if (word == "SEARCHMOVES")
            for (; i + 1 < tokens.size() && !isGoKeyword(tokens[i + 1]); ++i)
                if (const board::Move move = board::parseCoordinate(moveToken(tokens[i + 1]), game.sideToMove))
                    request.searchMoves.push_back(move);
    }
    if (request.budget.depth == 0) request.budget.depth = NoDepthLimit;
    // The book answers a move the engine is to play, not an analysis.
    request.book = !request.infinite && settings().optAnalyseMode.load() == 0;
    const int side = game.sideToMove == board::White ? 0 : 1;
    // Without a clock or move time the search runs until its own limits or a stop.
    std::int64_t soft = search::UnlimitedMillis;
    std::int64_t hard = search::UnlimitedMillis;
    if (clock[side] && !request.infinite) {
        const Budget shared = uciClockBudget(*clock[side], increment[side], movesToGo, timeControl().moveOverheadMs);
        soft = shared.softMs;
        hard = shared.hardMs;
    }
    if (moveTime && !request.infinite)
        soft = hard = std::min(hard, fixedMoveMillis(*moveTime, timeControl().moveOverheadMs));
    request.budget.softMs = soft;
    request.budget.hardMs = hard;
    return request;
}

Next goCommand(LoopState& state) {
    if (uciMode.load() == 0) return xboardGo(state);
    settleFinishedSearch();
    if (thinking.load() != 0) return Next::ReadLine;
    if (state.game.gameResult != 0) {
        // A root without a move still gets its score, as interfaces show it.
        writeReply(rootWithoutMoveLine(state.game));
        writeReply("bestmove 0000\n");
        return Next::ReadLine;
    }
    startThinking(state.game, uciSearchRequest(state.line, state.game));
    state.forceMode = false;
    return Next::ReadLine;
}

}  // namespace halberd::frontend
