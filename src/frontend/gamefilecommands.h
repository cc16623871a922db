#pragma once
// xboard commands around the game log and game files: "RESULT" and "PARTIE".
#include "frontend/dispatch.h"

namespace halberd::frontend {

// Writes the text after the first space of the line to the game log.
Next xboardResult(LoopState& state);
// Loads the game file named after "PARTIE ".
Next loadGameCommand(LoopState& state);

}  // namespace halberd::frontend
