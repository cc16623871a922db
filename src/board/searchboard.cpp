#include "board/nodestate.h"

namespace halberd::board {

SearchBoard searchBoard{};

}  // namespace halberd::board
