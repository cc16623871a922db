#pragma once
// The principal variation inside the endgame tables: the table-best moves from
// where the searched variation ends, since the search itself stops at the
// first table position and would show that one move at every depth.
#include "board/position.h"
#include "search/report.h"

namespace halberd::search {

// Appends to the variation (0-terminated) of `root`, side `side` to move, the
// moves that keep the table's result best for the side to move, while the
// tables answer for every reply and the position is won or lost, up to mate or
// the variation's length.
void extendWithTableMoves(PvArray& pv, const board::Position& root, int side);

}  // namespace halberd::search
