#pragma once
// Squares, piece slots, piece types and the 32-bit move code shared by every
// subsystem of the engine.
#include <array>
#include <cstdint>

#include "board/colour.h"

namespace halberd::board {

// ---------------------------------------------------------------- squares
// a1 = 0, b1 = 1, ..., h8 = 63.
constexpr int squareOf(int file, int rank) { return 8 * rank + file; }
constexpr int fileOf(int square) { return square & 7; }
constexpr int rankOf(int square) { return square >> 3; }

// ---------------------------------------------------------------- slots
// Each piece keeps one of 32 slots for its whole life: 0..15 White, 16..31 Black.
constexpr int EmptySlot = 32;   // board entry of an empty square
constexpr int OffBoard = 64;    // square of a slot whose piece is not on the board
constexpr int ColourMask = 48;  // board entry & 48: 0 White, 16 Black, 32 empty

constexpr int KingSlot = 0;
constexpr int QueenSlot = 1;
constexpr int QueenRookSlot = 2;
constexpr int KingRookSlot = 3;
constexpr int DarkBishopSlot = 4;  // White's c1 bishop; Black's f8 bishop is slot 21
constexpr int LightBishopSlot = 5;
constexpr int QueenKnightSlot = 6;
constexpr int KingKnightSlot = 7;
constexpr int FirstPawnSlot = 8;

// First slot of a colour: 0 for White, 16 for Black.
constexpr int slotBase(Colour c) { return c == White ? 0 : 16; }
constexpr Colour slotColour(int slot) { return (slot & 16) ? Black : White; }

// ---------------------------------------------------------------- piece types
enum PieceType : int {
    King = 0,
    Queen = 1,
    Rook = 2,
    Bishop = 3,
    Knight = 4,
    WhitePawn = 5,
    BlackPawn = 6,
    NoPiece = 7,
};

constexpr PieceType pawnOf(Colour c) { return c == White ? WhitePawn : BlackPawn; }
constexpr bool isPawnType(int type) { return type == WhitePawn || type == BlackPawn; }

// Values in units of 1/480 pawn.
constexpr int PawnValue = 480;
constexpr std::array<int, 8> PieceValueMg = {0, 5616, 2832, 1872, 1872, 480, 480, 0};
constexpr std::array<int, 8> PieceValueEg = {0, 5616, 2832, 1872, 1872, 480, 480, 0};
constexpr int KingSlotValue = 12 * PawnValue;

// Per-slot value of a piece of a type (the king counts 12 pawns).
constexpr int slotValueOfType(int type) { return type == King ? KingSlotValue : PieceValueMg[type]; }

// Canonical types of the 16 slots of one colour in the start position.
constexpr std::array<PieceType, 16> StartSlotTypes = {King,      Queen,     Rook,      Rook,      Bishop,    Bishop,
                                                      Knight,    Knight,    WhitePawn, WhitePawn, WhitePawn, WhitePawn,
                                                      WhitePawn, WhitePawn, WhitePawn, WhitePawn};

// The per-slot value table: 32 slots of the start position plus the empty pseudo-slot.
constexpr std::array<int, 33> SlotValue = [] {
    std::array<int, 33> v{};
    for (int s = 0; s < 32; ++s) v[s] = slotValueOfType(StartSlotTypes[s & 15]);
    v[32] = 0;
    return v;
}();

// ---------------------------------------------------------------- moves
// bits 0-5 from, 6-11 to, 12-14 kind, 15 capture mark, 16-31 ordering key or result flags.
using Move = std::uint32_t;

enum MoveKind : int {
    Ordinary = 0,
    CastleShort = 1,
    CastleLong = 2,
    EnPassant = 3,
    PromoteQueen = 4,
    PromoteRook = 5,
    PromoteBishop = 6,
    PromoteKnight = 7,
};

constexpr Move NoMove = 0;
constexpr Move CaptureMark = 0x8000;
constexpr Move PromotionBit = 0x4000;

// Result flags of the copy-make routines.
constexpr Move MateFlag = 0x10000;
constexpr Move StalemateFlag = 0x20000;
constexpr Move DeadDrawFlag = 0x40000;
constexpr Move IllegalFlag = 0x80000;

constexpr Move makeMove(int from, int to, int kind = Ordinary) {
    return static_cast<Move>(from | (to << 6) | (kind << 12));
}
constexpr int moveFrom(Move m) { return static_cast<int>(m & 63); }
constexpr int moveTo(Move m) { return static_cast<int>((m >> 6) & 63); }
constexpr int moveKind(Move m) { return static_cast<int>((m >> 12) & 7); }
constexpr bool isPromotion(Move m) { return (m & PromotionBit) != 0; }
constexpr bool isCapture(Move m) { return (m & CaptureMark) != 0; }
// Same squares: low 12 bits; same move: low 15 bits (promotion kind included).
constexpr bool sameSquares(Move a, Move b) { return ((a ^ b) & 0xFFF) == 0; }
constexpr bool sameMove(Move a, Move b) { return ((a ^ b) & 0x7FFF) == 0; }
// Piece type a promotion kind turns the pawn into (Queen..Knight).
constexpr PieceType promotionType(int kind) { return static_cast<PieceType>(kind - 3); }

constexpr Move WhiteCastleShort = 0x1184;  // e1g1
constexpr Move WhiteCastleLong = 0x2084;   // e1c1
constexpr Move BlackCastleShort = 0x1FBC;  // e8g8
constexpr Move BlackCastleLong = 0x2EBC;   // e8c8
constexpr Move castleShortMove(Colour c) { return c == White ? WhiteCastleShort : BlackCastleShort; }
constexpr Move castleLongMove(Colour c) { return c == White ? WhiteCastleLong : BlackCastleLong; }

// Move lists are zero-terminated arrays of Move words. Legal positions have up
// to 218 moves and pseudo-legal lists (nine queens) stay well below 400, so one
// capacity serves every list in the engine.
constexpr int MoveListCapacity = 512;
using MoveList = std::array<Move, MoveListCapacity>;

// ---------------------------------------------------------------- castling
// 0 = still available, 1 = castled this way, -1 = lost. Stored in the order
// White short, Black short, White long, Black long.
constexpr int CastleWhiteShort = 0;
constexpr int CastleBlackShort = 1;
constexpr int CastleWhiteLong = 2;
constexpr int CastleBlackLong = 3;
constexpr int shortCastleIndex(Colour c) { return c; }
constexpr int longCastleIndex(Colour c) { return 2 + c; }

// ---------------------------------------------------------------- game stages
enum GameStage : int {
    StageOpening = 0,
    StageMiddlegame = 1,
    StageLateMiddlegame = 2,
    StageEndgame = 3,
    StagePawnEnding = 4,
    StagePawnless = 5,
};

}  // namespace halberd::board
