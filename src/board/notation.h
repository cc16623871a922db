#pragma once
// Coordinate notation (e2e4, e7e8q) and standard algebraic notation (Nbd2).
#include <string>
#include <string_view>

#include "board/castling.h"
#include "board/position.h"

namespace halberd::board {

inline constexpr char PieceLetters[] = "KQRBNPP";

// King..Knight for the upper-case letters K, Q, R, B, N; NoPiece for any other.
constexpr int pieceTypeOfLetter(char upper) {
    for (int type = King; type <= Knight; ++type)
        if (PieceLetters[type] == upper) return type;
    return NoPiece;
}

// "e4" for square 28.
inline std::string squareName(int square) {
    return {static_cast<char>('a' + fileOf(square)), static_cast<char>('1' + rankOf(square))};
}
// The square of a file letter (either case) and a rank digit, or -1.
constexpr int parseSquare(char file, char rank) {
    const char f = (file >= 'a' && file <= 'z') ? static_cast<char>(file - 'a' + 'A') : file;
    if (f < 'A' || f > 'H' || rank < '1' || rank > '8') return -1;
    return squareOf(f - 'A', rank - '1');
}

// How a castling is written in coordinate notation: as the king's two squares
// (e1g1), as the king taking its own rook (e1h1: UCI's Chess960), or as O-O and
// O-O-O (xboard's fischerandom).
enum class CastlingText { KingSquares, KingTakesRook, Letters };

// e2e4, e7e8Q (promotion letter upper case), castling as the style says; the
// rook homes are the game's (GameBoard::castlingRookHome).
std::string writeCoordinate(Move move, CastlingText style = CastlingText::KingSquares,
                            const RookHomes& rookHomes = OrdinaryRookHomes);
// The move the text names for the side, or 0 when the text is no move text.
// Castling texts give the castling move with its kind; e5d6ep gives kind EnPassant.
Move parseCoordinate(std::string text, Colour side);
// The unique legal move the SAN text names, as coordinate notation would give it
// (squares and promotion kind; castling written O-O keeps its kind), or 0.
// Accepts a file, a rank or a whole square as disambiguation, a promotion
// letter with or without "=", and check signs, annotations and an "ep" suffix
// after the move. The case of the first letter tells a bishop (B) from the
// b-file (b); a lower-case "b" that fits no pawn move is read as the bishop.
Move parseSan(std::string text, Colour side, const Move* legalList, const Position& position);
// Whether the text has the form of a SAN piece or pawn move (castling aside),
// whatever the position.
bool isSanText(std::string_view text);
// Appends one SAN move and a space; the disambiguation is "", a file letter, a
// rank digit, or both when neither alone tells the pieces apart.
void writeSanMove(std::string& out, Move move, int pieceType, bool capture, std::string_view disambiguation);
// Appends the SAN of a legal move in the position; nothing when the move is not listed.
void writeSan(std::string& out, Move move, const Move* legalList, const Position& position);

}  // namespace halberd::board
