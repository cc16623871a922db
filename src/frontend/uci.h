#pragma once
// The UCI commands: identification, readiness, positions, stop, options, new
// game, and the moves written the way UCI interfaces read them.
#include <string>
#include <string_view>

#include "board/types.h"
#include "frontend/dispatch.h"
#include "frontend/thinking.h"

namespace halberd::frontend {

// Coordinate notation with a lower-case promotion letter (e7e8q).
std::string uciMoveText(board::Move move);

// "info string <text>", flushed.
void uciInfoString(std::string_view text);

Next uciIdentify(LoopState& state);
Next uciIsReady(LoopState& state);
// "position startpos|fen <FEN> [moves ...]": every line replays from a new game.
// A rejected set-up or move is told in an info string line and leaves a game
// that no search starts from, so that the next go answers "bestmove 0000".
Next uciPosition(LoopState& state);
Next uciStop(LoopState& state);
// Hash, NalimovPath and NalimovCache; the names are compared in any case.
Next uciSetoption(LoopState& state);
// Clears the tables for a new game; the next go line sets the time control.
Next uciNewGame(LoopState& state);

// The search a go line asks for (WTIME BTIME WINC BINC MOVESTOGO MOVETIME DEPTH
// NODES MATE PONDER INFINITE SEARCHMOVES, each number held to a sane range).
// Every go line is judged on its own numbers: the side to move's clock and
// increment shared as sudden death, or over MOVESTOGO moves; a move time less
// the overhead; no time limit without either, or for INFINITE.
SearchRequest uciSearchRequest(std::string_view line, const board::GameBoard& game);

// "GO": in UCI mode the parameters are read first, and a game that cannot be
// searched (over, or a rejected set-up) is answered with "bestmove 0000" at once,
// since a UCI interface waits for a bestmove after every go.
Next goCommand(LoopState& state);

// "PONDERHIT": the pondering search becomes a timed search with the clocks of
// its go line, counted from now.
Next uciPonderHit(LoopState& state);

// The thinking thread's answer in UCI mode; NoMove gives "bestmove 0000". The
// move to ponder on is named when the Ponder option is on.
void uciBestMove(board::Move move, board::Move ponder);

}  // namespace halberd::frontend
