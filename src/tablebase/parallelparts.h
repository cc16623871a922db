#pragma once
// Work over the numbers 0..count-1 shared out among threads in pieces.
#include <algorithm>
#include <atomic>
#include <cstdint>

#include "parallel/runparts.h"

namespace halberd::tablebase {

using parallel::threadsAvailable;

// work(first, last) for consecutive pieces of `piece` numbers, shared out among
// the threads as they become free; work may only write what no other piece does,
// or through atomic operations or under a lock.
template <class Work>
void forEachPiece(std::uint64_t count, int threads, std::uint64_t piece, Work&& work) {
    std::atomic<std::uint64_t> next{0};
    parallel::runParts(threads, [&](int) {
        for (std::uint64_t first; (first = next.fetch_add(piece, std::memory_order_relaxed)) < count;)
            work(first, std::min(count, first + piece));
    });
}

}  // namespace halberd::tablebase
