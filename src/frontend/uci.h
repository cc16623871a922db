#pragma once
// The UCI commands: identification, readiness, positions, stop, options, new
// game, and the moves written the way UCI interfaces read them.
#include <string>
#include <string_view>

#include "board/types.h"
#include "frontend/clock.h"
#include "frontend/dispatch.h"

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

// Reads the clocks of a go line (WTIME BTIME WINC BINC MOVESTOGO INFINITE
// MOVETIME, in that order) into the time control. Returns true for "infinite".
bool applyGoParameters(std::string_view line, TimeControl& control, board::GameBoard& game);

// "GO": in UCI mode the parameters are read first, and a game that cannot be
// searched (over, or a rejected set-up) is answered with "bestmove 0000" at once,
// since a UCI interface waits for a bestmove after every go.
Next goCommand(LoopState& state);

// The thinking thread's answer in UCI mode; an infinite search holds it until a
// stop. NoMove gives "bestmove 0000".
void uciBestMove(board::Move move);

}  // namespace halberd::frontend
