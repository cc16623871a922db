#pragma once
// Commands that change settings while the program runs: xboard "MEMORY",
// "EGTPATH" and "option", and the tablebase directory they share with UCI.
#include <string_view>

#include "frontend/dispatch.h"

namespace halberd::frontend {

// Adds a tablebase directory given by a protocol command: a last character that
// is no letter or digit (a trailing "/" or carriage return) is dropped, and a
// directory that does not fit the list is ignored.
void addTablebaseDirectory(std::string_view directory);

Next xboardMemory(LoopState& state);
// cores N: N search threads.
Next xboardCores(LoopState& state);
Next xboardEgtpath(LoopState& state);
Next xboardOption(LoopState& state);

}  // namespace halberd::frontend
