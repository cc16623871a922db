#pragma once
// Castling from any start position (Chess960 included): the king goes to the
// g- or c-file and its rook to the f- or d-file. Each right belongs to one rook
// slot (KingRookSlot castles short, QueenRookSlot long), so a right is lost when
// that rook moves or is taken. While a right stands, the king and that rook are
// on their home squares.
#include <array>
#include <cstdint>

#include "board/squaresets.h"
#include "board/types.h"

namespace halberd::board {

constexpr bool isCastleKind(int kind) { return kind == CastleShort || kind == CastleLong; }
constexpr bool isCastle(Move move) { return isCastleKind(moveKind(move)); }

// A castling right's index (Position order) and the slot of its rook.
constexpr int castleIndex(Colour c, int kind) { return kind == CastleShort ? shortCastleIndex(c) : longCastleIndex(c); }
constexpr int castleRookSlot(Colour c, int kind) {
    return slotBase(c) + (kind == CastleShort ? KingRookSlot : QueenRookSlot);
}
constexpr int castleKingTarget(Colour c, int kind) { return backRankBase(c) + (kind == CastleShort ? 6 : 2); }
constexpr int castleRookTarget(Colour c, int kind) { return backRankBase(c) + (kind == CastleShort ? 5 : 3); }
// The colour that castles: a castling move starts on its own back rank.
constexpr Colour castleColour(Move move) { return rankOf(moveFrom(move)) == 0 ? White : Black; }

// Rook homes of the ordinary start position, by castling index.
using RookHomes = std::array<std::int32_t, 4>;
constexpr RookHomes OrdinaryRookHomes = {7, 63, 0, 56};

// The king on the e-file and the rook in its corner: castling as ordinary chess knows it.
constexpr bool ordinaryCastling(int king, int rook, int kind) {
    return fileOf(king) == 4 && fileOf(rook) == (kind == CastleShort ? 7 : 0);
}

// The move word of a castling. Ordinary castling keeps the king's two squares
// (e1g1); any other is written as the king taking its own rook (b1a1), so that
// no other move of the position has the same squares (a king on f1 may also
// step to g1). Only the kind and the king's origin are ever read back.
constexpr Move castleMove(int king, int rook, int kind) {
    return makeMove(king, ordinaryCastling(king, rook, kind) ? castleKingTarget(rankOf(king) == 0 ? White : Black, kind)
                                                             : rook,
                    kind);
}

// Every square from a to b, both included.
constexpr SquareSet squareSpan(int a, int b) {
    const int low = a < b ? a : b;
    const int high = a < b ? b : a;
    return ((SquareSet{2} << high) - 1) & ~(squareBit(low) - 1);
}

// The squares that must be empty for the castling: those the king and the rook
// cross or reach, except where the two of them stand.
constexpr SquareSet castlingPath(Colour c, int kind, int king, int rook) {
    return (squareSpan(king, castleKingTarget(c, kind)) | squareSpan(rook, castleRookTarget(c, kind))) &
           ~(squareBit(king) | squareBit(rook));
}

// A rook home can hold the right: on the king's back rank, on the side of the
// king that the kind castles to.
constexpr bool rookCanCastle(Colour c, int kind, int king, int rook) {
    if (rankOf(king) != rankOf(backRankBase(c)) || rankOf(rook) != rankOf(king)) return false;
    return kind == CastleShort ? fileOf(rook) > fileOf(king) : fileOf(rook) < fileOf(king);
}

}  // namespace halberd::board
