#include "frontend/pgngame.h"
#include "frontend/gamelog.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <mutex>

#include "board/diagnostics.h"
#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "frontend/consolecommands.h"
#include "frontend/inputline.h"
#include "frontend/state.h"
#include "frontend/variant.h"
#include "search/root.h"
#include "search/search.h"

namespace halberd::frontend {

namespace {

// The log is written by the command loop and by the thinking thread (engine
// moves, internal errors); one lock keeps entries whole and the stream alive.
std::mutex logLock;
std::FILE* openLogFile = nullptr;

// The variation of the last commented engine move.
std::mutex lastLoggedLock;
search::PvArray lastLoggedPv{};

constexpr std::size_t GameFileLineLimit = 255;

void logDiagnostic(const char* line) { writeLog(line); }

// Says once, on standard error, that the log cannot be written and why; the
// game goes on without it. Called under logLock.
bool logFaultTold = false;
void reportLogFault(int error) {
    if (logFaultTold) return;
    logFaultTold = true;
    std::fprintf(stderr, "The game log %s cannot be written: %s\n", logFileName().c_str(), std::strerror(error));
    std::fflush(stderr);
}

bool sameVariation(const search::PvArray& a, const search::PvArray& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return false;
        if (a[i] == 0) return true;
    }
    return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t skipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    return pos;
}

std::size_t tokenEnd(std::string_view text, std::size_t pos) {
    while (pos < text.size() && !isBlank(text[pos])) ++pos;
    return pos;
}

// The FEN of a "[FEN" line: after "[FEN" or "[FEN:", also in the PGN form
// [FEN "..."] whose quotes and bracket are no part of the position.
std::string fenOfTag(std::string_view line) {
    std::string_view text = line.substr(4);
    if (!text.empty() && text[0] == ':') text.remove_prefix(1);
    text.remove_prefix(std::min(skipBlanks(text, 0), text.size()));
    if (!text.empty() && text[0] == '"') text.remove_prefix(1);
    while (!text.empty() && (text.back() == ']' || text.back() == '"' || isBlank(text.back()))) text.remove_suffix(1);
    return std::string(text);
}

// Plays the moves of one game-file line; stops at the end, at a "." or at a
// token that names no move. Returns the first non-zero result of a move, or
// GameFileNotGame when the line's first move is none.
int playMoveLine(board::GameBoard& game, std::string_view line) {
    std::size_t pos = 0;
    for (bool first = true;; first = false) {
        pos = skipBlanks(line, pos);
        while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos])))
            pos = skipBlanks(line, tokenEnd(line, pos));
        if (pos >= line.size() || line[pos] == '.') return 0;
        const std::size_t end = tokenEnd(line, pos);
        const board::Move move = board::parseCoordinate(std::string(line.substr(pos, end - pos)), game.sideToMove);
        if (move == board::NoMove) return first ? GameFileNotGame : 0;
        if (const int result = board::playGameMove(game, move); result != board::ResultPlayed) return result;
        pos = end;
    }
}

// Diagram letters indexed by piece type; both pawn types show as a pawn.
constexpr std::string_view FrenchLetters = "rdtfcpp";

}  // namespace

std::string resultLine(int code, std::string_view moveText, int sideToMove) {
    switch (code) {
        case board::ResultLeavesKingAttacked: return "Illegal move (error): " + std::string(moveText) + "\n";
        case board::ResultNoSuchMove: return "Illegal move: " + std::string(moveText) + "\n";
        case board::ResultNeedsPromotion: return "Illegal move (promote?): " + std::string(moveText) + "\n";
        case board::ResultMate: return sideToMove == board::Black ? "1-0 {White mates}\n" : "0-1 {Black mates}\n";
        case board::ResultStalemate: return "1/2-1/2 {Stalemate}\n";
        case board::ResultRepetition: return "1/2-1/2 {Triple repetition}\n";
        case board::ResultFiftyMoves: return "1/2-1/2 {50 moves rule}\n";
        case board::ResultDeadMaterial: return "1/2-1/2 {Insufficient material}\n";
        case board::ResultResign: return "resign\n";
        default: return {};
    }
}

void reportResult(int code, std::string_view moveText, const board::GameBoard& game) {
    const std::string line = resultLine(code, moveText, game.sideToMove);
    writeReply(line);
    if (code == 0) return;
    // Mate and the draws end the game; the resignation line names no score.
    if (code >= board::ResultMate && code != board::ResultResign) pgnGameOver(line);
    const std::lock_guard<std::mutex> guard(logLock);
    if (openLogFile != nullptr) std::fflush(openLogFile);
}

std::string boardDiagram(const board::GameBoard& game) {
    std::string out;
    out.reserve(72);
    for (int rank = 7; rank >= 0; --rank) {
        for (int file = 0; file < 8; ++file) {
            const int slot = game.board[board::squareOf(file, rank)];
            const int type = slot == board::EmptySlot ? board::NoPiece : game.slotType[slot];
            if (type < 0 || type >= board::NoPiece) {
                out += '.';
                continue;
            }
            const char letter = FrenchLetters[type];
            out += board::slotColour(slot) == board::Black ? static_cast<char>(letter - 'a' + 'A') : letter;
        }
        out += '\n';
    }
    return out;
}

void printBoard(const board::GameBoard& game) { writeReply(boardDiagram(game)); }

