#pragma once
// The "***" lines about damaged table files and failed allocations. They go to
// standard error, beside the other start-up lines, so that an interface never
// reads them as replies; the front end may also pass them on in its protocol.
#include <string>

namespace halberd::tablebase {

using ProblemWriter = void (*)(const std::string& line);

// A writer that gets every line after standard error has; none for no other.
void setProblemWriter(ProblemWriter writer);

// Writes the line (newline included) to standard error and to the writer.
void reportProblem(const std::string& line);

}  // namespace halberd::tablebase
