#pragma once
// The engine's own book: where its files are, and its answer for a game's
// position, asked before a search starts.
#include <string>

#include "board/gameboard.h"
#include "board/position.h"
#include "book/bookfile.h"
#include "book/bookrecord.h"

namespace halberd::frontend {

// Halberd.bo2 beside the executable, Mini.bo2 in the current directory, then
// Halberd.bo2 in the installed data directory.
book::BookPaths defaultBookPaths();

// The chance that the engine plays a book move, in the words of the rule it
// chooses by: "NN% (S of T slots)", where a move's slots are 1 + a tenth of its
// score rate; at the start position with White to move the engine's own rule
// (e2e4 or d2d4) decides instead of the book's weights.
std::string bookChanceText(const book::BookRecord& record, int index, bool startRule);
// Whether the start position's rule, not the book's weights, chooses White's first move.
bool startRuleApplies(const board::GameBoard& game);
// The line that tells the reader how the chances above were reached.
std::string bookChanceNote(bool startRule);

// Which book the engine plays from, for standard error at start-up: its path,
// or that none was found and where it was looked for.
std::string bookInUseLine();

// Puts a book move at the head of the root list when the book option is on
// and the book has a move for the game's position; the game also keeps the
// count of book misses.
bool bookRootHook(board::Move* rootList, board::GameBoard& game);

}  // namespace halberd::frontend