std::string& logFileName() {
    static std::string name;
    return name;
}

std::FILE* logFile() {
    const std::lock_guard<std::mutex> guard(logLock);
    return openLogFile;
}

bool openLog() {
    {
        const std::lock_guard<std::mutex> guard(logLock);
        if (openLogFile == nullptr) openLogFile = std::fopen(logFileName().c_str(), "a+");
        if (openLogFile == nullptr) {
            reportLogFault(errno);
            return false;
        }
    }
    // The search's internal errors go to the log from now on.
    board::setDiagnosticSink(logDiagnostic);
    return true;
}

void closeLog() {
    board::setDiagnosticSink(nullptr);
    const std::lock_guard<std::mutex> guard(logLock);
    if (openLogFile == nullptr) return;
    std::fclose(openLogFile);
    openLogFile = nullptr;
}

void writeLog(std::string_view text) {
    const std::lock_guard<std::mutex> guard(logLock);
    if (openLogFile == nullptr) return;
    if (std::fwrite(text.data(), 1, text.size(), openLogFile) != text.size() || std::fflush(openLogFile) != 0)
        reportLogFault(errno);
}

void writeLogHeader() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char header[96];
    std::snprintf(header, sizeof header, "[Event \"Computer chess game\"]\n[Date \"%d.%02d.%02d\"]\n",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    writeLog(header);
}

std::string setupTags(const board::GameBoard& game, bool chess960) {
    std::string tags = chess960 ? "[Variant \"Chess960\"]\n" : "";
    if (game.ordinaryStart) return tags;
    return tags + "[SetUp \"1\"]\n[FEN \"" + standardFen(game) + "\"]\n";
}

void logSetup(const board::GameBoard& game) {
    if (logFile() != nullptr) writeLog(setupTags(game, chess960()));
}

std::string formatScore(int score) {
    if (score == NoScore) return " ";
    const char sign = score > 0 ? '+' : '-';
    const int magnitude = score < 0 ? -score : score;
    char text[32];
    if (magnitude == search::InfiniteScore) {
        std::snprintf(text, sizeof text, "%cINF ", sign);
    } else if (magnitude > search::MateBound) {
        const int plies = search::MateScore - magnitude;
        std::snprintf(text, sizeof text, "%cMAT%d ", sign, plies / 2 + plies % 2);
    } else {
        std::snprintf(text, sizeof text, "%+4.2f ", static_cast<double>(score) / board::PawnValue);
    }
    return text;
}

std::string logMoveNumber(const board::GameBoard& game) {
    const int number = (game.plyCounter + 1) / 2 + 1;
    return std::to_string(number) + (game.sideToMove == board::Black ? "... " : ".   ");
}

std::string logPvComment(int score, const search::PvArray& pv) {
    const std::lock_guard<std::mutex> guard(lastLoggedLock);
    if (sameVariation(pv, lastLoggedPv)) return {};
    lastLoggedPv = pv;
    std::string comment = formatScore(score);
    for (std::size_t i = 0; i < pv.size() && pv[i] != 0; ++i) comment += engineMoveText(pv[i]) + ' ';
    return comment;
}

std::string logEntry(const board::GameBoard& game, board::Move move, std::string_view comment) {
    std::string entry = logMoveNumber(game);
    if (move != board::NoMove) {
        board::Position position{};
        board::loadScratch(game, position);
        board::writeSan(entry, move, game.legalMoves.data(), position);
    }
    entry += "({";
    entry += comment;
    entry += "})\n";
    return entry;
}

void logMove(const board::GameBoard& game, board::Move move, std::string_view comment) {
    if (logFile() == nullptr) return;
    // A move that has no SAN is not legal here and will not be played.
    const std::string entry = logEntry(game, move, comment);
    if (move != board::NoMove && entry.starts_with(logMoveNumber(game) + "({")) return;
    writeLog(entry);
}

void logEngineMove(const board::GameBoard& game, board::Move move, int score, int depth, const search::PvArray& pv) {
    if (logFile() == nullptr) return;
    pgnMove(game, move, pgnScoreComment(score, depth), true);
    logMove(game, move, logPvComment(score, pv));
}

int loadGameFile(board::GameBoard& game, const std::string& path) {
    std::ifstream file(path);
    if (!file) return GameFileRejected;
    return loadGame(game, file, path);
}

int loadGame(board::GameBoard& game, std::istream& file, const std::string& name) {
    board::resetGameToStart(game);
    board::listLegalMoves(game);
    FileLines lines(file, name);
    std::string line;
    // A file without a FEN or a move line (empty, or binary) holds no game either.
    bool anyGame = false;
    while (lines.next(line)) {
        if (line.size() > GameFileLineLimit) line.resize(GameFileLineLimit);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        const std::string_view text = std::string_view(line).substr(std::min(skipBlanks(line, 0), line.size()));
        if (text.starts_with("[FEN")) {
            if (!board::accepted(board::setupFromFen(game, fenOfTag(text)))) return GameFileRejected;
            anyGame = true;
            continue;
        }
        if (text.empty() || !std::isalnum(static_cast<unsigned char>(text[0]))) continue;
        if (const int result = playMoveLine(game, text); result != 0) return result;
        anyGame = true;
    }
    return anyGame ? 0 : GameFileNotGame;
}

}  // namespace halberd::frontend
