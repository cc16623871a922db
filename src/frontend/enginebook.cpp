#include "frontend/enginebook.h"

#include "book/bookprobe.h"
#include "frontend/settings.h"

namespace halberd::frontend {

book::BookPaths defaultBookPaths() {
    const std::string installed = installedDataDirectory();
    return {executableDirectory() + book::MainBookName, book::FallbackBookName,
            installed.empty() ? std::string() : installed + book::MainBookName};
}

bool bookRootHook(board::Move* rootList, board::GameBoard& game) {
    if (settings().optUseBook.load() == 0) return false;
    return book::bookRootMove(rootList, game, defaultBookPaths()) == 1;
}

}  // namespace halberd::frontend
