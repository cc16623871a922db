#pragma once
// Program start-up and the command loop that serves both protocols.
#include "board/gameboard.h"
#include "frontend/inputline.h"

namespace halberd::frontend {

// Runs the whole program: start-up, the command loop, and the exit status.
int runProgram(int argc, char** argv);

// Reads, normalises and dispatches lines until QUIT or the end of input;
// returns the exit status 0.
int runCommandLoop(LineReader& input, board::GameBoard& game);

}  // namespace halberd::frontend
