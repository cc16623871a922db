#include "board/notation.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace halberd::board {

namespace {

constexpr bool isFileLetter(char ch) { return ch >= 'A' && ch <= 'H'; }
constexpr bool isRankDigit(char ch) { return ch >= '1' && ch <= '8'; }

void upperCase(std::string& text) {
    for (char& ch : text)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
}

// English and French promotion letters (D dame, T tour, F fou, C cavalier).
constexpr int promotionKindOf(char upper) {
    switch (upper) {
        case 'Q':
        case 'D': return PromoteQueen;
        case 'R':
        case 'T': return PromoteRook;
        case 'B':
        case 'F': return PromoteBishop;
        case 'N':
        case 'C': return PromoteKnight;
        default: return Ordinary;
    }
}

Move withKind(Move move, int kind) { return move | static_cast<Move>(kind << 12); }

// What a SAN text asks for: the target (rank -1 when only the file is given),
// the optional from-file / from-rank, and the promotion kind (0 when none is given).
struct SanTarget {
    int toFile = -1;
    int toRank = -1;
    int fromFile = -1;
    int fromRank = -1;
    int promotion = Ordinary;
};

// Check and mate signs, annotations and an "EP" or "E.P." mark: what may follow a move.
bool onlyMarks(std::string_view rest) {
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    if (rest.starts_with("E.P.")) rest.remove_prefix(4);
    if (rest.starts_with("EP")) rest.remove_prefix(2);
    return rest.find_first_not_of("+#!? ") == std::string_view::npos;
}

// Reads [disambiguation] ["X"] file rank [["="] letter] [marks] from the
// upper-cased text after the piece letter. A pawn may name only the file it
// captures on ("EXD"), and its disambiguation is the neighbouring file it
// comes from or its whole square.
bool readSanTarget(std::string_view text, bool pawnMove, SanTarget& target) {
    std::size_t at = std::string_view::npos;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (isFileLetter(text[i]) && isRankDigit(text[i + 1])) at = i;
    std::string_view prefix;
    std::string_view rest;
    if (at != std::string_view::npos) {
        target.toFile = text[at] - 'A';
        target.toRank = text[at + 1] - '1';
        prefix = text.substr(0, at);
        rest = text.substr(at + 2);
    } else {
        const std::size_t end = std::min(text.find_first_not_of("ABCDEFGHX"), text.size());
        if (!pawnMove || end < 2 || !isFileLetter(text[end - 1])) return false;
        target.toFile = text[end - 1] - 'A';
        prefix = text.substr(0, end - 1);
        rest = text.substr(end);
    }
    if (!prefix.empty() && prefix.back() == 'X') prefix.remove_suffix(1);
    if (prefix.size() == 2 && isFileLetter(prefix[0]) && isRankDigit(prefix[1])) {
        target.fromFile = prefix[0] - 'A';
        target.fromRank = prefix[1] - '1';
    } else if (prefix.size() == 1 && isFileLetter(prefix[0])) {
        target.fromFile = prefix[0] - 'A';
    } else if (prefix.size() == 1 && isRankDigit(prefix[0]) && !pawnMove) {
        target.fromRank = prefix[0] - '1';
    } else if (!prefix.empty()) {
        return false;
    }
    if (pawnMove && target.fromRank < 0) {
        const int step = target.fromFile - target.toFile;
        if (target.fromFile >= 0 ? (step != 1 && step != -1) : target.toRank < 0) return false;
    }
    // The promotion piece, with or without "=" ("E8=Q", "E8Q").
    const bool sign = rest.starts_with('=');
    if (sign || (!rest.empty() && promotionKindOf(rest[0]) != Ordinary)) {
        target.promotion = rest.size() > (sign ? 1u : 0u) ? promotionKindOf(rest[sign ? 1 : 0]) : Ordinary;
        if (target.promotion == Ordinary) return false;
        rest.remove_prefix(sign ? 2 : 1);
    }
    return onlyMarks(rest);
}

// The moving piece and target of a SAN text read as a piece move (the first
// character names the piece) or as a pawn move; nothing when the text has no
// such form.
struct SanForm {
    int movingType = NoPiece;  // King..Knight, or WhitePawn for any pawn
    SanTarget target;
};

std::optional<SanForm> readSanForm(std::string text, bool pieceMove) {
    upperCase(text);
    std::string_view rest = text;
    SanForm form;
    form.movingType = WhitePawn;
    if (pieceMove) {
        form.movingType = pieceTypeOfLetter(rest[0]);
        if (form.movingType == NoPiece) return std::nullopt;
        rest.remove_prefix(1);
        if (!rest.empty() && rest[0] == 'X') rest.remove_prefix(1);
    }
    if (rest.empty() || !readSanTarget(rest, !pieceMove, form.target)) return std::nullopt;
    return form;
}

// Upper case names a piece (other upper-case letters stand for files); of the
// lower-case letters only k, n, q and r do, so that "b" is first the b-file.
bool namesPiece(char first) {
    const bool lower = first >= 'a' && first <= 'z';
    return std::string_view(lower ? "knqr" : "KQRBN").find(first) != std::string_view::npos;
}

bool fits(Move move, int movingType, const SanTarget& target, const Position& position) {
    const int from = moveFrom(move);
    const int to = moveTo(move);
    // A castling written as the king taking its rook is no king move to that square.
    if (isCastle(move) && to != castleKingTarget(castleColour(move), moveKind(move))) return false;
    if (position.slotType[position.board[from]] != movingType) return false;
    if (fileOf(to) != target.toFile || (target.toRank >= 0 && rankOf(to) != target.toRank)) return false;
    if (target.fromFile >= 0 && fileOf(from) != target.fromFile) return false;
    if (target.fromRank >= 0 && rankOf(from) != target.fromRank) return false;
    if (target.promotion != Ordinary) return isPromotion(move) && moveKind(move) == target.promotion;
    return true;
}

const Move* findListed(const Move* list, Move move, bool wholeMove) {
    for (; *list != NoMove; ++list) {
        if (*list & IllegalFlag) continue;
        if (wholeMove ? sameMove(*list, move) : sameSquares(*list, move)) return list;
    }
    return nullptr;
}

}  // namespace

