#include "frontend/enginebook.h"

#include "book/bookprobe.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/thinking.h"
#include "frontend/variant.h"
#include "search/root.h"

namespace halberd::frontend {

book::BookPaths defaultBookPaths() {
    const std::string installed = installedDataDirectory();
    return {executableDirectory() + book::MainBookName, book::FallbackBookName,
            installed.empty() ? std::string() : installed + book::MainBookName};
}

bool bookRootHook(board::Move* rootList) {
    if (settings().optUseBook.load() == 0 || !nextSearch().book) return false;
    // The book's games are ordinary chess: a Chess960 game reads it only from the ordinary start.
    if (chess960() && !theGame().ordinaryStart) return false;
    return book::bookRootMove(rootList, theGame(), defaultBookPaths()) == 1;
}

void installBookHook() { search::setBookProbe(bookRootHook); }

}  // namespace halberd::frontend
