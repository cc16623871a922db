#pragma once
// Work over the numbers 0..count-1 shared out among threads with the result of
// one thread: each thread fills its own list for a contiguous part of a chunk,
// and the lists are then consumed in order on the calling thread. Whatever the
// consumer builds is the same for any number of threads.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace tablebase {

// The processors the machine offers, at least 1.
inline int threadsAvailable() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

// work(first, last) for consecutive pieces of `piece` numbers, shared out among
// the threads as they become free; work may only write what no other piece does
// or through atomic operations.
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

// produce(first, last, list) appends the items of [first, last) to its list and
// may read shared data only, never what consume writes; consume(list) sees the
// lists of consecutive pieces of `piece` numbers in order. With more than one
// thread the threads take the next piece as they become free and the calling
// thread consumes the pieces as they come in, so nobody waits at a barrier and
// the consumer's serial work hides behind the producers'. Producers run at most
// a few pieces ahead of the consumer, which bounds the memory of the lists.
template <class Item, class Produce, class Consume>
void mapPartsInOrder(std::uint64_t count, int threads, std::uint64_t piece, Produce&& produce, Consume&& consume) {
    if (threads <= 1) {
        std::vector<Item> list;
        for (std::uint64_t first = 0; first < count; first += piece) {
            produce(first, std::min(count, first + piece), list);
            consume(list);
            list.clear();
        }
        return;
    }
    const std::uint64_t pieces = (count + piece - 1) / piece;
    const std::uint64_t window = static_cast<std::uint64_t>(threads) * 4;
    struct Slot {
        std::vector<Item> list;
        std::atomic<std::uint64_t> filled{0};  // 1 + the piece the list holds, 0 while none
    };
    std::vector<Slot> slots(window);
    std::atomic<std::uint64_t> taken{0};
    std::atomic<std::uint64_t> consumed{0};
    {
        std::vector<std::jthread> producers;
        for (int t = 0; t < threads; ++t)
            producers.emplace_back([&] {
                for (std::uint64_t p; (p = taken.fetch_add(1, std::memory_order_relaxed)) < pieces;) {
                    // The slot is free once the piece `window` before this one is consumed.
                    for (std::uint64_t done; (done = consumed.load(std::memory_order_acquire)) + window <= p;)
                        consumed.wait(done, std::memory_order_acquire);
                    Slot& slot = slots[p % window];
                    produce(p * piece, std::min(count, (p + 1) * piece), slot.list);
                    slot.filled.store(p + 1, std::memory_order_release);
                    slot.filled.notify_one();
                }
            });
        for (std::uint64_t p = 0; p < pieces; ++p) {
            Slot& slot = slots[p % window];
            for (std::uint64_t holds; (holds = slot.filled.load(std::memory_order_acquire)) != p + 1;)
                slot.filled.wait(holds, std::memory_order_acquire);
            consume(slot.list);
            slot.list.clear();
            consumed.store(p + 1, std::memory_order_release);
            consumed.notify_all();
        }
    }  // the producers have run out of pieces and join here
}

}  // namespace tablebase
