#include "search/worker.h"

#include "search/search.h"

namespace halberd::search {

Worker::Worker() : history(MaxPly + 2) {
    // Ply p's chain holds 64 - p elements, each linked to the next.
    std::size_t used = 0;
    for (std::size_t ply = 0; ply < pvLists.size(); ++ply) {
        const std::size_t length = pvLists.size() - ply;
        pvLists[ply] = &pvBlock[used];
        for (std::size_t k = 0; k < length; ++k)
            pvBlock[used + k] = {k + 1 < length ? &pvBlock[used + k + 1] : nullptr, 0};
        used += length;
    }
}

void startCounters(Worker& w) {
    w.counters.nodes.store(0, std::memory_order_relaxed);
    w.counters.movesSearched.store(0, std::memory_order_relaxed);
    w.counters.currentRootMove.store(0, std::memory_order_relaxed);
    w.counters.tbHits.store(0, std::memory_order_relaxed);
    w.counters.timeCheck = 0;
    w.counters.selectiveDepth = 0;
    w.counters.aborted = false;
}

}  // namespace halberd::search