std::string writeCoordinate(Move move, CastlingText style, const RookHomes& rookHomes) {
    if (isCastle(move)) {
        const int kind = moveKind(move);
        const Colour side = castleColour(move);
        if (style == CastlingText::Letters) return kind == CastleShort ? "O-O" : "O-O-O";
        const int to = style == CastlingText::KingTakesRook ? rookHomes[static_cast<std::size_t>(castleIndex(side, kind))]
                                                            : castleKingTarget(side, kind);
        return squareName(moveFrom(move)) + squareName(to);
    }
    std::string text = squareName(moveFrom(move)) + squareName(moveTo(move));
    if (isPromotion(move)) text += PieceLetters[promotionType(moveKind(move))];
    return text;
}

Move parseCoordinate(std::string text, Colour side) {
    upperCase(text);
    if (text.empty()) return NoMove;
    const std::string_view view = text;
    if (view[0] == '0' || view[0] == 'O') {
        // A fourth character "-" makes it the long form; O-O+ is still short.
        if (view.size() > 3 && view[3] == '-') {
            if (view.substr(0, 5) == "O-O-O" || view.substr(0, 5) == "0-0-0")
                return side == White ? WhiteCastleLong : BlackCastleLong;
        } else if (view.substr(0, 3) == "O-O" || view.substr(0, 3) == "0-0") {
            return side == White ? WhiteCastleShort : BlackCastleShort;
        }
        return NoMove;
    }
    if (view.size() < 4) return NoMove;
    const int from = parseSquare(view[0], view[1]);
    const int to = parseSquare(view[2], view[3]);
    if (from < 0 || to < 0) return NoMove;
    const Move move = makeMove(from, to);
    if (view.size() == 4) return move;
    if (view.substr(4, 2) == "EP") return withKind(move, EnPassant);
    const char letter = view[4] == '=' ? (view.size() > 5 ? view[5] : ' ') : view[4];
    return withKind(move, promotionKindOf(letter));
}

