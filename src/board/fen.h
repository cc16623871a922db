#pragma once
// FEN and piece-by-piece set-up of the game, and the FEN writer.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "board/gameboard.h"

namespace halberd::board {

// Outcome of a set-up. Rejected set-ups leave the game as it was; their codes
// are the numbers users see in "Illegal position" replies.
enum SetupStatus : int {
    SetupAccepted = 0,
    SetupNoFreeSlot = -2,
    SetupMissingKing = -3,
    // Set up, but the side not to move is in check: the game may not go on.
    SetupSideNotToMoveInCheck = static_cast<int>(IllegalFlag),
};
// Malformed text (bad rank, unknown letter, a ninth pawn, a pawn on a back rank,
// an unreadable field) shares the code of a piece that finds no slot, so that
// users only ever see the codes -2 and -3.
constexpr SetupStatus SetupMalformed = SetupNoFreeSlot;

// A legal position that play can go on from.
constexpr bool accepted(SetupStatus status) { return status == SetupAccepted; }
// The set-up was refused and the game is unchanged.
constexpr bool rejected(SetupStatus status) { return status < 0; }

// Accepts the FEN fields placement, side, castling, en passant and halfmove
// clock; missing trailing fields default to White, no castling, no en passant,
// clock 0. The fields end at a fullmove number, EPD operations or "moves".
SetupStatus setupFromFen(GameBoard& game, const std::string& text);

// One man of a set-up from a list of men.
struct PlacedMan {
    Colour colour;
    PieceType type;  // a pawn as WhitePawn or BlackPawn
    int square;
};

// Sets the game up from its men, kings included, with no castling rights and the
// en-passant square (0 = none) kept when a capture can use it. For boards their
// owner sets up again and again: a rejected set-up leaves the game cleared.
SetupStatus setupFromMen(GameBoard& game, std::span<const PlacedMan> men, Colour side, int epSquare);

// Slot of the placed piece, -1 (square outside the board or no free slot), -2 (type above Knight).
// A piece already on the square is taken off first.
int placePiece(GameBoard& game, Colour colour, int type, int square);
// Slot of the placed pawn or -1 (also for a pawn on the first or last rank).
int placePawn(GameBoard& game, Colour colour, int square);
// Places the pawns of two square sets (bit n: square n). False when a pawn found
// no free pawn slot (a ninth pawn, or pawn slots taken by extra pieces); the
// pawns placed up to then stay.
bool placePawnMaps(GameBoard& game, std::uint64_t whitePawns, std::uint64_t blackPawns);
void deriveCastlingStates(GameBoard& game);
void clearForEdit(GameBoard& game);
// Finishes a set-up with the side to move. Unless it is accepted no move is
// listed and gameResult is 1. Castling states whose king or rook has left home are lost.
SetupStatus finishSetup(GameBoard& game, Colour side);

// Placement with "/" after every rank (the last one too), side, castling, en-passant
// square; no move counters. The opening book keys its positions by this text.
std::string writeFen(const GameBoard& game);

}  // namespace halberd::board
