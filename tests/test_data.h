#pragma once
// Paths of the test data (perft sets) that ship in tests/data.
#include <string>

namespace halberd::testing {

inline std::string dataPath(const std::string& name) { return std::string(HALBERD_TEST_DATA_DIR) + "/" + name; }

}  // namespace halberd::testing
