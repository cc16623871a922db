#include "frontend/uci.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "frontend/clock.h"
#include "frontend/inputline.h"
#include "frontend/memory.h"
#include "frontend/positionproblem.h"
#include "frontend/settingcommands.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/textnumber.h"
#include "frontend/thinking.h"
#include "frontend/variant.h"
#include "search/newgame.h"
#include "search/threads.h"
#include "search/transposition.h"

namespace halberd::frontend {

namespace {

constexpr std::string_view PathOption = "setoption name NalimovPath";
constexpr std::int64_t MiB = std::int64_t{1} << 20;
// The hash sizes the option offers, in MiB: what the tables can be given.
constexpr std::int64_t MinHashMegabytes = search::TTMinBytes / MiB;
constexpr std::int64_t MaxHashMegabytes = search::TTMaxBytes / MiB;
constexpr std::int64_t MinCacheMegabytes = 1;
constexpr std::int64_t MaxCacheMegabytes = 16;

// "setoption name NAME [value VALUE]": the name (it may hold spaces, as in
// "Move Overhead") and the value, without the blanks around them.
struct OptionLine {
    std::string_view name;
    std::string_view value;
};

bool sameAnyCase(std::string_view a, std::string_view b) { return a.size() == b.size() && startsWithAnyCase(a, b); }

OptionLine splitOptionLine(std::string_view line) {
    std::string_view rest = withoutBlanksAround(line.substr(std::string_view("setoption").size()));
    if (startsWithAnyCase(rest, "name ")) rest = withoutBlanksAround(rest.substr(5));
    for (std::size_t at = rest.find(' '); at != std::string_view::npos; at = rest.find(' ', at + 1)) {
        const std::string_view after = rest.substr(at + 1);
        if (startsWithAnyCase(after, "value") && (after.size() == 5 || after[5] == ' '))
            return {withoutBlanksAround(rest.substr(0, at)), withoutBlanksAround(after.substr(5))};
    }
    return {rest, {}};
}
// The game word that keeps GO from searching a set-up the interface did not send.
constexpr int RejectedSetup = 1;
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

std::string uciMoveText(board::Move move) { return lowerAscii(engineMoveText(move, true)); }

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
               "option name Threads type spin default " +
               std::to_string(search::threadCount()) + " min 1 max " + std::to_string(search::MaxThreads) +
               "\n"
               "option name MultiPV type spin default 1 min 1 max " +
               std::to_string(MaxMultiPv) +
               "\n"
               "option name Ponder type check default " +
               (settings().optPonder.load() != 0 ? "true" : "false") +
               "\n"
               "option name OwnBook type check default " +
               (settings().optUseBook.load() != 0 ? "true" : "false") +
               "\n"
               "option name UCI_AnalyseMode type check default false\n"
               "option name UCI_Chess960 type check default false\n"
               "option name Move Overhead type spin default " +
               std::to_string(DefaultMoveOverheadMs) + " min 0 max " + std::to_string(MaxMoveOverheadMs) +
               "\n"
               "option name Clear Hash type button\n"
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
        game.chess960 = chess960();
        board::resetGameToStart(game);
        board::listLegalMoves(game);
        state.forceMode = false;
    }
    if (keywords.find("startpos") == std::string::npos && fen != std::string::npos) {
        const std::string text = fen + 4 < state.line.size() ? state.line.substr(fen + 4) : "";
        const board::SetupStatus result = board::setupFromFen(game, text);
        if (!board::accepted(result)) {
            uciInfoString(illegalPositionText(result, text));
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
    if (startsWithAnyCase(line, PathOption)) {
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
        return Next::ReadLine;
    }
    const OptionLine option = splitOptionLine(line);
    // A value of the wrong kind is told and changes nothing.
    const auto tellBadValue = [&option] {
        uciInfoString("bad value for " + std::string(option.name) + ": " + std::string(option.value));
    };
    // A spin value is held to the range the option offers.
    const auto spin = [&](std::int64_t low, std::int64_t high) -> std::optional<std::int64_t> {
        const auto number = integerTextWithin(option.value, low, high);
        if (!number) tellBadValue();
        return number;
    };
    const auto check = [&](std::atomic<int>& flag) {
        const bool on = sameAnyCase(option.value, "true");
        if (on || sameAnyCase(option.value, "false"))
            flag.store(on ? 1 : 0);
        else
            tellBadValue();
    };
    if (sameAnyCase(option.name, "Hash")) {
        if (const auto megabytes = spin(MinHashMegabytes, MaxHashMegabytes)) {
            stopThinking();
            if (const std::string fallBack = resizeHashTablesSaying(*megabytes); !fallBack.empty())
                uciInfoString(fallBack);
        }
    } else if (sameAnyCase(option.name, "NalimovCache")) {
        if (const auto megabytes = spin(MinCacheMegabytes, MaxCacheMegabytes))
            setTablebaseCacheMegabytes(settings(), static_cast<int>(*megabytes));
    } else if (sameAnyCase(option.name, "Threads")) {
        if (const auto threads = spin(1, search::MaxThreads)) {
            stopThinking();
            if (!setSearchThreads(static_cast<int>(*threads)))
                uciInfoString("memory for a search thread's pawn table could not be allocated");
        }
    } else if (sameAnyCase(option.name, "MultiPV")) {
        if (const auto count = spin(1, MaxMultiPv)) settings().multiPv.store(static_cast<int>(*count));
    } else if (sameAnyCase(option.name, "Move Overhead")) {
        if (const auto millis = spin(0, MaxMoveOverheadMs)) timeControl().moveOverheadMs = *millis;
    } else if (sameAnyCase(option.name, "Ponder")) {
        check(settings().optPonder);
    } else if (sameAnyCase(option.name, "OwnBook")) {
        check(settings().optUseBook);
    } else if (sameAnyCase(option.name, "UCI_AnalyseMode")) {
        check(settings().optAnalyseMode);
    } else if (sameAnyCase(option.name, "UCI_Chess960")) {
        stopThinking();
        check(settings().chess960);
        state.game.chess960 = chess960();
    } else if (sameAnyCase(option.name, "Clear Hash")) {
        stopThinking();
        search::newGame();
    } else {
        uciInfoString("unknown option " + std::string(option.name));
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
