#pragma once
// The engine's own book: where its files are, and its answer for a game's
// position, asked before a search starts.
#include "board/gameboard.h"
#include "board/position.h"
#include "book/bookfile.h"

namespace halberd::frontend {

// Halberd.bo2 beside the executable, Mini.bo2 in the current directory, then
// Halberd.bo2 in the installed data directory.
book::BookPaths defaultBookPaths();

// Puts a book move at the head of the root list when the book option is on
// and the book has a move for the game's position; the game also keeps the
// count of book misses.
bool bookRootHook(board::Move* rootList, board::GameBoard& game);

}  // namespace halberd::frontend
