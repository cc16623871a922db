#pragma once
// Handlers of the xboard commands and of an entered move.
#include <string_view>

#include "frontend/dispatch.h"

namespace halberd::frontend {

Next ignoreCommand(LoopState& state);
Next xboardForce(LoopState& state);
Next xboardUndo(LoopState& state);
Next xboardRemove(LoopState& state);
Next xboardQuit(LoopState& state);
Next xboardNew(LoopState& state);
// "variant fischerandom" plays Chess960 (the interface sends its position by
// setboard), "variant normal" ordinary chess; "new" goes back to ordinary chess.
Next xboardVariant(LoopState& state);
// "new 960 N": a new game in Chess960 start position N (0-959, 518 the ordinary
// one), a random one without N.
Next xboardNew960(LoopState& state);
Next xboardEdit(LoopState& state);
Next xboardSetboard(LoopState& state);
Next xboardPrint(LoopState& state);
Next xboardProtover(LoopState& state);
Next xboardPing(LoopState& state);
// "hard" / "easy": pondering on and off.
Next xboardHard(LoopState& state);
Next xboardEasy(LoopState& state);
// "hint": "Hint: MOVE" from the book, the expected reply, or else a short search;
// nothing in a finished game.
Next xboardHint(LoopState& state);
// "bk": the book moves of the position.
Next xboardBook(LoopState& state);

// The last entry: a move text is played and answered; any other line is an
// unknown command.
Next enteredMove(LoopState& state);

// The "tellusererror Illegal position %d" reply of a rejected set-up, with the
// rule the position breaks (looked for in its FEN when there is one).
void reportIllegalPosition(int code, std::string_view fen = {});

}  // namespace halberd::frontend
