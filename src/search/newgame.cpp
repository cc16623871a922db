#include "search/newgame.h"

#include "search/threads.h"

namespace halberd::search {

void newGame() { clearWorkers(); }

}  // namespace halberd::search
