#include "frontend/epdcommand.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "frontend/config.h"
#include "frontend/inputline.h"
#include "frontend/memory.h"
#include "frontend/settings.h"
#include "frontend/tablebases.h"
#include "frontend/textnumber.h"
#include "frontend/thinking.h"
#include "search/newgame.h"
#include "search/report.h"
#include "search/root.h"
#include "search/threads.h"

namespace halberd::frontend {

namespace {

constexpr char Usage[] = "usage: halberd epd FILE [--movetime MS | --depth N | --nodes N] [--threads N]\n";
constexpr int MaxEpdDepth = 200;
constexpr int MaxMovetimeMs = 24 * 3600 * 1000;
constexpr int MaxNodes = 2'000'000'000;
// The searches of a suite want more than the smallest table.
constexpr std::int64_t LeastHashBytes = std::int64_t{64} << 20;
constexpr std::size_t FenFields = 4;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The next blank-separated word, which is consumed.
std::string_view takeWord(std::string_view& text) {
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start])) ++start;
    std::size_t end = start;
    while (end < text.size() && !isBlank(text[end])) ++end;
    const std::string_view word = text.substr(start, end - start);
    text.remove_prefix(end);
    return word;
}

// Where the first operation ends: at its ";" outside a quoted string, or at the end.
std::size_t operationEnd(std::string_view operations) {
    bool quoted = false;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        if (operations[i] == '"') quoted = !quoted;
        if (operations[i] == ';' && !quoted) return i;
    }
    return operations.size();
}

bool isCoordinateText(std::string_view text) {
    if (text.size() != 4 && text.size() != 5) return false;
    if (board::parseSquare(text[0], text[1]) < 0 || board::parseSquare(text[2], text[3]) < 0) return false;
    return text.size() == 4 || std::string_view("qrbnQRBN").find(text[4]) != std::string_view::npos;
}

// The SAN text without the marks that do not tell moves apart (captures,
// checks, annotations, the "=" of a promotion).
std::string plainSan(std::string_view san) {
    std::string plain;
    for (const char c : san)
        if (std::string_view("x+#!?= ").find(c) == std::string_view::npos) plain += c;
    return plain;
}

// The legal moves a bm/am operand names, in SAN or in coordinates; a SAN text
// that more than one piece fits ("Ne5" for two knights) names them all.
std::vector<board::Move> operandMoves(std::string_view text, const board::GameBoard& game) {
    board::Position position = game.scratch;
    board::loadScratch(game, position);
    const board::Move named = isCoordinateText(text) ? board::parseCoordinate(std::string(text), game.sideToMove)
                                                     : board::parseSan(std::string(text), game.sideToMove,
                                                                       game.legalMoves.data(), position);
    std::vector<board::Move> moves;
    const std::string wanted = plainSan(text);
    for (std::size_t i = 0; game.legalMoves[i] != board::NoMove; ++i) {
        const board::Move legal = game.legalMoves[i] & 0xFFFF;
        if (named != board::NoMove) {
            if ((legal & 0x7FFF) == (named & 0x7FFF)) return {legal};
            continue;
        }
        std::string san;
        board::writeSan(san, legal, game.legalMoves.data(), position);
        const std::string plain = plainSan(san);
        // The piece letter and the square: the text without its disambiguation.
        const bool pieceAndSquare = plain.size() >= 3 && std::isupper(static_cast<unsigned char>(plain[0])) != 0 &&
                                    wanted == plain.substr(0, 1) + plain.substr(plain.size() - 2);
        if (plain == wanted || pieceAndSquare) moves.push_back(legal);
    }
    return moves;
}

std::string sanOf(board::Move move, const board::GameBoard& game) {
    board::Position position = game.scratch;
    board::loadScratch(game, position);
    std::string san;
    board::writeSan(san, move, game.legalMoves.data(), position);
    while (!san.empty() && san.back() == ' ') san.pop_back();
    return san.empty() ? board::writeCoordinate(move) : san;
}

