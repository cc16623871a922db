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

void stopThinking() { stopThinkingWithin(-1); }

void stopThinkingWithin(int waits) {
    if (thinking.load() == 0) return;
    stopCount.fetch_add(1);
    // nanosleep, unlike the library's sleep, is safe inside a signal handler.
    const timespec tenMilliseconds{0, 10'000'000};
    // The request is repeated while waiting: a search that had not started its
    // clock yet clears the request when it does, and would otherwise run on.
    for (int waited = 0; thinking.load() != 0 && (waits < 0 || waited < waits); ++waited) {
        stopRequest.store(1);
        nanosleep(&tenMilliseconds, nullptr);
    }
}

void writeReply(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool outputGone() { return std::ferror(stdout) != 0; }

}  // namespace halberd::frontend
