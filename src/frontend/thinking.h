#pragma once
// The thinking thread: one root search on the game, then the move reply, the
// resign rule and the result line; in xboard mode with pondering on, a search
// on the opponent's time after the engine's move.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/gameboard.h"
#include "frontend/clock.h"
#include "search/report.h"
#include "search/root.h"

namespace halberd::frontend {

// What a go (or analyze, or a command-line analysis) asks of a search: the
// front end turns it into the session's limits and its own choices.
struct GoRequest {
    Budget budget;
    std::uint64_t nodes = 0;               // node budget, 0 for none
    int mateMoves = 0;                     // stop at a mate this short, 0 for none
    std::vector<board::Move> searchMoves;  // the root moves to choose from, empty for all
    bool ponder = false;                   // UCI "go ponder": no time limit before ponderhit
    bool infinite = false;                 // UCI "go infinite": the answer waits for a stop
    bool book = true;                      // the book may answer: a move to play, not an analysis
    std::uint32_t issuedMillis = 0;        // when the command came (search::nowMillis), 0 for now
};
// The request of a search started from the command line (its time option).
GoRequest& commandLineSearch();

// A search below this many nodes is all the program may do (0: no ceiling),
// whatever a request asks: for an engine embedded where every search must stay
// short, such as a fuzzing harness.
void setSearchNodeCeiling(std::uint64_t nodes);

// A new session for the request: its limits (the clock from the request's
// issue), the protocol's reporter, and the game before the root.
std::shared_ptr<search::Session> makeSession(const board::GameBoard& game, const GoRequest& request);
// The same with the reporter given (an empty one keeps the search silent)
// instead of the protocol's thinking lines.
std::shared_ptr<search::Session> makeSession(const board::GameBoard& game, const GoRequest& request,
                                             search::Reporter reporter);

// The session of the running search (or the last one), for the stop, the
// ponderhit and the status line; published before its search starts.
std::shared_ptr<search::Session> runningSession();

// The root search of the session on the game, or the book's move when the
// request lets the book answer and it has one; none when no search ran (game
// over, or no legal move).
std::optional<search::SearchResult> runRootSearch(board::GameBoard& game, const GoRequest& request,
                                                  search::Session& session);

// Starts the thinking thread for the game's side to move with the request,
// whose time counts from now; the session is made and published here, so a
// stop right after cannot be lost, and `thinking` is set before the thread
// exists, so a command right after cannot miss the search. False when a search
// runs already, the game is over, or no thread was made.
bool startThinking(board::GameBoard& game, const GoRequest& request);

// A search that has already chosen its move (or ponders in xboard mode) is
// ended and waited for, so that a command arriving while its answer is being
// written is not lost; a search still thinking is left alone.
void settleFinishedSearch();

// xboard pondering: the opponent move the thread has played on the board and
// ponders on, or 0. The command loop takes it with exchange(0) when that move
// arrives and then tells the running session with ponderHit.
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

// The move the engine expects from its opponent: the second move of the
// session's variation when its first is the move just played, else 0.
board::Move expectedReply(const board::GameBoard& game, const search::Session& session);

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
