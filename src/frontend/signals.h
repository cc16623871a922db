#pragma once
// Signals: xboard sends SIGINT to interrupt engines that want it, so it is
// ignored; SIGTERM stops a running search and ends the program.
namespace halberd::frontend {

void installSignalHandlers();

}  // namespace halberd::frontend
