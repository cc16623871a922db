#include "frontend/state.h"

#include <cstdio>
#include <ctime>

#include "board/gameboard.h"

namespace halberd::frontend {

board::GameBoard& theGame() {
    static board::GameBoard game = [] {
        board::GameBoard fresh;
        board::resetGameToStart(fresh);
        return fresh;
    }();
    return game;
}

std::mutex& boardLock() {
    static std::mutex lock;
    return lock;
}

std::atomic<int> thinking{0};
std::atomic<int> analyzeMode{0};
std::atomic<int> uciMode{0};
std::atomic<unsigned> stopCount{0};
std::atomic<search::Session*> liveSession{nullptr};

void stopThinking() { stopThinkingWithin(-1); }

void stopThinkingWithin(int waits) {
    if (thinking.load() == 0) return;
    // Counted first: a thread about to publish a new session (an xboard
    // ponder search) looks at the count after publishing it.
    stopCount.fetch_add(1);
    if (search::Session* session = liveSession.load()) session->requestStop();
    // nanosleep, unlike the library's sleep, is safe inside a signal handler.
    const timespec oneMillisecond{0, 1'000'000};
    for (int waited = 0; thinking.load() != 0 && (waits < 0 || waited < waits); ++waited)
        nanosleep(&oneMillisecond, nullptr);
}

void writeReply(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool outputGone() { return std::ferror(stdout) != 0; }

}  // namespace halberd::frontend
