#pragma once
// Commands for a person at the console: the command list and a board with
// coordinates, side to move and FEN.
#include <string>

#include "board/gameboard.h"
#include "frontend/dispatch.h"

namespace halberd::frontend {

// The game's position as a six-field FEN; the move number counts from the
// game's first position, which a set-up restarts at 1.
std::string standardFen(const board::GameBoard& game);

// The board of a FEN drawn in a frame with files and ranks, then the side to
// move and the FEN itself.
std::string boardWithCoordinates(const std::string& fen);

// "help": one line for each command a person uses.
Next consoleHelp(LoopState& state);
// "d": the board with coordinates.
Next consoleBoard(LoopState& state);

}  // namespace halberd::frontend
