#include "search/threads.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "search/transposition.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace halberd::search {

namespace {

// A helper's pawn table stops at this many entries (about 11 MB): the pawn
// skeletons of one search are few, and a hundred threads must not each take
// an eighth of a large hash budget.
constexpr std::size_t HelperPawnEntries = std::size_t{1} << 18;

// A helper's thread runs a little below the main worker's priority: with more
// threads than free cores the main worker, which alone decides and answers,
// gets the core first and sees a stop at once; with a core each nothing changes.
constexpr int HelperNiceness = 5;

void lowerHelperPriority() {
#if defined(__linux__)
    // Only advice: a refusal leaves the thread as it is.
    [[maybe_unused]] const int refused =
        setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), HelperNiceness);
#endif
}

// The helpers' threads park on `wake` between works; `work` and `round` change
// only while every helper is parked (busy == 0).
struct Pool {
    std::vector<std::unique_ptr<Worker>> workers;
    std::vector<std::thread> threads;  // threads[i] runs workers[i + 1]
    std::size_t pawnEntries = 0;
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable parked;
    std::function<void(Worker&)> work;
    std::uint64_t round = 0;
    int busy = 0;
    bool closing = false;

    Pool() { workers.push_back(std::make_unique<Worker>()); }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;
    ~Pool() { endThreads(); }

    // A thread made after earlier works waits for the next one.
    void helperLoop(Worker& w, std::uint64_t seen) {
        lowerHelperPriority();
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            wake.wait(guard, [&] { return closing || round != seen; });
            if (closing) return;
            seen = round;
            guard.unlock();
            work(w);
            guard.lock();
            if (--busy == 0) parked.notify_all();
        }
    }

    void waitParked() {
        std::unique_lock<std::mutex> guard(lock);
        parked.wait(guard, [&] { return busy == 0; });
    }

    void endThreads() {
        waitParked();
        {
            const std::lock_guard<std::mutex> guard(lock);
            closing = true;
        }
        wake.notify_all();
        for (std::thread& t : threads) t.join();
        threads.clear();
        closing = false;
    }

    bool startThreads() {
        const std::uint64_t current = round;
        for (std::size_t i = threads.size() + 1; i < workers.size(); ++i) {
            Worker& helper = *workers[i];
            try {
                threads.emplace_back([this, &helper, current] { helperLoop(helper, current); });
            } catch (const std::system_error&) {
                // The workers without a thread are dropped: the search goes on with the rest.
                workers.resize(threads.size() + 1);
                return false;
            }
        }
        return true;
    }

    int wakeAll(std::function<void(Worker&)> next) {
        waitParked();
        {
            const std::lock_guard<std::mutex> guard(lock);
            work = std::move(next);
            busy = static_cast<int>(threads.size());
            ++round;
        }
        wake.notify_all();
        return static_cast<int>(threads.size());
    }
};

Pool& pool() {
    static Pool p;
    return p;
}

std::size_t pawnEntriesFor(const Worker& w, std::size_t entries) {
    return w.id == 0 ? entries : std::min(entries, HelperPawnEntries);
}

}  // namespace

bool setThreadCount(int threads) {
    Pool& p = pool();
    const auto wanted = static_cast<std::size_t>(std::clamp(threads, 1, MaxThreads));
    if (wanted == p.workers.size()) return true;
    p.endThreads();
    p.workers.resize(std::min(wanted, p.workers.size()));
    while (p.workers.size() < wanted) {
        auto helper = std::make_unique<Worker>();
        helper->id = static_cast<int>(p.workers.size());
        helper->pawnEntriesWanted = pawnEntriesFor(*helper, p.pawnEntries);
        p.workers.push_back(std::move(helper));
    }
    return p.startThreads();
}

int threadCount() { return static_cast<int>(pool().workers.size()); }

Worker& mainWorker() { return *pool().workers.front(); }

std::int64_t allocateTables(std::int64_t bytes) {
    Pool& p = pool();
    p.waitParked();
    const std::int64_t clamped = ttAllocate(bytes, runParts);
    const std::size_t entries = clamped < 0 ? 0 : ttSizes(bytes).pawnEntries;
    p.pawnEntries = entries;
    Worker& main = mainWorker();
    main.pawnEntriesWanted = entries;
    const bool allocated = clamped >= 0 && eval::pawnTableAllocate(main.eval.pawnTable, entries);
    for (std::size_t i = 1; i < p.workers.size(); ++i)
        p.workers[i]->pawnEntriesWanted = pawnEntriesFor(*p.workers[i], entries);
    return allocated ? clamped : -1;
}

std::uint64_t pawnTableBytes() {
    return eval::pawnTableEntryCount(mainWorker().eval.pawnTable) * sizeof(eval::PawnEntry);
}

void clearWorkers() {
    ttClear(runParts);
    runParts(pool().workers.size(), [](std::size_t i) {
        Worker& w = *pool().workers[i];
        eval::pawnTableClear(w.eval.pawnTable);
        clearHistory(w.tables);
        clearKillers(w.tables);
    });
}

std::uint64_t searchedNodes() {
    std::uint64_t nodes = 0;
    for (const auto& w : pool().workers) nodes += w->counters.nodes.load(std::memory_order_relaxed);
    return nodes;
}

std::uint64_t tablebaseHits() {
    std::uint64_t hits = 0;
    for (const auto& w : pool().workers) hits += w->counters.tbHits.load(std::memory_order_relaxed);
    return hits;
}

void waitForHelpers() { pool().waitParked(); }

int startHelpers(std::function<void(Worker&)> search) { return pool().wakeAll(std::move(search)); }

void forEachHelper(const std::function<void(Worker&)>& visit) {
    const Pool& p = pool();
    for (std::size_t i = 1; i < p.workers.size(); ++i) visit(*p.workers[i]);
}

void runParts(std::size_t parts, const std::function<void(std::size_t)>& work) {
    Pool& p = pool();
    const std::size_t threads = std::min(parts, p.workers.size());
    if (threads <= 1) {
        for (std::size_t part = 0; part < parts; ++part) work(part);
        return;
    }
    // Worker k takes the parts k, k + threads, ...; the calling thread is worker 0.
    const auto share = [&work, parts, threads](std::size_t k) {
        for (std::size_t part = k; part < parts; part += threads) work(part);
    };
    p.wakeAll([&share, threads](Worker& w) {
        if (static_cast<std::size_t>(w.id) < threads) share(static_cast<std::size_t>(w.id));
    });
    share(0);
    p.waitParked();
}

}  // namespace halberd::search
