#pragma once
// The engine's own book: where its files are, and the search's root hook that
// answers from it for the program's one game.
#include "board/position.h"
#include "book/bookfile.h"

namespace halberd::frontend {

// Halberd.bo2 beside the executable, Mini.bo2 in the current directory, then
// Halberd.bo2 in the installed data directory.
book::BookPaths defaultBookPaths();

// Puts a book move at the head of the root list when the book option is on,
// the search is to choose a move to play (not an analysis) and the book has a
// move for the game's position. Every search the front end starts
// is rooted in the program's game, so the key is built from that game, which
// also keeps the count of book misses.
bool bookRootHook(board::Move* rootList);

// Hands bookRootHook to the search; done once at start-up.
void installBookHook();

}  // namespace halberd::frontend
