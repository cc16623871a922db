#pragma once
// Work over the numbers 0..count-1 shared out among threads in pieces.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace tablebase {

// The processors the machine offers, at least 1.
inline int threadsAvailable() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

// work(first, last) for consecutive pieces of `piece` numbers, shared out among
// the threads as they become free; work may only write what no other piece does,
// or through atomic operations or under a lock.
template <class Work>
void forEachPiece(std::uint64_t count, int threads, std::uint64_t piece, Work&& work) {
    std::atomic<std::uint64_t> next{0};
    const auto run = [&] {
        for (std::uint64_t first; (first = next.fetch_add(piece, std::memory_order_relaxed)) < count;)
            work(first, std::min(count, first + piece));
    };
    {
        std::vector<std::jthread> helpers;
        for (int t = 1; t < threads; ++t) helpers.emplace_back(run);
        run();
    }  // the helpers join here
}

}  // namespace tablebase
