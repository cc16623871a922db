#include "frontend/signals.h"

#include <unistd.h>

#include <csignal>

#include "frontend/state.h"

namespace halberd::frontend {

namespace {

// Only async-signal-safe calls: write, the lock-free stop protocol, sleep and
// _exit. exit() would flush stdio and could deadlock on a stream the
// interrupted thread holds; every reply is flushed when written anyway.
extern "C" void sigtermHandler(int signal) {
    if (signal != SIGTERM) return;
    static constexpr char Message[] = "\rsigterm received,exiting\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, Message, sizeof Message - 1);
    stopThinkingWithin(1000);
    _exit(0);
}

}  // namespace

void installSignalHandlers() {
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = sigtermHandler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace halberd::frontend