namespace {

// The one legal move the form fits; NoMove when none does, or when several do
// (then `ambiguous` is set).
Move fittingMove(const SanForm& form, Colour side, const Move* legalList, const Position& position, bool& ambiguous) {
    const int movingType = isPawnType(form.movingType) ? pawnOf(side) : form.movingType;
    Move found = NoMove;
    int count = 0;
    for (const Move* m = legalList; *m != NoMove; ++m) {
        if ((*m & IllegalFlag) || !fits(*m, movingType, form.target, position)) continue;
        found = *m;
        ++count;
    }
    ambiguous = count > 1;
    return count == 1 ? found : NoMove;
}

}  // namespace

Move parseSan(std::string text, Colour side, const Move* legalList, const Position& position) {
    if (text.empty()) return NoMove;
    const char first = text[0];
    if (first == 'O' || first == 'o' || first == '0') return parseCoordinate(text, side);
    bool ambiguous = false;
    Move found = NoMove;
    if (const auto form = readSanForm(text, namesPiece(first)))
        found = fittingMove(*form, side, legalList, position, ambiguous);
    // A lower-case "b" that moves no pawn is the bishop a person meant ("bb5").
    if (found == NoMove && !ambiguous && first == 'b')
        if (const auto form = readSanForm(text, true)) found = fittingMove(*form, side, legalList, position, ambiguous);
    // The move as coordinate notation gives it (squares and promotion kind),
    // which is also the form the opening book stores.
    if (found == NoMove) return NoMove;
    return isPromotion(found) ? (found & 0x7FFF & ~CaptureMark) : (found & 0xFFF);
}

bool isSanText(std::string_view text) {
    if (text.empty()) return false;
    return readSanForm(std::string(text), namesPiece(text[0])).has_value() ||
           (text[0] == 'b' && readSanForm(std::string(text), true).has_value());
}

void writeSanMove(std::string& out, Move move, int pieceType, bool capture, std::string_view disambiguation) {
    const int kind = moveKind(move);
    if (kind == CastleLong) {
        out += "O-O-O";
    } else if (kind == CastleShort) {
        out += "O-O";
    } else {
        if (isPawnType(pieceType)) {
            if (capture || kind == EnPassant) {
                out += static_cast<char>('a' + fileOf(moveFrom(move)));
                out += disambiguation;
                out += 'x';
            }
        } else {
            out += PieceLetters[pieceType];
            out += disambiguation;
            if (capture) out += 'x';
        }
        out += squareName(moveTo(move));
        if (isPromotion(move)) {
            out += '=';
            out += PieceLetters[promotionType(kind)];
        }
    }
    out += ' ';
}

void writeSan(std::string& out, Move move, const Move* legalList, const Position& position) {
    const int from = moveFrom(move);
    const int to = moveTo(move);
    const int slot = position.board[from];
    if (slot == EmptySlot) return;
    const int type = position.slotType[slot];

    const Move* listed = findListed(legalList, move, false);
    if (listed == nullptr) return;
    if (isPromotion(*listed)) {
        if (!isPromotion(move)) return;
        listed = findListed(legalList, move, true);
        if (listed == nullptr) return;
    }

    // Name the from-file when it tells the pieces apart, else the from-rank,
    // else both (three or more pieces of a kind can need the whole square).
    std::string disambiguation;
    if (!isPawnType(type)) {
        bool rival = false;
        bool sameFile = false;
        bool sameRank = false;
        for (const Move* m = legalList; *m != NoMove; ++m) {
            const int other = moveFrom(*m);
            if ((*m & IllegalFlag) || moveTo(*m) != to || other == from) continue;
            if (position.slotType[position.board[other]] != type) continue;
            rival = true;
            sameFile = sameFile || fileOf(other) == fileOf(from);
            sameRank = sameRank || rankOf(other) == rankOf(from);
        }
        const std::string square = squareName(from);
        if (rival && !sameFile)
            disambiguation = square.substr(0, 1);
        else if (rival && !sameRank)
            disambiguation = square.substr(1, 1);
        else if (rival)
            disambiguation = square;
    }
    writeSanMove(out, *listed, type, position.board[to] != EmptySlot, disambiguation);
}

}  // namespace halberd::board
