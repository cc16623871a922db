#include "book/bookhook.h"

#include "book/bookprobe.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "search/root.h"

namespace halberd::book {

bool bookRootHook(board::Move* rootList, const board::Position&, int) {
    if (frontend::settings().optUseBook.load() == 0) return false;
    return bookRootMove(rootList, frontend::theGame(), defaultBookPaths()) == 1;
}

void installBookHook() { search::setBookProbe(bookRootHook); }

}  // namespace halberd::book
