#pragma once
// Game-object housekeeping: copies between the GameBoard and a Position, the
// packed castling byte of the history, and the new-game set-up.
#include "board/position.h"

namespace halberd::board {

// Copies slot squares, board, slot types, castling states and slot values of the
// game into the position; the other fields of the position stay as they are.
void loadScratch(const GameBoard& game, Position& position);
// The reverse copy of the same fields.
void storeScratch(GameBoard& game, const Position& position);

// Castling states before a move, each stored as state + 1 in two bits:
// bits 0-1 White short, 2-3 White long, 4-5 Black short, 6-7 Black long.
std::uint8_t packCastling(const GameBoard& game);
void unpackCastling(GameBoard& game, std::uint8_t packed);

// Slot the move captures (the en-passant victim for kind 3), EmptySlot if none.
int capturedSlot(const GameBoard& game, Move move);

// Empties the history (capacity back to 600 entries).
void resetHistory(GameBoard& game);
// Appends an entry, growing the history by 40 entries when it is full.
void pushHistory(GameBoard& game, const HistoryEntry& entry);

// New game in the start position.
void resetGameToStart(GameBoard& game);

}  // namespace halberd::board
