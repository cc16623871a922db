#pragma once
// Signals: xboard sends SIGINT to interrupt engines that want it, so it is
// ignored; SIGTERM stops a running search and ends the program. SIGPIPE is
// ignored too: an interface that closes the engine's output makes the writes
// fail instead of killing the engine, which then ends on its own (outputGone).
namespace halberd::frontend {

void installSignalHandlers();

}  // namespace halberd::frontend
