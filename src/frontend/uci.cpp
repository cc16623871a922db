#include "frontend/uci.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "eval/pawntable.h"
#include "frontend/inputline.h"
#include "frontend/memory.h"
#include "frontend/settingcommands.h"
#include "frontend/settings.h"
#include "frontend/searchcommands.h"
#include "frontend/state.h"
#include "frontend/textnumber.h"
#include "search/ordering.h"
#include "search/transposition.h"

namespace halberd::frontend {

namespace {

constexpr std::string_view HashOption = "setoption name Hash value";
constexpr std::string_view PathOption = "setoption name NalimovPath";
constexpr std::string_view CacheOption = "setoption name NalimovCache value";
constexpr std::int64_t MiB = std::int64_t{1} << 20;
// Beyond the largest table; keeps the byte count from overflowing.
constexpr std::int64_t MaxMegabytes = std::int64_t{1} << 30;
// The game word that keeps GO from searching a set-up the interface did not send.
constexpr int RejectedSetup = 1;
// "go infinite": ten hours on every clock, in seconds and tenths.
constexpr int InfiniteSeconds = 360000;
constexpr int InfiniteTenths = 360000;
constexpr int MillisPerTenth = 100;
constexpr int MillisPerSecond = 1000;
constexpr auto HoldPoll = std::chrono::milliseconds(10);

// Set by the go line for the thinking thread it starts, with the stop count of then.
std::atomic<bool> infiniteSearch{false};
std::atomic<unsigned> stopsAtGo{0};

// The number after a keyword of the line, when the keyword is there.
std::optional<int> goValue(std::string_view line, std::string_view keyword) {
    const auto at = line.find(keyword);
    if (at == std::string_view::npos) return std::nullopt;
    return leadingInteger(line.substr(at + keyword.size()));
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
    writeReply("id name " + std::string(EngineName) +
               "\n"
               "id author the Halberd authors\n"
               "option name NalimovPath type string default\n"
               "option name NalimovCache type spin default 4 min 1 max 16\n"
               "option name Hash type spin default 128 min 30 max 1000\n"
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
            std::clamp<std::int64_t>(leadingInteger64(line.substr(HashOption.size())), 0, MaxMegabytes);
        stopThinking();
        resizeHashTables(megabytes * MiB);
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

Next uciNewGame(LoopState& state) {
    stopThinking();
    search::ttClear();
    eval::pawnTableClear();
    search::clearHistory();
    search::clearKillers();
    state.game.uciNewGamePending = 1;
    timeControl().incrementTenths = 0;
    timeControl().movesPerPeriod = 0;
    return Next::ReadLine;
}

bool applyGoParameters(std::string_view line, TimeControl& control, board::GameBoard& game) {
    const bool pending = game.uciNewGamePending != 0;
    const auto setClock = [&](int millis, board::Colour owner) {
        if (game.sideToMove == owner) {
            control.engineClock = millis / MillisPerTenth;
            if (pending) control.baseSeconds = millis / MillisPerSecond;
        } else {
            control.opponentClock = millis / MillisPerTenth;
        }
    };
    if (const auto w = goValue(line, "WTIME")) setClock(*w, board::White);
    if (const auto b = goValue(line, "BTIME")) setClock(*b, board::Black);
    // The White increment serves either side when both are given.
    if (const auto inc = goValue(line, "WINC"))
        control.incrementTenths = *inc / MillisPerTenth;
    else if (const auto binc = goValue(line, "BINC"))
        control.incrementTenths = *binc / MillisPerTenth;
    if (const auto moves = goValue(line, "MOVESTOGO"); moves && pending)
        control.movesPerPeriod = *moves != 0 ? game.plyCounter / 2 + *moves : 0;
    const auto endlessClock = [&] {
        control.baseSeconds = InfiniteSeconds;
        control.engineClock = control.opponentClock = InfiniteTenths;
    };
    const bool infinite = line.find("INFINITE") != std::string_view::npos;
    if (infinite) endlessClock();
    const auto movetime = goValue(line, "MOVETIME");
    if (movetime) control.engineClock = control.opponentClock = control.baseSeconds = *movetime / MillisPerTenth;
    // "depth" limits this search only; without a clock it has all the time it needs
    // and, unlike "infinite", answers as soon as it is done.
    const auto depth = goValue(line, "DEPTH");
    control.depthLimit = depth ? std::clamp(*depth, 0, NoDepthLimit) : 0;
    const bool clockGiven = infinite || movetime || line.find("WTIME") != std::string_view::npos ||
                            line.find("BTIME") != std::string_view::npos;
    if (depth && !clockGiven) endlessClock();
    game.uciNewGamePending = 0;
    return infinite;
}

Next goCommand(LoopState& state) {
    if (state.game.uciMode == 0 || thinking.load() != 0) return xboardGo(state);
    if (state.game.gameResult != 0) {
        writeReply("bestmove 0000\n");
        return Next::ReadLine;
    }
    infiniteSearch.store(applyGoParameters(state.line, timeControl(), state.game));
    stopsAtGo.store(stopCount.load());
    return xboardGo(state);
}

void uciBestMove(board::Move move) {
    // An infinite search answers only when told to stop.
    if (infiniteSearch.load())
        while (stopCount.load() == stopsAtGo.load()) std::this_thread::sleep_for(HoldPoll);
    writeReply("bestmove " + (move == board::NoMove ? std::string("0000") : uciMoveText(move)) + "\n");
}

}  // namespace halberd::frontend
