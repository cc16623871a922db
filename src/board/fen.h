#pragma once
// FEN and piece-by-piece set-up of the game, and the FEN writer.
#include <array>
#include <string>

#include "board/position.h"

namespace halberd::board {

// setupFromFen results: 0 accepted; IllegalFlag accepted but the side not to move
// is in check; negative values reject the set-up and leave the game as it was.
constexpr int SetupNoFreeSlot = -2;
constexpr int SetupMissingKing = -3;

int setupFromFen(GameBoard& game, const std::string& text);

// Slot of the placed piece, -1 (square outside the board or no free slot), -2 (type above Knight).
int placePiece(GameBoard& game, Colour colour, int type, int square);
// Slot of the placed pawn or -1.
int placePawn(GameBoard& game, Colour colour, int square);
void placePawnMaps(GameBoard& game, const std::array<bool, 64>& whitePawns, const std::array<bool, 64>& blackPawns);
void deriveCastlingStates(GameBoard& game);
void clearForEdit(GameBoard& game);
// Finishes a set-up with the side to move; 0 or IllegalFlag.
int finishSetup(GameBoard& game, int side);

std::string writeFen(const GameBoard& game);

}  // namespace halberd::board
