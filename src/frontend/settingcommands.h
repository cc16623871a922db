#pragma once
// Commands that change settings while the program runs: xboard "MEMORY",
// "EGTPATH" and "option", and the tablebase directory they share with UCI.
#include <string_view>

#include "frontend/dispatch.h"

namespace halberd::frontend {

// Adds a tablebase directory given by EGTPATH and starts the tables again: a
// last character that is no letter or digit (a trailing "/" or carriage
// return) is dropped. False when the directory does not fit the list: it is
// ignored, after a line on standard error.
bool addTablebaseDirectory(std::string_view directory);

// The same for the value of the UCI option NalimovPath, which replaces the
// directories its earlier values added.
bool setOptionDirectories(std::string_view directories);

Next xboardMemory(LoopState& state);
// cores N: N search threads.
Next xboardCores(LoopState& state);
Next xboardEgtpath(LoopState& state);
Next xboardOption(LoopState& state);

}  // namespace halberd::frontend
