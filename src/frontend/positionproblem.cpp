#include "frontend/positionproblem.h"

#include <algorithm>
#include <array>

#include "board/fen.h"
#include "frontend/inputline.h"

namespace halberd::frontend {

namespace {

constexpr std::string_view FenLetters = "KQRBNPkqrbnp";
constexpr std::array<const char*, 2> ColourNames = {"white", "black"};
// A game starts with one queen and two rooks, bishops and knights a side.
constexpr std::array<int, 5> StartingPieces = {1, 1, 2, 2, 2};
constexpr int Pawn = 5;

struct Men {
    std::array<int, 6> count{};  // king, queen, rook, bishop, knight, pawn
};

// The next blank-separated word of the text, which is consumed.
std::string_view takeWord(std::string_view& text) {
    text = withoutBlanksAround(text);
    const std::size_t end = std::min(text.find_first_of(" \t"), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

// Counts the men of a placement field; the fault of a malformed one, else empty.
std::string countMen(std::string_view placement, std::array<Men, 2>& men, bool& backRankPawn) {
    int rank = 7;
    int file = 0;
    for (const char c : placement) {
        if (c == '/') {
            if (file != 8) return "rank " + std::to_string(rank + 1) + " does not hold eight squares";
            --rank;
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
        } else if (const auto letter = FenLetters.find(c); letter != std::string_view::npos) {
            if (file >= 8 || rank < 0) return "rank " + std::to_string(rank + 1) + " does not hold eight squares";
            ++men[letter / 6].count[letter % 6];
            backRankPawn = backRankPawn || (letter % 6 == Pawn && (rank == 0 || rank == 7));
            ++file;
        } else {
            return std::string("'") + c + "' is no piece letter";
        }
    }
    // The engine's own FEN ends the last rank with "/" too.
    if (!((rank == 0 && file == 8) || (rank == -1 && file == 0)))
        return "the placement is not eight ranks of eight squares";
    return {};
}

// The first rule the men of the placement break, or empty.
std::string brokenRule(const std::array<Men, 2>& men, bool backRankPawn) {
    if (backRankPawn) return "a pawn on the first or last rank";
    for (std::size_t side = 0; side < 2; ++side) {
        const std::string colour = ColourNames[side];
        const auto& count = men[side].count;
        if (count[0] > 1) return "more than one " + colour + " king";
        if (count[0] == 0) return "no " + colour + " king";
        if (count[Pawn] > 8) return "more than eight " + colour + " pawns";
        int promoted = 0;
        for (std::size_t type = 1; type < Pawn; ++type) promoted += std::max(count[type] - StartingPieces[type], 0);
        if (count[Pawn] + promoted > 8) return "too many " + colour + " pieces for the pawns that could have promoted";
    }
    return {};
}

}  // namespace

std::string illegalPositionReason(int code, std::string_view fen) {
    if (code == board::SetupSideNotToMoveInCheck) return "the side not to move is in check";
    std::string_view rest = fen;
    const std::string_view placement = takeWord(rest);
    if (placement.empty()) {
        if (code == board::SetupMissingKing) return "a king is missing";
        return "a man cannot be placed: more of a kind than a game can have, or a pawn on the first or last rank";
    }
    std::array<Men, 2> men{};
    bool backRankPawn = false;
    if (std::string fault = countMen(placement, men, backRankPawn); !fault.empty()) return fault;
    if (std::string rule = brokenRule(men, backRankPawn); !rule.empty()) return rule;
    const std::string_view side = takeWord(rest);
    if (!side.empty() && side != "w" && side != "b" && side != "W" && side != "B")
        return "the side to move is neither w nor b";
    return "the castling or en-passant field cannot be read";
}

std::string illegalPositionText(int code, std::string_view fen) {
    return "Illegal position " + std::to_string(code) + ": " + illegalPositionReason(code, fen);
}

}  // namespace halberd::frontend
