#include "frontend/pgngame.h"

#include <cstdio>
#include <ctime>
#include <mutex>
#include <vector>

#include "board/notation.h"
#include "frontend/consolecommands.h"
#include "frontend/gamelog.h"
#include "frontend/state.h"
#include "search/search.h"

namespace halberd::frontend {

namespace {

constexpr std::string_view StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr std::size_t LineWidth = 79;

struct RecordedMove {
    std::string san;
    std::string comment;
    board::Colour side = board::White;
};

struct PgnGame {
    bool started = false;
    bool written = false;
    std::string fen;        // the first position, empty for the start position
    int firstPly = 0;       // plyCounter + 1 of the first position
    int firstNumber = 1;    // its move number
    board::Colour firstSide = board::White;
    std::vector<RecordedMove> moves;
    bool engineWhite = false;
    bool engineBlack = false;
};

// Written by the command loop and by the thinking thread (the engine's moves).
std::mutex pgnLock;
PgnGame current;

void startFrom(const board::GameBoard& game) {
    current = PgnGame{};
    current.started = true;
    const std::string fen = standardFen(game);
    if (fen != StartFen) current.fen = fen;
    current.firstPly = game.plyCounter + 1;
    current.firstNumber = (game.plyCounter + 1) / 2 + 1;
    current.firstSide = game.sideToMove;
}

std::string today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[48];
    std::snprintf(date, sizeof date, "%d.%02d.%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return date;
}

// The result's score part: "1-0", "0-1", "1/2-1/2", else "*".
std::string resultTag(std::string_view result) {
    for (const std::string_view score : {"1-0", "0-1", "1/2-1/2"})
        if (result.starts_with(score)) return std::string(score);
    return "*";
}

// Movetext words joined into lines of at most LineWidth characters.
void appendWord(std::string& text, std::size_t& lineLength, const std::string& word) {
    if (lineLength > 0 && lineLength + 1 + word.size() > LineWidth) {
        text += '\n';
        lineLength = 0;
    } else if (lineLength > 0) {
        text += ' ';
        ++lineLength;
    }
    text += word;
    lineLength += word.size();
}

}  // namespace

std::string& pgnFileName() {
    static std::string name;
    return name;
}

void pgnNewGame(const board::GameBoard& game) {
    const std::lock_guard<std::mutex> guard(pgnLock);
    startFrom(game);
}

void pgnMove(const board::GameBoard& game, board::Move move, std::string_view comment, bool engineMove) {
    board::Position position{};
    board::loadScratch(game, position);
    std::string san;
    board::writeSan(san, move, game.legalMoves.data(), position);
    while (!san.empty() && san.back() == ' ') san.pop_back();
    if (san.empty()) return;
    const std::lock_guard<std::mutex> guard(pgnLock);
    const int index = game.plyCounter + 1 - current.firstPly;
    if (!current.started || current.written || index < 0 || index > static_cast<int>(current.moves.size())) {
        // No game begun here, one already ended, or moves came that were not recorded: a new record.
        startFrom(game);
    }
    current.moves.resize(static_cast<std::size_t>(game.plyCounter + 1 - current.firstPly));
    current.moves.push_back({san, std::string(comment), game.sideToMove});
    if (engineMove) (game.sideToMove == board::White ? current.engineWhite : current.engineBlack) = true;
}

std::string pgnScoreComment(int score, int depth) {
    if (score == NoScore) return {};
    char text[32];
    const int magnitude = score < 0 ? -score : score;
    if (magnitude > search::MateBound) {
        const int plies = search::MateScore - magnitude;
        std::snprintf(text, sizeof text, "%cM%d/%d", score > 0 ? '+' : '-', plies / 2 + plies % 2, depth);
    } else {
        std::snprintf(text, sizeof text, "%+.2f/%d", static_cast<double>(score) / board::PawnValue, depth);
    }
    return text;
}

std::string pgnText(std::string_view result) {
    const std::lock_guard<std::mutex> guard(pgnLock);
    const std::string score = resultTag(result);
    const std::string engine(EngineName);
    std::string text = "[Event \"Computer chess game\"]\n[Site \"?\"]\n[Date \"" + today() +
                       "\"]\n[Round \"-\"]\n[White \"" + (current.engineWhite ? engine : "?") + "\"]\n[Black \"" +
                       (current.engineBlack ? engine : "?") + "\"]\n[Result \"" + score + "\"]\n";
    if (!current.fen.empty()) text += "[SetUp \"1\"]\n[FEN \"" + current.fen + "\"]\n";
    text += '\n';
    std::size_t lineLength = 0;
    int number = current.firstNumber;
    bool numberNeeded = true;
    for (const RecordedMove& move : current.moves) {
        if (move.side == board::White)
            appendWord(text, lineLength, std::to_string(number) + ".");
        else if (numberNeeded)
            appendWord(text, lineLength, std::to_string(number) + "...");
        appendWord(text, lineLength, move.san);
        numberNeeded = !move.comment.empty();
        if (!move.comment.empty()) appendWord(text, lineLength, "{" + move.comment + "}");
        if (move.side == board::Black) ++number;
    }
    // The reason of the result ("{White mates}") stands before it as a comment.
    if (const auto brace = result.find('{'); brace != std::string_view::npos) {
        const auto close = result.find('}', brace);
        appendWord(text, lineLength, std::string(result.substr(brace, close == std::string_view::npos
                                                                          ? std::string_view::npos
                                                                          : close - brace + 1)));
    }
    appendWord(text, lineLength, score);
    return text + "\n\n";
}

void pgnGameOver(std::string_view result) {
    if (logFile() == nullptr) return;
    {
        const std::lock_guard<std::mutex> guard(pgnLock);
        if (current.moves.empty() || current.written) return;
    }
    const std::string text = pgnText(result);
    if (std::FILE* file = std::fopen(pgnFileName().c_str(), "a"); file != nullptr) {
        std::fputs(text.c_str(), file);
        std::fclose(file);
    }
    const std::lock_guard<std::mutex> guard(pgnLock);
    current.written = true;
}

}  // namespace halberd::frontend
