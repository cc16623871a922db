#pragma once
// The "***" lines among what the tablebase code wrote to standard error.
#include <sstream>
#include <string>

namespace halberd::testing {

inline std::string problemLines(const std::string& captured) {
    std::istringstream lines(captured);
    std::string out;
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("***")) out += line + "\n";
    return out;
}

}  // namespace halberd::testing
