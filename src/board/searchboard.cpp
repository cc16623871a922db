#include "board/searchboard.h"

namespace halberd::board {

SearchBoard searchBoard{};

}  // namespace halberd::board
