#include "book/bookprobe.h"

#include <utility>

#include "board/fen.h"
#include "book/bookchoice.h"
#include "book/bookrandom.h"

namespace halberd::book {

std::uint16_t bookProbe(const board::GameBoard& game, const BookPaths& paths) {
    const BookFile file = openBookFile(paths);
    if (!file) return 0;
    const std::string key = board::writeFen(game);
    BookRecordBytes bytes;
    if (!bookFind(file.get(), key, bytes)) return 0;
    // The split is a White first move; a set-up start placement with Black to
    // move is answered from its record.
    if (std::string_view(key).starts_with(StartPlacement) && game.sideToMove == board::White)
        return drawRandom() % 100 < StartE2E4Percent ? BookE2E4 : BookD2D4;
    return bookChoose(decodeBookRecord(bytes));
}

int bookRootMove(board::Move* rootMoves, board::GameBoard& game, const BookPaths& paths) {
    if (game.bookMissesLeft <= 0) return 0;
    const std::uint16_t move = bookProbe(game, paths);
    if (move == 0) {
        --game.bookMissesLeft;
        return 0;
    }
    for (board::Move* entry = rootMoves; *entry != board::NoMove; ++entry) {
        if (board::sameSquares(*entry, move)) {
            std::swap(*entry, rootMoves[0]);
            return 1;
        }
    }
    return 0;
}

}  // namespace halberd::book
