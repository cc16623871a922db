#include "frontend/commandloop.h"

#include <cstdio>

namespace halberd::frontend {

int runProgram(int, char**) { return 0; }

}  // namespace halberd::frontend
