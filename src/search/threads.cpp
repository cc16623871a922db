#include "search/threads.h"

#include <algorithm>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "search/transposition.h"

namespace halberd::search {

namespace {

// A helper's pawn table stops at this many entries (about 11 MB): the pawn
// skeletons of one search are few, and a hundred threads must not each take
// an eighth of a large hash budget.
constexpr std::size_t HelperPawnEntries = std::size_t{1} << 18;

struct Pool {
    std::vector<std::unique_ptr<Worker>> workers;
    std::vector<std::thread> threads;
    std::size_t pawnEntries = 0;
};

Pool& pool() {
    static Pool p = [] {
        Pool made;
        made.workers.push_back(std::make_unique<Worker>());
        return made;
    }();
    return p;
}

std::size_t pawnEntriesFor(const Worker& w, std::size_t entries) {
    return w.id == 0 ? entries : std::min(entries, HelperPawnEntries);
}

}  // namespace

bool setThreadCount(int threads) {
    Pool& p = pool();
    const auto wanted = static_cast<std::size_t>(std::clamp(threads, 1, MaxThreads));
    bool allocated = true;
    p.workers.resize(std::min(wanted, p.workers.size()));
    while (p.workers.size() < wanted) {
        auto helper = std::make_unique<Worker>();
        helper->id = static_cast<int>(p.workers.size());
        allocated =
            eval::pawnTableAllocate(helper->eval.pawnTable, pawnEntriesFor(*helper, p.pawnEntries)) && allocated;
        p.workers.push_back(std::move(helper));
    }
    return allocated;
}

int threadCount() { return static_cast<int>(pool().workers.size()); }

Worker& mainWorker() { return *pool().workers.front(); }

std::int64_t allocateTables(std::int64_t bytes) {
    Pool& p = pool();
    const int threads = threadCount();
    const std::int64_t clamped = ttAllocate(bytes, threads);
    const std::size_t entries = clamped < 0 ? 0 : ttSizes(bytes).pawnEntries;
    p.pawnEntries = entries;
    bool allocated = clamped >= 0;
    for (const auto& w : p.workers)
        allocated = eval::pawnTableAllocate(w->eval.pawnTable, pawnEntriesFor(*w, entries)) && allocated;
    return allocated ? clamped : -1;
}

std::uint64_t pawnTableBytes() {
    return eval::pawnTableEntryCount(mainWorker().eval.pawnTable) * sizeof(eval::PawnEntry);
}

void clearWorkers() {
    ttClear(threadCount());
    for (const auto& w : pool().workers) {
        eval::pawnTableClear(w->eval.pawnTable);
        clearHistory(w->tables);
        clearKillers(w->tables);
    }
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

void startHelpers(const std::function<void(Worker&)>& search) {
    Pool& p = pool();
    for (std::size_t i = 1; i < p.workers.size(); ++i) {
        Worker& helper = *p.workers[i];
        try {
            p.threads.emplace_back([&search, &helper] { search(helper); });
        } catch (const std::system_error&) {
            // Without another thread the search goes on with the workers it has.
            break;
        }
    }
}

void joinHelpers() {
    Pool& p = pool();
    for (std::thread& t : p.threads) t.join();
    p.threads.clear();
}

void forEachHelper(const std::function<void(Worker&)>& visit) {
    const Pool& p = pool();
    for (std::size_t i = 1; i < p.workers.size(); ++i) visit(*p.workers[i]);
}

}  // namespace halberd::search
