#include "search/newgame.h"

#include "eval/pawntable.h"
#include "search/ordering.h"
#include "search/transposition.h"

namespace halberd::search {

void newGame() {
    ttClear();
    eval::pawnTableClear();
    clearHistory();
    clearKillers();
}

}  // namespace halberd::search
