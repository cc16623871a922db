#include "frontend/uci.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <vector>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "frontend/inputline.h"
#include "frontend/memory.h"
#include "frontend/settingcommands.h"
#include "frontend/settings.h"
#include "frontend/searchcommands.h"
#include "frontend/state.h"
#include "frontend/textnumber.h"
#include "frontend/thinking.h"
#include "search/newgame.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace halberd::frontend {

namespace {

constexpr std::string_view HashOption = "setoption name Hash value";
constexpr std::string_view PathOption = "setoption name NalimovPath";
constexpr std::string_view CacheOption = "setoption name NalimovCache value";
constexpr std::int64_t MiB = std::int64_t{1} << 20;
constexpr std::string_view PonderOption = "setoption name Ponder value";
// The hash sizes the option offers, in MiB: what the tables can be given.
constexpr std::int64_t MinHashMegabytes = search::TTMinBytes / MiB;
constexpr std::int64_t MaxHashMegabytes = search::TTMaxBytes / MiB;
// The game word that keeps GO from searching a set-up the interface did not send.
constexpr int RejectedSetup = 1;
constexpr int MaxMateMoves = 500;
constexpr std::int64_t MaxNodes = 0xFFFFFFFFll;  // the search counts nodes in 32 bits

constexpr std::array<std::string_view, 12> GoKeywords = {"WTIME", "BTIME", "WINC",   "BINC",     "MOVESTOGO",
                                                         "MOVETIME", "DEPTH", "NODES", "MATE", "PONDER",
                                                         "INFINITE", "SEARCHMOVES"};

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

std::string_view withoutBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

std::int64_t boundedNumber(std::string_view text, std::int64_t high) {
    return std::clamp<std::int64_t>(leadingInteger64(text), 0, high);
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A move token: its first four characters, and the fifth when it is a letter.
std::string moveToken(std::string_view token) {
    std::string text(token.substr(0, 4));
    if (token.size() > 4 && std::isalpha(static_cast<unsigned char>(token[4]))) text += token[4];
    return text;
}

void rejectGame(board::GameBoard& game) {
    game.gameResult = RejectedSetup;
    game.legalMoves[0] = board::NoMove;
}

// Plays the moves of a position line; false after the first one that is not legal.
bool playPositionMoves(board::GameBoard& game, std::string_view moves) {
    std::size_t pos = 0;
    while (pos < moves.size()) {
        const std::size_t end = std::min(moves.find(' ', pos), moves.size());
        const std::string_view token = moves.substr(pos, end - pos);
        pos = end + 1;
        const board::Move move = board::parseCoordinate(moveToken(token), game.sideToMove);
        if (move == board::NoMove) continue;
        const int result = board::playGameMove(game, move);
        if (result < 0 || result == board::ResultNeedsPromotion) {
            uciInfoString("Illegal move " + std::string(token));
            return false;
        }
    }
    return true;
}

}  // namespace

std::string uciMoveText(board::Move move) { return lowerAscii(board::writeCoordinate(move)); }

void uciInfoString(std::string_view text) { writeReply("info string " + std::string(text) + "\n"); }

Next uciIdentify(LoopState& state) {
    // The running search reads the mode to choose its output and its answer.
    stopThinking();
    state.game.uciMode = 1;
    postMode.store(1);
    const std::int64_t hashDefault = search::ttSizes(hashBytesForExponent(settings().hashExponent)).bytes / MiB;
    writeReply("id name " + std::string(EngineName) +
               "\n"
               "id author the Halberd authors\n"
               "option name NalimovPath type string default\n"
               "option name NalimovCache type spin default 4 min 1 max 16\n"
               "option name Hash type spin default " +
               std::to_string(hashDefault) + " min " + std::to_string(MinHashMegabytes) + " max " +
               std::to_string(MaxHashMegabytes) +
               "\n"
               "option name Ponder type check default " +
               (settings().optPonder.load() != 0 ? "true" : "false") +
               "\n"
               "uciok\n");
    return Next::ReadLine;
}

Next uciIsReady(LoopState&) {
    pendingReply = "readyok\n";
    flushPendingReply();
    return Next::ReadLine;
}

Next uciPosition(LoopState& state) {
    board::GameBoard& game = state.game;
    // Keywords in any case; the FEN keeps its own.
    const std::string keywords = lowerAscii(state.line);
    const auto fen = keywords.find("fen");
    if (keywords.find("startpos") != std::string::npos || fen != std::string::npos) {
        stopThinking();
        board::resetGameToStart(game);
        board::listLegalMoves(game);
        state.forceMode = false;
    }
    if (keywords.find("startpos") == std::string::npos && fen != std::string::npos) {
        const std::string text = fen + 4 < state.line.size() ? state.line.substr(fen + 4) : "";
        const int result = board::setupFromFen(game, text);
        if (result < 0 || (result & static_cast<int>(board::IllegalFlag)) != 0) {
            uciInfoString("Illegal position " + std::to_string(result));
            rejectGame(game);
            return Next::ReadLine;
        }
    }
    const auto moves = keywords.find("moves");
    if (moves == std::string::npos) return Next::ReadLine;
    stopThinking();
    if (!playPositionMoves(game, std::string_view(state.line).substr(moves + 5))) rejectGame(game);
    return Next::ReadLine;
}

Next uciStop(LoopState&) {
    stopThinking();
    return Next::ReadLine;
}

Next uciSetoption(LoopState& state) {
    const std::string_view line = state.line;
    if (startsWithAnyCase(line, HashOption)) {
        const std::int64_t megabytes =
            std::clamp(leadingInteger64(line.substr(HashOption.size())), MinHashMegabytes, MaxHashMegabytes);
        stopThinking();
        if (!allocateHashTables(megabytes * MiB)) {
            resizeHashTables(search::TTMinBytes);
            uciInfoString("Hash of " + std::to_string(megabytes) + " MB could not be allocated; " +
                          std::to_string(MinHashMegabytes) + " MB in use");
        }
    } else if (startsWithAnyCase(line, PonderOption)) {
        settings().optPonder.store(startsWithAnyCase(withoutBlanks(line.substr(PonderOption.size())), "true") ? 1 : 0);
    } else if (startsWithAnyCase(line, PathOption)) {
        std::string_view value = line.substr(PathOption.size());
        if (value.starts_with(' ')) value.remove_prefix(1);
        if (startsWithAnyCase(value, "value")) {
            value.remove_prefix(5);
            if (value.starts_with(' ')) value.remove_prefix(1);
        }
        stopThinking();
        addTablebaseDirectory(value);
    } else if (startsWithAnyCase(line, CacheOption)) {
        setTablebaseCacheMegabytes(settings(), leadingInteger(line.substr(CacheOption.size())));
    }
    return Next::ReadLine;
}

Next uciNewGame(LoopState&) {
    stopThinking();
    search::newGame();
    return Next::ReadLine;
}

SearchRequest uciSearchRequest(std::string_view line, const board::GameBoard& game) {
    SearchRequest request;
    std::optional<std::int64_t> clock[2];
    std::int64_t increment[2] = {0, 0};
    std::int64_t moveTime = 0;
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
    const int side = game.sideToMove == board::White ? 0 : 1;
    // Without a clock or move time the search runs until its own limits or a stop.
    std::int64_t soft = search::UnlimitedMillis;
    std::int64_t hard = search::UnlimitedMillis;
    if (clock[side] && !request.infinite) {
        const Budget shared = uciClockBudget(*clock[side], increment[side], movesToGo);
        soft = shared.softMs;
        hard = shared.hardMs;
    }
    if (moveTime > 0 && !request.infinite) soft = hard = std::min(hard, fixedMoveMillis(moveTime));
    request.budget.softMs = soft;
    request.budget.hardMs = hard;
    return request;
}

Next goCommand(LoopState& state) {
    if (state.game.uciMode == 0) return xboardGo(state);
    settleFinishedSearch();
    if (thinking.load() != 0) return Next::ReadLine;
    if (state.game.gameResult != 0) {
        writeReply("bestmove 0000\n");
        return Next::ReadLine;
    }
    nextSearch() = uciSearchRequest(state.line, state.game);
    startThinking(state.game);
    state.forceMode = false;
    return Next::ReadLine;
}

Next uciPonderHit(LoopState&) {
    if (thinking.load() != 0 && search::pondering())
        search::ponderHit(nextSearch().budget.softMs, nextSearch().budget.hardMs);
    return Next::ReadLine;
}

void uciBestMove(board::Move move, board::Move ponder) {
    std::string line = "bestmove " + (move == board::NoMove ? std::string("0000") : uciMoveText(move));
    if (move != board::NoMove && ponder != board::NoMove && settings().optPonder.load() != 0)
        line += " ponder " + uciMoveText(ponder);
    writeReply(line + "\n");
}

}  // namespace halberd::frontend
