#pragma once
// The book as the search asks it: one probe per search, a move for the game's
// position, and the give-up rule after a run of positions the book lacks.
#include <cstdint>
#include <string_view>

#include "board/gameboard.h"
#include "book/bookfile.h"

namespace halberd::book {

// The start position is answered by a fixed split instead of its record:
// e2e4 in 60 draws of 100, d2d4 otherwise.
constexpr std::string_view StartPlacement = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";
constexpr std::uint16_t BookE2E4 = 1804;
constexpr std::uint16_t BookD2D4 = 1739;
constexpr std::uint32_t StartE2E4Percent = 60;

// Probes in a row without a book move before the book is left alone until the
// next new game, take-back or set-up.
constexpr int BookMissLimit = 10;

// Book move (from, to and kind) for the game's position, or 0. The file is
// opened and closed here; nothing of it is kept.
std::uint16_t bookProbe(const board::GameBoard& game, const BookPaths& paths);

// The search's hook: puts the book move first in the zero-terminated root list
// (words with the move in their low 16 bits) and returns 1; returns 0 when the
// book has no move. A probe without a book move uses up one of the game's
// bookMissesLeft; with none left the book is not read.
int bookRootMove(board::Move* rootMoves, board::GameBoard& game, const BookPaths& paths);

}  // namespace halberd::book
