#pragma once
// The block cache: table values are read in blocks of 8192 and kept in a
// fixed number of slots. The slots are grouped in sets of four to eight; a
// block belongs to one set (by its file and number) and replaces the least
// recently used slot of that set.
//
// Any number of threads probe at once, between a set-up and a release: a hit
// takes no lock and writes nothing another thread reads, and a miss reads and
// decodes its block outside every lock, then takes its set's lock only to copy
// the block in.

#include <cstdint>

namespace halberd::tablebase {

constexpr int BlockValues = 8192;
constexpr int SlotBytes = 8284;  // what one slot costs of the cache size: header and buffer
constexpr std::int64_t MinCacheBytes = std::int64_t{1} << 20;
constexpr std::int64_t MaxCacheBytes = std::int64_t{64} << 20;

// fetchValue's answer when the byte cannot be had (no cache, no file, a read
// that fails).
constexpr int NotAvailable = 1000;

// Sets up the cache for `bytes` (bounded to 1 MiB .. 64 MiB), every slot
// free. When the memory is not there it prints "*** Cannot allocate %d bytes
// of memory" and leaves the cache without slots; false then. Neither this nor
// releaseCache may run while a thread probes.
bool setUpCache(std::int64_t bytes);
void releaseCache();
int cacheSlots();

// The number of sets: blocks n and n + cacheSets() of one file share a set.
int cacheSets();

// Frees every slot (also while other threads probe; a block one of them is
// copying in at the time may stay).
void dropCachedBlocks();

// The signed byte at `index` of the registered table (cls, side), or
// NotAvailable.
int fetchValue(int cls, int side, std::uint32_t index);

// Cache statistics since the last set-up, summed over the threads: the probes
// that found their block, the blocks read, and the reads that waited for
// another thread's copy into the same set.
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

}  // namespace halberd::tablebase
