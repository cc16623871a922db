#pragma once
// What the search learnt in one game is forgotten before the next.

namespace halberd::search {

// Clears the transposition and pawn tables and the move-ordering tables (the
// counters start afresh with every search anyway).
void newGame();

}  // namespace halberd::search
