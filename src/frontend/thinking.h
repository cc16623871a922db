#pragma once
// The thinking thread: one root search on the game, then the move reply, the
// resign rule and the result line; in xboard mode with pondering on, a search
// on the opponent's time after the engine's move.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/gameboard.h"
#include "frontend/clock.h"
#include "search/report.h"
#include "search/root.h"

namespace halberd::frontend {

// What the next search is asked to do. Written by the command loop before the
// thread starts and only read while it runs.
struct SearchRequest {
    Budget budget;
    std::uint64_t nodes = 0;               // node budget, 0 for none
    int mateMoves = 0;                     // stop at a mate this short, 0 for none
    std::vector<board::Move> searchMoves;  // the root moves to choose from, empty for all
    bool ponder = false;                   // UCI "go ponder": no time limit before ponderhit
    bool infinite = false;                 // UCI "go infinite": the answer waits for a stop
    bool book = true;                      // the book may answer: a move to play, not an analysis
    std::uint32_t issuedMillis = 0;        // when the command came (search::nowMillis), 0 for now
};
SearchRequest& nextSearch();

// The root search's result; none when no search ran (game over, or no legal move).
std::optional<search::SearchResult> runRootSearch(board::GameBoard& game, const SearchRequest& request);
// The same with the reporter given (an empty one keeps the search silent)
// instead of the protocol's thinking lines.
std::optional<search::SearchResult> runRootSearch(board::GameBoard& game, const SearchRequest& request,
                                                  search::Reporter reporter);

// Body of the thinking thread; clears `thinking` as its very last action.
void thinkThread();

// Starts the thinking thread for the game's side to move with nextSearch(),
// whose time counts from now;
// `thinking` is set before the thread exists, so a command right after cannot
// miss the search. False when a search runs already, the game is over, or no
// thread was made.
bool startThinking(board::GameBoard& game);

// A search that has already chosen its move (or ponders in xboard mode) is
// ended and waited for, so that a command arriving while its answer is being
// written is not lost; a search still thinking is left alone.
void settleFinishedSearch();

// xboard pondering: the opponent move the thread has played on the board and
// ponders on, or 0. The command loop takes it with exchange(0) when that move
// arrives and then tells the search with ponderHit.
extern std::atomic<std::uint32_t> ponderGuess;

// xboard "hard" / "easy", the xboard Ponder option and the UCI Ponder option
// are one switch, the last one wins. Turning it off ends a pondering search.
void setPonderSwitch(bool on);

// The guess, once the thread is past the moment between printing its move and
// starting to ponder (it only plays the move and picks the guess then, so the
// wait is short); NoMove when it does not ponder.
board::Move settledPonderGuess();

// The UCI score line of a root without a legal move ("score mate 0" when the
// side to move is mated, "score cp 0" in stalemate); empty while it has one.
std::string rootWithoutMoveLine(const board::GameBoard& game);

// The move the engine expects from its opponent: the second move of the last
// variation when its first is the move just played, else 0.
board::Move expectedReply(const board::GameBoard& game);

// Resign bookkeeping after an engine move that did not end the game.
struct MoveReply {
    bool resign = false;
    bool bookPause = false;  // a book move waits a moment before it is sent
};
// The engine's recent scores as the resign rule follows them through a game.
struct ResignWatch {
    int count = 0;      // moves in a row whose score came closer to being mated
    int lastScore = 0;  // score of the last searched move
};
ResignWatch& resignWatch();  // the program's game's
MoveReply applyResignRule(int score, bool fromBook, bool resignOption, ResignWatch& watch);

}  // namespace halberd::frontend
