#include "frontend/uci.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "frontend/inputline.h"
#include "frontend/memory.h"
#include "frontend/settingcommands.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/textnumber.h"
#include "frontend/thinking.h"
#include "search/newgame.h"
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
std::string_view withoutBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
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

std::string moveToken(std::string_view token) {
    std::string text(token.substr(0, 4));
    if (token.size() > 4 && std::isalpha(static_cast<unsigned char>(token[4]))) text += token[4];
    return text;
}

std::string uciMoveText(board::Move move) { return lowerAscii(board::writeCoordinate(move)); }

void uciInfoString(std::string_view text) { writeReply("info string " + std::string(text) + "\n"); }

Next uciIdentify(LoopState&) {
    // The running search reads the mode to choose its output and its answer.
    stopThinking();
    uciMode.store(1);
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
    writeReply("readyok\n");
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
        const board::SetupStatus result = board::setupFromFen(game, text);
        if (!board::accepted(result)) {
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
        if (!setOptionDirectories(value))
            uciInfoString("NalimovPath " + std::string(value) + " does not fit in the tablebase directory list (" +
                          std::to_string(PathCapacity) + " characters at most); not added");
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
