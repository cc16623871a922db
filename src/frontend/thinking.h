#pragma once
// The thinking thread: one root search on the game, then the move reply, the
// resign rule and the result line.
#include <cstdint>

#include "board/position.h"

namespace halberd::frontend {

// Packed result: low 16 bits the chosen move, high 16 bits the score as a signed
// 16-bit number; -1 when no search ran (game over, or no legal move).
std::int32_t runRootSearch(board::GameBoard& game);

// Body of the thinking thread; stores the packed result through `result` and
// clears `thinking` as its very last action.
void thinkThread(std::int32_t* result);

// Starts the thinking thread for the game's side to move; `thinking` is set
// before the thread exists, so a command right after cannot miss the search.
// False when a search runs already, the game is over, or no thread was made.
bool startThinking(board::GameBoard& game);

// Resign bookkeeping after an engine move that did not end the game.
struct MoveReply {
    bool resign = false;
    bool bookPause = false;  // a book move waits a moment before it is sent
};
MoveReply applyResignRule(int score, bool fromBook, bool resignOption, board::GameBoard& game);

}  // namespace halberd::frontend
