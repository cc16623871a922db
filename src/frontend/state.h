#pragma once
// The front end's process-wide state: the one game, the flags shared with the
// thinking thread, the stop protocol and the reply writer.
#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

#include "board/gameboard.h"
#include "frontend/searchreport.h"
#include "search/session.h"

namespace halberd::frontend {

inline constexpr std::string_view EngineName = "Halberd 4.7";

// The one game of the program, built in the start position on first use.
board::GameBoard& theGame();
// A running search owns the game; commands that change it stop the search first.
// The pieces on the board change under a running search only when it plays its
// move, under this lock, which a command that only shows them takes too.
std::mutex& boardLock();

// Shared with the thinking thread without a lock; the SIGTERM handler reads them
// too, so they must be lock-free. postMode (print progress lines) is the reporter's.
extern std::atomic<int> thinking;     // 1 while a thinking thread runs
extern std::atomic<int> analyzeMode;  // searches are endless and print no move
extern std::atomic<int> uciMode;      // 1 once the "uci" command has come
// The session of the running search, whose stop flag a stop sets; published
// before the search starts, so that a stop that comes first is not lost.
extern std::atomic<search::Session*> liveSession;
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<search::Session*>::is_always_lock_free);

// Asks a running search to stop and waits, a millisecond at a time, until the
// thread has cleared `thinking`. Returns at once when nothing runs. Async-signal-safe.
void stopThinking();
// The same, but gives up after `waits` milliseconds (never when negative): a
// signal handler may run on the thinking thread itself, which can never clear
// the flag while it waits.
void stopThinkingWithin(int waits);
// Counts the stops asked of running searches: a UCI "go infinite" holds its
// answer until the next one.
extern std::atomic<unsigned> stopCount;

// Writes one reply to standard output with a single write and flushes it.
void writeReply(std::string_view text);
// True once a write to standard output has failed: the interface has closed it
// (with SIGPIPE ignored the write reports EPIPE) and nobody reads the replies.
bool outputGone();

}  // namespace halberd::frontend
