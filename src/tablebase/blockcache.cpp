#include "tablebase/blockcache.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tablebase/blockdecoder.h"
#include "tablebase/problems.h"
#include "tablebase/registry.h"

namespace tablebase {

namespace {

// Every search thread probes through the one cache: a probe holds the lock from
// the chain walk to the copy of its byte. `waits` counts the probes that found
// it taken.
std::mutex cacheMutex;
std::atomic<std::uint64_t> waits{0};

// A slot's buffer keeps room beyond the block for a decoder's last copy.
constexpr int SlotBufferBytes = 8228;

struct Slot {
    int cls = 0;
    int side = 0;
    std::uint32_t first = 0;                     // index of the block's first value
    int prev = NoSlot, next = NoSlot;            // recency list, most recent first
    int chainPrev = NoSlot, chainNext = NoSlot;  // the file's hash chain
};

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

struct Cache {
    std::vector<Slot> slots;
    std::unique_ptr<std::int8_t, FreeDeleter> buffers;
    int freeHead = NoSlot;
    int recentHead = NoSlot, recentTail = NoSlot;
    CacheCounts counts;
};

Cache cache;
std::int64_t allocationCeiling = -1;

std::int8_t* bufferOf(int slot) { return cache.buffers.get() + static_cast<std::ptrdiff_t>(slot) * SlotBufferBytes; }

int chainOf(std::uint32_t index) { return static_cast<int>((index / BlockValues) % BlockChains); }

void unlinkRecent(int s) {
    Slot& slot = cache.slots[s];
    (slot.prev == NoSlot ? cache.recentHead : cache.slots[slot.prev].next) = slot.next;
    (slot.next == NoSlot ? cache.recentTail : cache.slots[slot.next].prev) = slot.prev;
    slot.prev = slot.next = NoSlot;
}

void pushRecent(int s) {
    Slot& slot = cache.slots[s];
    slot.prev = NoSlot;
    slot.next = cache.recentHead;
    (cache.recentHead == NoSlot ? cache.recentTail : cache.slots[cache.recentHead].prev) = s;
    cache.recentHead = s;
}

void unlinkChain(int s, TableFile& file) {
    Slot& slot = cache.slots[s];
    (slot.chainPrev == NoSlot ? file.chains[chainOf(slot.first)] : cache.slots[slot.chainPrev].chainNext) =
        slot.chainNext;
    if (slot.chainNext != NoSlot) cache.slots[slot.chainNext].chainPrev = slot.chainPrev;
    slot.chainPrev = slot.chainNext = NoSlot;
}

void pushChain(int s, TableFile& file) {
    Slot& slot = cache.slots[s];
    int& head = file.chains[chainOf(slot.first)];
    slot.chainPrev = NoSlot;
    slot.chainNext = head;
    if (head != NoSlot) cache.slots[head].chainPrev = s;
    head = s;
}

void pushFree(int s) {
    cache.slots[s].next = cache.freeHead;
    cache.freeHead = s;
}

// A slot for a new block: a free one, else the least recently used one,
// taken out of its file's chain.
int takeSlot() {
    if (cache.freeHead != NoSlot) {
        const int s = cache.freeHead;
        cache.freeHead = cache.slots[s].next;
        cache.slots[s].next = NoSlot;
        return s;
    }
    const int s = cache.recentTail;
    unlinkRecent(s);
    if (TableFile* owner = registeredFile(cache.slots[s].cls, cache.slots[s].side)) unlinkChain(s, *owner);
    return s;
}

// The file must still be the one registered: a regular file of its length.
// Anything else (a FIFO put in its place would block a plain open for ever) is
// not opened, and its values are not available.
bool openFile(TableFile& file) {
    if (file.file) return true;
    file.file = openRegularFile(file.path, file.bytes).file;
    return file.file != nullptr;
}

// Reads block `first / 8192` of the file into the buffer, decoding it from a
// compressed file. Only a plain table's last block may come short, and then
// only as short as the table's end.
bool readBlock(TableFile& file, std::uint32_t first, std::uint32_t tableSize, std::int8_t* buffer) {
    if (file.compressed)
        return emd::readCompressedBlock(file.file.get(), *file.compressed, first / BlockValues,
                                        reinterpret_cast<std::uint8_t*>(buffer));
    if (std::fseek(file.file.get(), static_cast<long>(first), SEEK_SET) != 0) return false;
    const std::size_t wanted = std::min<std::size_t>(BlockValues, tableSize - first);
    const std::size_t got = std::fread(buffer, 1, BlockValues, file.file.get());
    return got >= wanted;
}

}  // namespace

void setAllocationCeiling(std::int64_t bytes) { allocationCeiling = bytes; }

bool allocationPermitted(std::int64_t bytes) { return allocationCeiling < 0 || bytes <= allocationCeiling; }

bool setUpCache(std::int64_t bytes) {
    releaseCache();
    bytes = std::clamp(bytes, MinCacheBytes, MaxCacheBytes);
    const int count = static_cast<int>(bytes / SlotBytes);
    const std::size_t area = static_cast<std::size_t>(count) * SlotBufferBytes;
    void* memory = allocationPermitted(static_cast<std::int64_t>(area)) ? std::malloc(area) : nullptr;
    if (memory == nullptr) {
        reportProblem("*** Cannot allocate " + std::to_string(bytes) + " bytes of memory\n");
        return false;
    }
    cache.buffers.reset(static_cast<std::int8_t*>(memory));
    cache.slots.assign(static_cast<std::size_t>(count), Slot{});
    for (int s = count - 1; s >= 0; --s) pushFree(s);
    dropCachedBlocks();
    return true;
}

void releaseCache() {
    cache.buffers.reset();
    cache.slots.clear();
    cache.slots.shrink_to_fit();
    cache.freeHead = cache.recentHead = cache.recentTail = NoSlot;
    cache.counts = {};
}

int cacheSlots() { return static_cast<int>(cache.slots.size()); }

CacheCounts cacheCounts() {
    CacheCounts counts = cache.counts;
    counts.waits = waits.load(std::memory_order_relaxed);
    return counts;
}

void dropCachedBlocks() {
    for (int cls = 1; cls <= ClassCount; ++cls)
        for (int side = 0; side < 2; ++side)
            if (TableFile* file = registeredFile(cls, side)) file->chains.fill(NoSlot);
    cache.freeHead = cache.recentHead = cache.recentTail = NoSlot;
    for (int s = cacheSlots() - 1; s >= 0; --s) {
        cache.slots[s] = Slot{};
        pushFree(s);
    }
}

int fetchValue(int cls, int side, std::uint32_t index) {
    std::unique_lock<std::mutex> lock(cacheMutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        waits.fetch_add(1, std::memory_order_relaxed);
        lock.lock();
    }
    TableFile* file = registeredFile(cls, side);
    const std::uint32_t size = tableClass(cls).size[side & 1];
    if (cacheSlots() == 0 || file == nullptr || index >= size) return NotAvailable;
    const std::uint32_t first = index - index % BlockValues;
    for (int s = file->chains[chainOf(index)]; s != NoSlot; s = cache.slots[s].chainNext) {
        if (cache.slots[s].first != first) continue;
        unlinkRecent(s);
        pushRecent(s);
        unlinkChain(s, *file);
        pushChain(s, *file);
        ++cache.counts.hits;
        return bufferOf(s)[index - first];
    }
    // A file that will not open may be one too many open files: drop the
    // cache and try once more.
    if (!openFile(*file)) {
        dropCachedBlocks();
        if (!openFile(*file)) return NotAvailable;
    }
    const int s = takeSlot();
    if (!readBlock(*file, first, size, bufferOf(s))) {
        cache.slots[s] = Slot{};
        pushFree(s);
        return NotAvailable;
    }
    ++cache.counts.reads;
    cache.slots[s].cls = cls;
    cache.slots[s].side = side;
    cache.slots[s].first = first;
    pushRecent(s);
    pushChain(s, *file);
    return bufferOf(s)[index - first];
}

}  // namespace tablebase
