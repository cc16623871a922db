#pragma once
// GO in both protocols: the xboard search start, and the UCI go line with its
// clocks and limits.
#include <string_view>

#include "board/gameboard.h"
#include "frontend/dispatch.h"
#include "frontend/thinking.h"

namespace halberd::frontend {

// Starts the engine's search on the game under the xboard time control.
Next xboardGo(LoopState& state);

// The search a go line asks for (WTIME BTIME WINC BINC MOVESTOGO MOVETIME DEPTH
// NODES MATE PONDER INFINITE SEARCHMOVES, each number held to a sane range).
// Every go line is judged on its own numbers: the side to move's clock and
// increment shared as sudden death, or over MOVESTOGO moves; a move time less
// the overhead; no time limit without either, or for INFINITE.
GoRequest uciSearchRequest(std::string_view line, const board::GameBoard& game);

// "GO": in UCI mode the parameters are read first, and a game that cannot be
// searched (over, or a rejected set-up) is answered with "bestmove 0000" at once,
// since a UCI interface waits for a bestmove after every go.
Next goCommand(LoopState& state);

}  // namespace halberd::frontend