// Reads the operands of one operation; the fault, or empty.
std::string readOperation(std::string_view opcode, std::string_view operands, const board::GameBoard& game,
                          EpdProblem& problem) {
    if (opcode == "id") {
        std::string_view id = withoutBlanksAround(operands);
        if (id.size() >= 2 && id.front() == '"' && id.back() == '"') id = id.substr(1, id.size() - 2);
        problem.id = std::string(id);
        return {};
    }
    if (opcode == "dm") {
        const auto moves = integerText(operands);
        if (!moves || *moves < 1 || *moves > MaxEpdDepth)
            return "dm " + std::string(withoutBlanksAround(operands)) + " is no mate distance";
        problem.mateMoves = static_cast<int>(*moves);
    } else if (opcode == "bm" || opcode == "am") {
        std::vector<board::Move>& moves = opcode == "bm" ? problem.best : problem.avoid;
        std::string_view rest = operands;
        for (std::string_view word = takeWord(rest); !word.empty(); word = takeWord(rest)) {
            // A check sign or an annotation written apart ("Qd1 +") belongs to the move before.
            if (word.find_first_not_of("+#!?") == std::string_view::npos) continue;
            const std::vector<board::Move> named = operandMoves(word, game);
            if (named.empty()) return std::string(opcode) + " " + std::string(word) + " is no legal move";
            moves.insert(moves.end(), named.begin(), named.end());
        }
        if (moves.empty()) return std::string(opcode) + " names no move";
    } else {
        return {};
    }
    if (!problem.operations.empty()) problem.operations += "; ";
    problem.operations += std::string(opcode) + " " + std::string(withoutBlanksAround(operands));
    return {};
}

bool listed(const std::vector<board::Move>& moves, board::Move move) {
    return std::any_of(moves.begin(), moves.end(),
                       [move](board::Move m) { return (m & 0x7FFF) == (move & 0x7FFF); });
}

// When the right answer came and stayed: the first report of the last run of
// reports whose move solves the problem.
struct FoundAt {
    bool found = false;
    int depth = 0;
    std::uint32_t elapsedMs = 0;
};

struct Outcome {
    board::Move move = board::NoMove;
    int depth = 0;
    bool solved = false;
    FoundAt found;
    double seconds = 0;
};

Outcome solve(const EpdProblem& problem, board::GameBoard& game, const EpdRequest& request) {
    FoundAt streak;
    // The reporter runs on this thread, inside the search below.
    const search::Reporter tracker = [&](const search::IterationReport& facts) {
        if (facts.currentMove || facts.multiPv > 1) return;
        if (!solves(problem, facts.pv[0], facts.score))
            streak = {};
        else if (!streak.found)
            streak = {true, facts.depth, facts.elapsedMs};
    };
    GoRequest search;
    search.book = false;
    search.nodes = request.nodes;
    if (request.depth > 0 || request.nodes > 0)
        search.budget = {search::UnlimitedMillis, search::UnlimitedMillis, request.depth > 0 ? request.depth : NoDepthLimit};
    else
        search.budget = {request.movetimeMs, request.movetimeMs, NoDepthLimit};
    search::newGame();
    const auto start = std::chrono::steady_clock::now();
    const auto session = makeSession(game, search, tracker);
    const auto result = runRootSearch(game, search, *session);
    Outcome outcome;
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result) return outcome;
    outcome.move = result->move & 0xFFFF;
    outcome.depth = result->depth;
    outcome.solved = solves(problem, outcome.move, result->score);
    outcome.found = outcome.solved && streak.found
                        ? streak
                        : FoundAt{outcome.solved, result->depth,
                                  static_cast<std::uint32_t>(outcome.seconds * 1000)};
    return outcome;
}

void printOutcome(int number, const EpdProblem& problem, const Outcome& outcome, const board::GameBoard& game) {
    const std::string answer = outcome.move == board::NoMove ? "none" : sanOf(outcome.move, game);
    std::string line = std::to_string(number) + " " + (problem.id.empty() ? "-" : problem.id) + " (" +
                       problem.operations + "): " + answer + (outcome.solved ? " right" : " wrong");
    char tail[96];
    if (outcome.solved)
        std::snprintf(tail, sizeof tail, ", found at depth %d after %.2f s (depth %d, %.2f s)", outcome.found.depth,
                      outcome.found.elapsedMs / 1000.0, outcome.depth, outcome.seconds);
    else
        std::snprintf(tail, sizeof tail, " (depth %d, %.2f s)", outcome.depth, outcome.seconds);
    std::printf("%s%s\n", line.c_str(), tail);
    std::fflush(stdout);
}

}  // namespace

