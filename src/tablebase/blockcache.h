#pragma once
// The block cache: table values are read in blocks of 8192 and kept in a
// fixed number of slots, replaced least recently used first, found through 32
// hash chains per file.

#include <cstdint>

namespace tablebase {

constexpr int BlockValues = 8192;
constexpr int SlotBytes = 8284;  // what one slot costs of the cache size: header and buffer
constexpr std::int64_t MinCacheBytes = std::int64_t{1} << 20;
constexpr std::int64_t MaxCacheBytes = std::int64_t{64} << 20;

// fetchValue's answer when the byte cannot be had (no cache, no file, a read
// that fails).
constexpr int NotAvailable = 1000;

// Sets up the cache for `bytes` (bounded to 1 MiB .. 64 MiB), every slot
// free. When the memory is not there it prints "*** Cannot allocate %d bytes
// of memory" and leaves the cache without slots; false then.
bool setUpCache(std::int64_t bytes);
void releaseCache();
int cacheSlots();

// Frees every slot and empties the hash chains of every registered file.
void dropCachedBlocks();

// The signed byte at `index` of the registered table (cls, side), or
// NotAvailable.
int fetchValue(int cls, int side, std::uint32_t index);

// Cache statistics since the last set-up, for the benchmark; `waits` counts,
// since the program started, the probes that had to wait for another thread's.
struct CacheCounts {
    std::uint64_t hits = 0;
    std::uint64_t reads = 0;
    std::uint64_t waits = 0;
};
CacheCounts cacheCounts();

// Allocations beyond this many bytes fail as if the memory were not there
// (tests of the failure path); negative: no ceiling.
void setAllocationCeiling(std::int64_t bytes);
bool allocationPermitted(std::int64_t bytes);

}  // namespace tablebase
