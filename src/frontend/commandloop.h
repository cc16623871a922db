#pragma once
// Program start-up and the command loop that serves both protocols.

namespace halberd::frontend {

// Runs the whole program: start-up, the command loop, and the exit status.
int runProgram(int argc, char** argv);

}  // namespace halberd::frontend
