#pragma once
// The book as the search's root hook sees it: the program's one game, the
// book option and the book files in their usual places.
#include "board/position.h"

namespace halberd::book {

// Puts a book move at the head of the root list when the book option is on and
// the book has a move for the game's position. The root position and side are
// the game's own: the key is built from the game.
bool bookRootHook(board::Move* rootList, const board::Position& position, int side);

// Hands bookRootHook to the search; done once at start-up.
void installBookHook();

}  // namespace halberd::book
