#include "tablebase/blockcache.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "tablebase/blockdecoder.h"
#include "tablebase/problems.h"
#include "tablebase/registry.h"

namespace halberd::tablebase {

namespace {

constexpr int WordsPerSlot = BlockValues / 8;
constexpr int FewestWays = 4;

// A slot's tag: the key of its block in the low 32 bits (0: empty) and the
// number of times the slot was filled above them. A reader that sees the same
// tag before and after it reads a value knows that the slot was not refilled
// in between (a sequence lock whose writers are the misses).
using Tag = std::uint64_t;

std::uint32_t keyOf(int cls, int side, std::uint32_t block) {
    return (static_cast<std::uint32_t>(cls * 2 + side) << 20 | block) + 1;  // tables hold fewer than 2^20 blocks
}

struct Cache {
    int slots = 0;
    int setBits = 0;
    // Per slot: its tag, the miss clock of its last use, and its fill count
    // (guarded by the set's lock); its values, eight to a word, all of them
    // atomic words so that a reader racing a refill reads something defined
    // and then sees the new tag.
    std::unique_ptr<std::atomic<Tag>[]> tags;
    std::unique_ptr<std::atomic<std::uint32_t>[]> used;
    std::unique_ptr<std::uint32_t[]> fills;
    std::unique_ptr<std::atomic<std::uint64_t>[]> words;
    // One lock per set, taken by a copy into the set only.
    std::unique_ptr<std::mutex[]> locks;
    // Advanced by every block copied in: the recency of the slots. While no
    // block is read, a hit finds its slot's stamp current and writes nothing.
    std::atomic<std::uint32_t> clock{0};
};

Cache cache;
std::int64_t allocationCeiling = -1;

// Each thread counts in words of its own (a shared counter would be a line
// that every hit writes); the sums are taken under a lock.
struct ThreadCounts;
std::mutex countsMutex;
std::vector<ThreadCounts*> liveCounts;
CacheCounts retiredCounts, countsAtSetUp;

struct ThreadCounts {
    std::atomic<std::uint64_t> hits{0}, reads{0}, waits{0};
    ThreadCounts() {
        const std::lock_guard lock(countsMutex);
        liveCounts.push_back(this);
    }
    ~ThreadCounts() {
        const std::lock_guard lock(countsMutex);
        retiredCounts.hits += hits.load(std::memory_order_relaxed);
        retiredCounts.reads += reads.load(std::memory_order_relaxed);
        retiredCounts.waits += waits.load(std::memory_order_relaxed);
        std::erase(liveCounts, this);
    }
    ThreadCounts(const ThreadCounts&) = delete;
    ThreadCounts& operator=(const ThreadCounts&) = delete;
};

ThreadCounts& ownCounts() {
    thread_local ThreadCounts counts;
    return counts;
}

// Only its own thread writes a count: no read-modify-write is needed.
void bump(std::atomic<std::uint64_t>& count) {
    count.store(count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

CacheCounts summedCounts() {
    const std::lock_guard lock(countsMutex);
    CacheCounts sum = retiredCounts;
    for (const ThreadCounts* counts : liveCounts) {
        sum.hits += counts->hits.load(std::memory_order_relaxed);
        sum.reads += counts->reads.load(std::memory_order_relaxed);
        sum.waits += counts->waits.load(std::memory_order_relaxed);
    }
    return sum;
}

struct SlotRange {
    int first, last;
};

// Blocks of one file run through consecutive sets, each file from its own start.
int setOf(int cls, int side, std::uint32_t block) {
    const std::uint32_t start = static_cast<std::uint32_t>(cls * 2 + side) * 0x9e3779b1u;
    return static_cast<int>((start + block) & ((std::uint32_t{1} << cache.setBits) - 1));
}

SlotRange slotsOf(int set) {
    const auto boundary = [](int s) {
        return static_cast<int>((static_cast<std::int64_t>(s) * cache.slots) >> cache.setBits);
    };
    return {boundary(set), boundary(set + 1)};
}

// A word holds the values of its eight offsets as memory holds them.
static_assert(std::endian::native == std::endian::little, "a value's place in its word");
std::int8_t valueIn(std::uint64_t word, std::uint32_t offset) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(word >> (8 * (offset % 8))));
}

std::atomic<std::uint64_t>& wordOf(int slot, std::uint32_t offset) {
    return cache.words[static_cast<std::size_t>(slot) * WordsPerSlot + offset / 8];
}

void markUsed(int slot) {
    const std::uint32_t now = cache.clock.load(std::memory_order_relaxed);
    if (cache.used[slot].load(std::memory_order_relaxed) != now) cache.used[slot].store(now, std::memory_order_relaxed);
}

// The value when the block is cached; NotAvailable on a miss.
int cachedValue(std::uint32_t key, int set, std::uint32_t offset) {
    const SlotRange range = slotsOf(set);
    for (int s = range.first; s < range.last; ++s) {
        const Tag tag = cache.tags[s].load(std::memory_order_acquire);
        if (static_cast<std::uint32_t>(tag) != key) continue;
        const std::uint64_t word = wordOf(s, offset).load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (cache.tags[s].load(std::memory_order_relaxed) != tag) return NotAvailable;  // refilled meanwhile
        markUsed(s);
        return valueIn(word, offset);
    }
    return NotAvailable;
}

// Copies a block read by this thread into its set, over the empty or least
// recently used slot, unless another thread's copy of it came first.
void copyIn(std::uint32_t key, int set, std::span<const std::uint8_t, BlockValues> values) {
    std::unique_lock lock(cache.locks[set], std::try_to_lock);
    if (!lock.owns_lock()) {
        bump(ownCounts().waits);
        lock.lock();
    }
    const std::uint32_t now = cache.clock.fetch_add(1, std::memory_order_relaxed) + 1;
    const SlotRange range = slotsOf(set);
    int victim = range.first;
    std::uint32_t oldest = 0;
    for (int s = range.first; s < range.last; ++s) {
        const auto slotKey = static_cast<std::uint32_t>(cache.tags[s].load(std::memory_order_relaxed));
        if (slotKey == key) return;
        const std::uint32_t age = slotKey == 0 ? std::numeric_limits<std::uint32_t>::max()
                                               : now - cache.used[s].load(std::memory_order_relaxed);
        if (age > oldest) {
            oldest = age;
            victim = s;
        }
    }
    const Tag tag = Tag{++cache.fills[victim]} << 32 | key;
    cache.tags[victim].store(0, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    for (std::uint32_t w = 0; w < WordsPerSlot; ++w) {
        std::uint64_t word;
        std::memcpy(&word, values.data() + 8 * w, sizeof word);
        wordOf(victim, w * 8).store(word, std::memory_order_relaxed);
    }
    cache.used[victim].store(now, std::memory_order_relaxed);
    cache.tags[victim].store(tag, std::memory_order_release);
}

// The file must still be the one registered: a regular file of its length.
// Anything else (a FIFO put in its place would block a plain open for ever) is
// not opened, and its values are not available. The first reader opens it
// for all; -1 when it will not open.
int openedFile(TableFile& file) {
    const int open = file.descriptor.load(std::memory_order_acquire);
    if (open >= 0) return open;
    const std::lock_guard lock(file.opening);
    if (!file.file) {
        file.file = files::openRegularFile(file.path, file.bytes).file;
        if (!file.file) return -1;
        file.descriptor.store(::fileno(file.file.get()), std::memory_order_release);
    }
    return file.descriptor.load(std::memory_order_relaxed);
}

// Reads block `block` of the file, decoding it from a compressed file. Only
// the table's last block may come short, and then only as short as the
// table's end; zeros fill the rest of `out`.
bool readBlock(TableFile& file, std::uint32_t block, std::uint32_t tableSize,
               std::span<std::uint8_t, BlockValues> out) {
    const int descriptor = openedFile(file);
    if (descriptor < 0) return false;
    const std::uint32_t first = block * BlockValues;
    const std::size_t length = std::min<std::size_t>(BlockValues, tableSize - first);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(length), out.end(), std::uint8_t{0});
    if (file.compressed) return emd::readCompressedBlock(descriptor, *file.compressed, block, out.data());
    return files::readAt(descriptor, first, out.first(length));
}

}  // namespace

void setAllocationCeiling(std::int64_t bytes) { allocationCeiling = bytes; }

bool allocationPermitted(std::int64_t bytes) { return allocationCeiling < 0 || bytes <= allocationCeiling; }

bool setUpCache(std::int64_t bytes) {
    releaseCache();
    bytes = std::clamp(bytes, MinCacheBytes, MaxCacheBytes);
    const int count = static_cast<int>(bytes / SlotBytes);
    const int setBits = std::bit_width(static_cast<unsigned>(count / FewestWays)) - 1;
    const auto slots = static_cast<std::size_t>(count);
    const std::size_t area = slots * (sizeof(Tag) + 2 * sizeof(std::uint32_t) + BlockValues);
    try {
        if (!allocationPermitted(static_cast<std::int64_t>(area))) throw std::bad_alloc();
        cache.tags = std::make_unique<std::atomic<Tag>[]>(slots);
        cache.used = std::make_unique<std::atomic<std::uint32_t>[]>(slots);
        cache.fills = std::make_unique<std::uint32_t[]>(slots);
        cache.words = std::make_unique<std::atomic<std::uint64_t>[]>(slots * WordsPerSlot);
        cache.locks = std::make_unique<std::mutex[]>(std::size_t{1} << setBits);
    } catch (const std::bad_alloc&) {
        releaseCache();
        reportProblem("*** Cannot allocate " + std::to_string(bytes) + " bytes of memory\n");
        return false;
    }
    cache.slots = count;
    cache.setBits = setBits;
    countsAtSetUp = summedCounts();
    return true;
}

void releaseCache() {
    cache.slots = 0;
    cache.setBits = 0;
    cache.tags.reset();
    cache.used.reset();
    cache.fills.reset();
    cache.words.reset();
    cache.locks.reset();
}

int cacheSlots() { return cache.slots; }

int cacheSets() { return cache.slots == 0 ? 0 : 1 << cache.setBits; }

CacheCounts cacheCounts() {
    const CacheCounts sum = summedCounts();
    return {sum.hits - countsAtSetUp.hits, sum.reads - countsAtSetUp.reads, sum.waits - countsAtSetUp.waits};
}

// No lock: a slot emptied while a thread copies a block into it ends up
// holding that block, which is as good as empty.
void dropCachedBlocks() {
    for (int s = 0; s < cache.slots; ++s) cache.tags[s].store(0, std::memory_order_relaxed);
}

int fetchValue(int cls, int side, std::uint32_t index) {
    TableFile* file = registeredFile(cls, side);
    const std::uint32_t size = tableClass(cls).size[side & 1];
    if (cache.slots == 0 || file == nullptr || index >= size) return NotAvailable;
    const std::uint32_t block = index / BlockValues, offset = index % BlockValues;
    const std::uint32_t key = keyOf(cls, side, block);
    const int set = setOf(cls, side, block);
    const int cached = cachedValue(key, set, offset);
    if (cached != NotAvailable) {
        bump(ownCounts().hits);
        return cached;
    }
    std::array<std::uint8_t, BlockValues> values;
    if (!readBlock(*file, block, size, values)) return NotAvailable;
    bump(ownCounts().reads);
    copyIn(key, set, values);
    return static_cast<std::int8_t>(values[offset]);
}

}  // namespace halberd::tablebase
