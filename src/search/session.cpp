#include "search/session.h"

#include <optional>
#include <utility>

#include "board/makemove.h"

namespace halberd::search {

Session::Session(const SearchLimits& asked, Reporter printer) : limits(asked), reporter(std::move(printer)) {
    clock.pondering.store(asked.ponder, std::memory_order_relaxed);
}

Session::~Session() {
    std::unique_lock<std::mutex> lock(helperLock);
    helpersGone.wait(lock, [this] { return helpersAtWork == 0; });
}

void Session::postHelperIteration(int id, const FinishedIteration& found) {
    const std::lock_guard<std::mutex> lock(helperLock);
    const auto at = static_cast<std::size_t>(id);
    if (helperFound.size() <= at) helperFound.resize(at + 1);
    helperFound[at] = found;
}

std::vector<FinishedIteration> Session::helperIterations() const {
    const std::lock_guard<std::mutex> lock(helperLock);
    return helperFound;
}

void Session::helperJoins() {
    const std::lock_guard<std::mutex> lock(helperLock);
    ++helpersAtWork;
}

void Session::helperLeaves() {
    // Notified under the lock: the session may end as soon as the count is 0.
    const std::lock_guard<std::mutex> lock(helperLock);
    if (--helpersAtWork == 0) helpersGone.notify_all();
}

void Session::ponderHit(std::int64_t softLimitMs, std::int64_t hardLimitMs) {
    // The clock starts when the move that was pondered on is played.
    clock.softMs.store(softLimitMs, std::memory_order_relaxed);
    clock.hardMs.store(hardLimitMs, std::memory_order_relaxed);
    clock.start.store(nowMillis(), std::memory_order_release);
    clock.pondering.store(false, std::memory_order_release);
}

void Session::setHistory(const board::HistoryEntry* entries, int lastIndex, const board::HistoryEntry* start) {
    const std::size_t kept = lastIndex >= 0 ? static_cast<std::size_t>(lastIndex) + 1 : 0;
    gameHistory.clear();
    if (start != nullptr) gameHistory.push_back(*start);
    gameHistory.insert(gameHistory.end(), entries, entries + kept);
    gameHistoryBase = static_cast<int>(gameHistory.size()) - 1;
}

void Session::setGameHistory(const board::GameBoard& game) {
    const std::optional<board::HistoryEntry> start = board::reversibleStartEntry(game);
    setHistory(game.history.data(), game.plyCounter, start ? &*start : nullptr);
}

Variations Session::variations() const {
    const std::lock_guard<std::mutex> lock(pvLock);
    return pv;
}

}  // namespace halberd::search