std::optional<EpdRequest> parseEpdArguments(std::span<const std::string_view> arguments) {
    if (arguments.empty() || arguments[0].starts_with("--")) return std::nullopt;
    EpdRequest request;
    request.path = std::string(arguments[0]);
    bool limitGiven = false;
    for (std::size_t i = 1; i < arguments.size(); i += 2) {
        if (i + 1 >= arguments.size()) return std::nullopt;
        const std::string_view flag = arguments[i];
        const std::string_view value = arguments[i + 1];
        if (flag == "--threads") {
            const auto threads = wholeNumber(value, 1, search::MaxThreads);
            if (!threads) return std::nullopt;
            request.threads = *threads;
            continue;
        }
        // One limit a run: a time, a depth or a node count.
        if (limitGiven) return std::nullopt;
        limitGiven = true;
        std::optional<int> amount;
        if (flag == "--movetime" && (amount = wholeNumber(value, 1, MaxMovetimeMs)))
            request.movetimeMs = *amount;
        else if (flag == "--depth" && (amount = wholeNumber(value, 1, MaxEpdDepth)))
            request.depth = *amount;
        else if (flag == "--nodes" && (amount = wholeNumber(value, 1, MaxNodes)))
            request.nodes = static_cast<std::uint64_t>(*amount);
        else
            return std::nullopt;
    }
    return request;
}

EpdLine parseEpdLine(std::string_view line, board::GameBoard& game) {
    // Control characters (a carriage return, a stray NUL) separate words like blanks.
    std::string text(line);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    std::string_view rest = withoutBlanksAround(text);
    if (rest.empty() || rest.starts_with('#')) return {};
    std::string fen;
    for (std::size_t field = 0; field < FenFields; ++field) {
        const std::string_view word = takeWord(rest);
        if (word.empty()) return {std::nullopt, "fewer than four FEN fields"};
        if (field > 0) fen += ' ';
        fen += word;
    }
    board::resetGameToStart(game);
    if (!board::accepted(board::setupFromFen(game, fen))) return {std::nullopt, "not a legal position: " + fen};
    board::listLegalMoves(game);
    EpdProblem problem;
    problem.fen = fen;
    while (!withoutBlanksAround(rest).empty()) {
        const std::size_t end = operationEnd(rest);
        std::string_view operation = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        const std::string_view opcode = takeWord(operation);
        if (std::string fault = readOperation(opcode, operation, game, problem); !fault.empty())
            return {std::nullopt, fault};
    }
    if (problem.best.empty() && problem.avoid.empty() && problem.mateMoves == 0)
        return {std::nullopt, "no bm, am or dm operation"};
    return {std::move(problem), {}};
}

bool solves(const EpdProblem& problem, board::Move move, int score) {
    if (move == board::NoMove) return false;
    // The moves decide where they are given; a mate distance beside them (as
    // suites note what an analysis found) is no further condition.
    if (!problem.best.empty() || !problem.avoid.empty())
        return (problem.best.empty() || listed(problem.best, move)) && !listed(problem.avoid, move);
    return score > search::MateBound && search::movesToMate(score) <= problem.mateMoves;
}

int runEpdWord(board::GameBoard& game, std::span<const std::string_view> arguments) {
    const auto request = parseEpdArguments(arguments);
    if (!request) {
        std::fputs(Usage, stderr);
        return 2;
    }
    std::ifstream file(request->path);
    if (!file) {
        std::fprintf(stderr, "epd: %s cannot be read\n", request->path.c_str());
        std::fputs(Usage, stderr);
        return 2;
    }
    // The tables and the table directories of the engine's configuration.
    readConfigFile(settings(), executableDirectory());
    search::setThreadCount(request->threads);
    allocateHashTables(std::max(hashBytesForExponent(settings().hashExponent), LeastHashBytes));
    startTablebases();
    int solved = 0;
    int searched = 0;
    int lineNumber = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::string line; std::getline(file, line);) {
        ++lineNumber;
        EpdLine read = parseEpdLine(line, game);
        if (!read.problem) {
            if (!read.fault.empty())
                std::fprintf(stderr, "epd: %s line %d skipped: %s\n", request->path.c_str(), lineNumber,
                             read.fault.c_str());
            continue;
        }
        const Outcome outcome = solve(*read.problem, game, *request);
        ++searched;
        if (outcome.solved) ++solved;
        printOutcome(searched, *read.problem, outcome, game);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d of %d solved, total time %.1f s\n", solved, searched, seconds);
    std::fflush(stdout);
    return 0;
}

}  // namespace halberd::frontend
