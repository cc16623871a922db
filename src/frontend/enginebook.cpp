#include "frontend/enginebook.h"

#include <cstdio>
#include <string>

#include "board/fen.h"
#include "book/bookchoice.h"
#include "book/bookprobe.h"
#include "frontend/settings.h"
#include "frontend/variant.h"

namespace halberd::frontend {

book::BookPaths defaultBookPaths() {
    const std::string installed = installedDataDirectory();
    return {executableDirectory() + book::MainBookName, book::FallbackBookName,
            installed.empty() ? std::string() : installed + book::MainBookName};
}

std::string bookInUseLine() {
    const book::BookPaths paths = defaultBookPaths();
    std::string tried;
    for (const std::string* path : {&paths.main, &paths.fallback, &paths.installed}) {
        if (path->empty()) continue;
        if (const book::BookFile file = book::openBookFile({*path, {}, {}}); file) return "Book: " + *path;
        tried += (tried.empty() ? "" : ", ") + *path;
    }
    return "Book: none found (" + tried + "); the engine plays without a book";
}

bool startRuleApplies(const board::GameBoard& game) {
    return game.sideToMove == board::White && board::writeFen(game).starts_with(book::StartPlacement);
}

std::string bookChanceText(const book::BookRecord& record, int index, bool startRule) {
    const book::BookCandidate& candidate = record.candidates[static_cast<std::size_t>(index)];
    if (startRule) {
        const std::uint32_t percent = candidate.move == book::BookE2E4   ? book::StartE2E4Percent
                                      : candidate.move == book::BookD2D4 ? 100 - book::StartE2E4Percent
                                                                         : 0;
        return std::to_string(percent) + "% (start rule)";
    }
    const int slots = book::candidateSlots(candidate);
    const int total = book::totalSlots(record);
    char text[64];
    std::snprintf(text, sizeof text, "%.0f%% (%d of %d slots)", 100.0 * slots / total, slots, total);
    return text;
}

std::string bookChanceNote(bool startRule) {
    if (startRule)
        return "start position: the engine's own rule chooses, not the book's weights: e2e4 in " +
               std::to_string(book::StartE2E4Percent) + "% of its games, d2d4 in the others";
    return "chance: a move's slots over all slots; a move has 1 + a tenth of its score rate in slots";
}

bool bookRootHook(board::Move* rootList, board::GameBoard& game) {
    if (settings().optUseBook.load() == 0) return false;
    // The book's games are ordinary chess: a Chess960 game reads it only from the ordinary start.
    if (game.chess960 && !game.ordinaryStart) return false;
    return book::bookRootMove(rootList, game, defaultBookPaths()) == 1;
}

}  // namespace halberd::frontend
