#pragma once
// Work over the numbers 0..count-1 shared out among threads with the result of
// one thread: each thread fills its own list for a contiguous part of a chunk,
// and the lists are then consumed in order on the calling thread. Whatever the
// consumer builds is the same for any number of threads.
#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace tablebase {

// The processors the machine offers, at least 1.
inline int threadsAvailable() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

// produce(first, last, list) appends the items of [first, last) to its list and
// may read shared data only; consume(list) sees every part's list in order. The
// chunk bounds the memory of the lists.
template <class Item, class Produce, class Consume>
void mapPartsInOrder(std::uint64_t count, int threads, std::uint64_t chunk, Produce&& produce, Consume&& consume) {
    const auto parts = static_cast<std::uint64_t>(std::max(threads, 1));
    std::vector<std::vector<Item>> lists(parts);
    for (std::uint64_t first = 0; first < count; first += chunk) {
        const std::uint64_t last = std::min(count, first + chunk);
        const std::uint64_t share = (last - first + parts - 1) / parts;
        const auto bounds = [&](std::uint64_t part) {
            return std::pair{std::min(last, first + part * share), std::min(last, first + (part + 1) * share)};
        };
        {
            std::vector<std::jthread> workers;
            for (std::uint64_t part = 1; part < parts && bounds(part).first < last; ++part)
                workers.emplace_back([&, part] { produce(bounds(part).first, bounds(part).second, lists[part]); });
            produce(bounds(0).first, bounds(0).second, lists[0]);
        }  // the workers join here
        for (std::vector<Item>& list : lists) {
            consume(list);
            list.clear();
        }
    }
}

}  // namespace tablebase
