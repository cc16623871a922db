#pragma once
// The one way the engine's batch work starts threads: a job cut into N parts
// that run at once, part 0 on the calling thread, each other on a thread of
// its own, all ended when the call returns. The tablebase generator shares its
// pieces out through it; clearing a large table in slices fits it as well.
#include <algorithm>
#include <thread>
#include <vector>

namespace halberd::parallel {

// The processors the machine offers, at least 1.
inline int threadsAvailable() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

// part(0) .. part(parts - 1) at once (at least part(0)); returns when all have
// ended. A part may only write what no other part does, or through atomic
// operations or under a lock.
template <class Part>
void runParts(int parts, Part&& part) {
    std::vector<std::jthread> helpers;
    helpers.reserve(static_cast<std::size_t>(std::max(parts - 1, 0)));
    for (int p = 1; p < parts; ++p) helpers.emplace_back([&part, p] { part(p); });
    part(0);
}  // the helpers join here

}  // namespace halberd::parallel
