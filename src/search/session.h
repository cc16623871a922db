#pragma once
// One search: what it is asked (the limits), its clock, the stop and ponder
// flags the command thread sets, the game before its root, the variations and
// root status the reports read, and the reporter. The front end makes one for
// every search and hands it to searchRoot, which hands it to every worker;
// nothing of a search outlives its session or is shared with the next one.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "board/gameboard.h"
#include "search/report.h"
#include "search/scores.h"
#include "search/timecontrol.h"

namespace halberd::search {

// What the search is asked. Fixed before it starts.
struct SearchLimits {
    std::int64_t softMs = UnlimitedMillis;  // no new iteration after it
    std::int64_t hardMs = UnlimitedMillis;  // stop at once
    int depth = MaxRootDepth;               // the deepest iteration wanted
    std::uint64_t nodes = 0;                // over all workers, 0 for no budget
    int mateMoves = 0;                      // a mate this short ends the search, 0 for no such goal
    int multiPv = 1;                        // the best moves shown, each with its own variation
    bool ponder = false;                    // no time limit until ponderHit
};

// The variations of the search (0-terminated), read by other threads.
struct Variations {
    PvArray saved{};      // the main worker's last root variation
    PvArray displayed{};  // what the reports show
    PvArray completed{};  // of the last iteration that finished (a stop may cut the others short)
};

// What a helper's last finished iteration found, which the main worker may
// take instead of its own.
struct FinishedIteration {
    int depth = 0;
    int score = 0;
    PvArray pv{};
};

class Session {
public:
    explicit Session(const SearchLimits& asked = {}, Reporter printer = {});
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    // Waits for the helpers still at work for it.
    ~Session();

    const SearchLimits limits;
    const Reporter reporter;

    // Set by the command thread, or by the main worker when it has decided;
    // every worker polls it. A stop that comes before the search starts stays.
    std::atomic<int> stop{0};
    bool stopped() const { return stop.load(std::memory_order_relaxed) != 0; }
    void requestStop() { stop.store(1, std::memory_order_relaxed); }

    // Pondering: from the command thread; the clock then counts from the hit.
    bool pondering() const { return clock.pondering.load(std::memory_order_acquire); }
    void ponderHit(std::int64_t softLimitMs, std::int64_t hardLimitMs);

    SearchClock clock;

    // The game before the root for repetitions: entries 0..historyBase; empty
    // when nothing before the root can recur.
    void setGameHistory(const board::GameBoard& game);
    void setHistory(const board::HistoryEntry* entries, int lastIndex, const board::HistoryEntry* start = nullptr);
    const std::vector<board::HistoryEntry>& history() const { return gameHistory; }
    int historyBase() const { return gameHistoryBase; }

    // The variations, each read whole under the session's lock.
    Variations variations() const;
    template <typename Change>
    void changeVariations(Change&& change) {
        const std::lock_guard<std::mutex> lock(pvLock);
        change(pv);
    }

    // The root's progress for the status line (the main worker's counters tell the rest).
    std::atomic<int> iterationDepth{0};
    std::atomic<int> rootMoveCount{0};
    std::atomic<int> rootMovesLeft{0};
    std::atomic<std::uint32_t> startMillis{0};

    void report(const IterationReport& facts) const {
        if (reporter) reporter(facts);
    }
    // The depth, score and bound of the last line shown of the best variation:
    // the closing line repeats them. The main worker's only.
    struct ShownLine {
        int depth = 0;
        int score = NoResultScore;
        LineMark mark = LineMark::None;
    } shown;

    // The helpers: each posts its finished iterations (by worker id) and
    // leaves when it has stopped; the session ends after the last has left.
    void postHelperIteration(int id, const FinishedIteration& found);
    std::vector<FinishedIteration> helperIterations() const;
    void helperJoins();
    void helperLeaves();

private:
    mutable std::mutex helperLock;
    std::condition_variable helpersGone;
    int helpersAtWork = 0;
    std::vector<FinishedIteration> helperFound;

    std::vector<board::HistoryEntry> gameHistory;
    int gameHistoryBase = -1;
    mutable std::mutex pvLock;
    Variations pv;
};

}  // namespace halberd::search
