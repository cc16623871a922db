#include "frontend/gamelog.h"

#include <ctime>

#include "board/makemove.h"
#include "frontend/state.h"

namespace halberd::frontend {

namespace {

std::FILE* openLogFile = nullptr;

// Diagram letters indexed by piece type; both pawn types show as a pawn.
constexpr std::string_view FrenchLetters = "rdtfcpp";

}  // namespace

std::string resultLine(int code, std::string_view moveText, int sideToMove) {
    switch (code) {
        case board::ResultLeavesKingAttacked: return "Illegal move (error): " + std::string(moveText) + "\n";
        case board::ResultNoSuchMove: return "Illegal move: " + std::string(moveText) + "\n";
        case board::ResultNeedsPromotion: return "Illegal move (promote?): " + std::string(moveText) + "\n";
        case board::ResultMate:
            return sideToMove == board::Black ? "1-0 {White mates}\n" : "0-1 {Black mates}\n";
        case board::ResultStalemate: return "1/2-1/2 {Stalemate}\n";
        case board::ResultRepetition: return "1/2-1/2 {Triple repetition}\n";
        case board::ResultFiftyMoves: return "1/2-1/2 {50 moves rule}\n";
        case board::ResultDeadMaterial: return "1/2-1/2 {Insufficient material}\n";
        case board::ResultResign: return "resign\n";
        default: return {};
    }
}

void reportResult(int code, std::string_view moveText, const board::GameBoard& game) {
    writeReply(resultLine(code, moveText, game.sideToMove));
    if (code != 0 && openLogFile != nullptr) std::fflush(openLogFile);
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

std::FILE* logFile() { return openLogFile; }

bool openLog() {
    if (openLogFile == nullptr) openLogFile = std::fopen(logFileName().c_str(), "a+");
    return openLogFile != nullptr;
}

void closeLog() {
    if (openLogFile == nullptr) return;
    std::fclose(openLogFile);
    openLogFile = nullptr;
}

void writeLogHeader() {
    if (openLogFile == nullptr) return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::fprintf(openLogFile, "[Event \"Computer chess game\"]\n[Date \"%d.%02d.%02d\"]\n", local.tm_year + 1900,
                 local.tm_mon + 1, local.tm_mday);
    std::fflush(openLogFile);
}

}  // namespace halberd::frontend
