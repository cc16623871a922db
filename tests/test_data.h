#pragma once
// Paths of the shared test data (perft sets, test suites) beside the repository.
#include <string>

namespace halberd::testing {

inline std::string sharedPath(const std::string& name) {
    return std::string(HALBERD_SHARED_DIR) + "/" + name;
}

}  // namespace halberd::testing
