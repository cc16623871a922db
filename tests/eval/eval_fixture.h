#pragma once
// Positions for the evaluation-term tests: a FEN loaded into a SearchBoard and
// a NodeState, and the colour-mirrored FEN for symmetry checks.
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "board/keys.h"
#include "board/nodestate.h"

namespace halberd::testing {

struct EvalPosition {
    board::SearchBoard board{};
    board::NodeState state{};
    int side = board::White;

    // Makes this position the search's working board.
    const board::NodeState& load() const {
        board::searchBoard = board;
        return state;
    }
};

namespace detail {

using namespace board;

inline int freePawnSlotFromTop(const SearchBoard& b, Colour c) {
    for (int slot = slotBase(c) + 15; slot >= slotBase(c) + FirstPawnSlot; --slot)
        if (b.slotSquare[slot] == OffBoard) return slot;
    return -1;
}

// Slots as the FEN set-up chooses them: fixed roles first, then free pawn slots.
inline int pieceSlot(const SearchBoard& b, Colour c, int type, int square) {
    const int base = slotBase(c);
    const auto freeSlot = [&](int relative) { return b.slotSquare[base + relative] == OffBoard; };
    int preferred = -1, other = -1;
    const bool light = ((fileOf(square) + rankOf(square)) & 1) != 0;
    switch (type) {
        case King: return base;
        case Queen: preferred = QueenSlot; break;
        case Rook:
            preferred = fileOf(square) < 4 ? QueenRookSlot : KingRookSlot;
            other = preferred == QueenRookSlot ? KingRookSlot : QueenRookSlot;
            break;
        case Bishop:
            preferred = (c == White) == light ? LightBishopSlot : DarkBishopSlot;
            other = preferred == LightBishopSlot ? DarkBishopSlot : LightBishopSlot;
            break;
        default:
            preferred = fileOf(square) < 4 ? QueenKnightSlot : KingKnightSlot;
            other = preferred == QueenKnightSlot ? KingKnightSlot : QueenKnightSlot;
            break;
    }
    if (freeSlot(preferred)) return base + preferred;
    if (other >= 0 && freeSlot(other)) return base + other;
    return freePawnSlotFromTop(b, c);
}

inline int pawnSlot(const SearchBoard& b, Colour c, int file) {
    const int first = slotBase(c) + FirstPawnSlot;
    if (b.slotSquare[first + file] == OffBoard) return first + file;
    for (int o = 1; o < 8; ++o)
        for (int f : {file + o, file - o})
            if (f >= 0 && f < 8 && b.slotSquare[first + f] == OffBoard) return first + f;
    return -1;
}

inline void put(SearchBoard& b, int slot, int type, int square) {
    b.slotSquare[slot] = square;
    b.board[square] = slot;
    b.slotType[slot] = type;
    b.slotValue[slot] = slotValueOfType(type);
}

}  // namespace detail

// Square from its name, "e4".
constexpr int sq(const char* name) { return board::squareOf(name[0] - 'a', name[1] - '1'); }

// Sets up a FEN (placement, side, castling; the rest ignored) with the state a
// search root would have: counts, material, keys, pawn files, stage.
inline EvalPosition positionFromFen(const std::string& fen) {
    using namespace board;
    EvalPosition p;
    SearchBoard& b = p.board;
    b.slotSquare.fill(OffBoard);
    b.board.fill(EmptySlot);
    b.slotType.fill(NoPiece);
    b.slotValue.fill(0);

    std::vector<std::pair<Colour, int>> pawns;
    std::size_t i = 0;
    int rank = 7, file = 0;
    for (; i < fen.size() && fen[i] != ' '; ++i) {
        const char ch = fen[i];
        if (ch == '/') {
            --rank;
            file = 0;
        } else if (std::isdigit(static_cast<unsigned char>(ch))) {
            file += ch - '0';
        } else {
            const Colour c = std::islower(static_cast<unsigned char>(ch)) ? Black : White;
            const int square = squareOf(file++, rank);
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (upper == 'P') {
                pawns.emplace_back(c, square);
                continue;
            }
            const int type = static_cast<int>(std::string("KQRBN").find(upper));
            detail::put(b, detail::pieceSlot(b, c, type, square), type, square);
        }
    }
    // White pawns in ascending, Black pawns in descending square order.
    for (const auto& [c, square] : pawns)
        if (c == White) detail::put(b, detail::pawnSlot(b, White, fileOf(square)), WhitePawn, square);
    for (auto it = pawns.rbegin(); it != pawns.rend(); ++it)
        if (it->first == Black) detail::put(b, detail::pawnSlot(b, Black, fileOf(it->second)), BlackPawn, it->second);

    std::string side = "w", castling = "-";
    if (i < fen.size()) {
        const std::size_t rest = fen.find_first_not_of(' ', i);
        if (rest != std::string::npos) {
            side = fen.substr(rest, 1);
            const std::size_t c0 = fen.find_first_not_of(' ', rest + 1);
            if (c0 != std::string::npos) castling = fen.substr(c0, fen.find(' ', c0) - c0);
        }
    }
    p.side = side == "b" ? Black : White;

    NodeState& s = p.state;
    s = NodeState{};
    s.castling = {static_cast<std::int16_t>(castling.find('K') != std::string::npos ? 0 : -1),
                  static_cast<std::int16_t>(castling.find('k') != std::string::npos ? 0 : -1),
                  static_cast<std::int16_t>(castling.find('Q') != std::string::npos ? 0 : -1),
                  static_cast<std::int16_t>(castling.find('q') != std::string::npos ? 0 : -1)};
    KeyPair pawnKey;
    for (int slot = 0; slot < 32; ++slot) {
        const int square = b.slotSquare[slot];
        if (square == OffBoard || slot == 0 || slot == 16) continue;
        const Colour c = slotColour(slot);
        const int type = b.slotType[slot];
        const int sign = c == White ? 1 : -1;
        s.materialMg += sign * PieceValueMg[type];
        s.materialEg += sign * PieceValueEg[type];
        if (isPawnType(type)) {
            ++s.counts[2 + c];
            s.pawnFiles[c] = static_cast<std::uint8_t>(s.pawnFiles[c] | (1u << fileOf(square)));
            pawnKey.toggle(keyIndex(c, type, square));
        } else {
            ++s.counts[c];
            s.nonPawnMaterial[c] = static_cast<std::uint16_t>(s.nonPawnMaterial[c] + b.slotValue[slot]);
            if (type == Queen && (slot & 15) >= FirstPawnSlot) s.promotedQueenMask |= 1u << slot;
        }
    }
    s.pawnKeyLow = pawnKey.low;
    s.pawnKeyHigh = pawnKey.high;
    const int pieces = s.counts[0] + s.counts[1];
    const int pawnTotal = s.counts[2] + s.counts[3];
    const bool light = s.nonPawnMaterial[0] < 8448 && s.nonPawnMaterial[1] < 8448;
    int stage = light ? StageEndgame : (pawnTotal > 11 && pieces > 9 ? StageOpening : StageLateMiddlegame);
    if (pieces == 0) stage = StagePawnEnding;
    if (pawnTotal == 0) stage = StagePawnless;
    s.stageCode = stage;
    return p;
}

// The same position with colours exchanged and the board turned upside down.
inline std::string mirrorFen(const std::string& fen) {
    const std::size_t space = fen.find(' ');
    const std::string placement = fen.substr(0, space);
    std::vector<std::string> ranks;
    std::size_t start = 0;
    for (std::size_t slash; (slash = placement.find('/', start)) != std::string::npos; start = slash + 1)
        ranks.push_back(placement.substr(start, slash - start));
    ranks.push_back(placement.substr(start));
    const auto swapCase = [](std::string text) {
        for (char& ch : text)
            ch = std::isupper(static_cast<unsigned char>(ch)) ? static_cast<char>(std::tolower(ch))
                                                               : static_cast<char>(std::toupper(ch));
        return text;
    };
    std::string out;
    for (auto it = ranks.rbegin(); it != ranks.rend(); ++it) {
        if (!out.empty()) out += '/';
        out += swapCase(*it);
    }
    std::string side = "w", castling = "-";
    if (space != std::string::npos) {
        const std::size_t s0 = fen.find_first_not_of(' ', space);
        if (s0 != std::string::npos) {
            side = fen[s0] == 'w' ? "b" : "w";
            const std::size_t c0 = fen.find_first_not_of(' ', s0 + 1);
            if (c0 != std::string::npos) castling = fen.substr(c0, fen.find(' ', c0) - c0);
        } else {
            side = "b";
        }
    } else {
        side = "b";
    }
    std::string mirrored;
    for (char wanted : std::string("KQkq")) {
        const char source = std::isupper(static_cast<unsigned char>(wanted)) ? static_cast<char>(std::tolower(wanted))
                                                                             : static_cast<char>(std::toupper(wanted));
        if (castling.find(source) != std::string::npos) mirrored += wanted;
    }
    return out + " " + side + " " + (mirrored.empty() ? "-" : mirrored);
}

}  // namespace halberd::testing
