#pragma once
// The UCI commands: identification, readiness, positions, stop, options, new
// game, and the moves written the way UCI interfaces read them.
#include <string>
#include <string_view>

#include "board/types.h"
#include "frontend/dispatch.h"
#include "frontend/thinking.h"

namespace halberd::frontend {

// A move token as the coordinate parser reads it: its first four characters,
// and the fifth when it is a letter (a promotion).
std::string moveToken(std::string_view token);

// Coordinate notation with a lower-case promotion letter (e7e8q).
std::string uciMoveText(board::Move move);

// "info string <text>", flushed.
void uciInfoString(std::string_view text);

Next uciIdentify(LoopState& state);
Next uciIsReady(LoopState& state);
// "position startpos|fen <FEN> [moves ...]": every line replays from a new game.
// A refused set-up or move is told in an info string line and changes nothing:
// the next go searches the position the interface sent before.
Next uciPosition(LoopState& state);
// "debug on" / "debug off": accepted.
Next uciDebug(LoopState& state);
Next uciStop(LoopState& state);
// Hash, NalimovPath and NalimovCache; the names are compared in any case.
Next uciSetoption(LoopState& state);
// Clears the tables for a new game; the next go line sets the time control.
Next uciNewGame(LoopState& state);

// "PONDERHIT": the pondering search becomes a timed search with the clocks of
// its go line, counted from now.
Next uciPonderHit(LoopState& state);

// The thinking thread's answer in UCI mode; NoMove gives "bestmove 0000". The
// move to ponder on is named when the Ponder option is on.
void uciBestMove(board::Move move, board::Move ponder);

}  // namespace halberd::frontend
