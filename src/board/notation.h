#pragma once
// Coordinate notation (e2e4, e7e8q) and standard algebraic notation (Nbd2).
#include <string>

#include "board/position.h"

namespace halberd::board {

inline constexpr char PieceLetters[] = "KQRBNPP";

// e2e4, e7e8Q (promotion letter upper case), castling as the king's move.
std::string writeCoordinate(Move move);
// The move the text names for the side, or 0 when the text is no move text.
Move parseCoordinate(std::string text, int side);
// The unique legal move the SAN text names, or 0.
Move parseSan(std::string text, int side, const Move* legalList, const Position& position);
// Appends one SAN move and a space.
void writeSanMove(std::string& out, Move move, int pieceType, bool capture, char disambiguation);
// Appends the SAN of a legal move in the position; nothing when the move is not listed.
void writeSan(std::string& out, Move move, const Move* legalList, const Position& position);

}  // namespace halberd::board
