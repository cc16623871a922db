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
#include "frontend/tablebases.h"
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
std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Plays the moves of a position line; the first token that is not a legal
// move (a SAN text, a square alone, a wrong move) is told and refuses the list.
bool playPositionMoves(board::GameBoard& game, std::string_view moves) {
    std::size_t pos = 0;
    while (pos < moves.size()) {
        if (isBlank(moves[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < moves.size() && !isBlank(moves[end])) ++end;
        const std::string_view token = moves.substr(pos, end - pos);
        pos = end;
        const std::string text = moveToken(token);
        const board::Move move =
            text.size() == token.size() ? board::parseCoordinate(text, game.sideToMove) : board::NoMove;
        const int result = move == board::NoMove ? board::ResultNoSuchMove : board::playGameMove(game, move);
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
               "option name Clear Hash type button\n");
    tellTablesFound();
    writeReply("uciok\n");
    return Next::ReadLine;
}

Next uciIsReady(LoopState&) {
    writeReply("readyok\n");
    return Next::ReadLine;
}

Next uciPosition(LoopState& state) {
    // Keywords in any case; the FEN keeps its own.
    const std::string keywords = lowerAscii(state.line);
    const auto fen = keywords.find("fen");
    const bool startpos = keywords.find("startpos") != std::string::npos;
    const auto moves = keywords.find("moves");
    if (!startpos && fen == std::string::npos && moves == std::string::npos) return Next::ReadLine;
    stopThinking();
    // The line is played on a copy: a refused set-up or move list leaves the
    // game the interface sent before, so that go still answers for it.
    board::GameBoard candidate = state.game;
    if (startpos || fen != std::string::npos) {
        candidate.chess960 = chess960();
        board::resetGameToStart(candidate);
        board::listLegalMoves(candidate);
    }
    if (!startpos && fen != std::string::npos) {
        const std::string text = fen + 4 < state.line.size() ? state.line.substr(fen + 4) : "";
        const board::SetupStatus result = board::setupFromFen(candidate, text);
        if (!board::accepted(result)) {
            uciInfoString(illegalPositionText(result, text));
            return Next::ReadLine;
        }
    }
    if (moves != std::string::npos && !playPositionMoves(candidate, std::string_view(state.line).substr(moves + 5)))
        return Next::ReadLine;
    state.game = std::move(candidate);
    if (startpos || fen != std::string::npos) state.forceMode = false;
    return Next::ReadLine;
}

Next uciDebug(LoopState& state) {
    // The engine has no debugging output to switch; the command is known all the same.
    const std::string_view word = withoutBlanksAround(std::string_view(state.line).substr(5));
    if (word != "ON" && word != "OFF" && !word.empty()) uciInfoString("bad value for debug: " + std::string(word));
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
    // A spin value is held to the range the option offers, and the interface told so.
    const auto spin = [&](std::int64_t low, std::int64_t high) -> std::optional<std::int64_t> {
        const auto number = integerText(option.value);
        if (!number) {
            tellBadValue();
            return std::nullopt;
        }
        if (const std::string note = outOfRangeNote(option.name, *number, low, high); !note.empty())
            uciInfoString(note);
        return std::clamp(*number, low, high);
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
        // 0 is the old way of leaving the cache as it is.
        if (integerText(option.value) == 0)
            uciInfoString("NalimovCache 0 leaves the cache at " + std::to_string(settings().tbCacheBytes >> 20) + " MB");
        else if (const auto megabytes = spin(MinCacheMegabytes, MaxCacheMegabytes))
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
    const std::shared_ptr<search::Session> session = runningSession();
    // The pondering search goes on with the time its go gave.
    if (thinking.load() != 0 && session && session->pondering())
        session->ponderHit(session->limits.softMs, session->limits.hardMs);
    return Next::ReadLine;
}

void uciBestMove(board::Move move, board::Move ponder) {
    std::string line = "bestmove " + (move == board::NoMove ? std::string("0000") : uciMoveText(move));
    if (move != board::NoMove && ponder != board::NoMove && settings().optPonder.load() != 0)
        line += " ponder " + uciMoveText(ponder);
    writeReply(line + "\n");
}

}  // namespace halberd::frontend
