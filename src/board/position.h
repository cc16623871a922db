#pragma once
// The flat Position record that copy-make copies whole.
#include <array>
#include <cstdint>

#include "board/types.h"

namespace halberd::board {

// The flat record copied whole (186 words). Fields in their fixed order.
struct Position {
    std::array<std::int32_t, 32> slotSquare;  // OffBoard when not on the board
    std::array<std::int32_t, 64> board;       // EmptySlot when empty
    std::array<std::int32_t, 33> slotType;    // entry 32 is NoPiece
    std::array<std::int32_t, 4> castling;     // CastleWhiteShort, CastleBlackShort, CastleWhiteLong, CastleBlackLong
    std::array<std::int32_t, 33> slotValue;   // entry 32 is 0
    std::array<std::int32_t, 2> pieceCount;   // non-pawn pieces other than the king
    std::array<std::int32_t, 2> pawnCount;
    std::uint32_t hashKeyLow;
    std::uint32_t hashKeyHigh;
    std::uint32_t pawnKeyLow;
    std::uint32_t pawnKeyHigh;
    std::int32_t stageCode;
    std::int32_t materialMg;  // White minus Black, kings excluded
    std::int32_t materialEg;
    std::int32_t pstMg;  // piece-square sums, White minus Black
    std::int32_t pstEg;
    std::int32_t ply;
    std::int32_t halfmoveClock;
    std::array<std::int32_t, 2> pawnFiles;        // bit f: a pawn of that colour on file f
    std::array<std::int32_t, 2> nonPawnMaterial;  // sum of slotValue over pieces
    std::int32_t lastMove;                        // low 16 bits of the last move, 0 = none
};
static_assert(sizeof(Position) == 186 * 4, "Position is copied as 186 words");

}  // namespace halberd::board
