#include "search/transposition.h"

#include <algorithm>

#include "board/hashmemory.h"
#include "search/search.h"

namespace halberd::search {

namespace {

// Shared by every worker. The generation changes only between searches, while
// no worker runs.
board::HashMemory<TTBucket> table;
std::uint8_t ttAge = 1;

constexpr int AgeCycle = 32;
constexpr int MaxStoredDepth = 127;

// The stored words are read and written relaxed: a stale or torn entry costs a
// miss (its check fails) or a plausibility test of its move, never the board.
TTEntry load(const TTSlot& slot) {
    const std::uint32_t check = slot.check.load(std::memory_order_relaxed);
    const std::uint32_t data = slot.data.load(std::memory_order_relaxed);
    const std::uint32_t meta = slot.meta.load(std::memory_order_relaxed);
    return {check ^ data ^ meta, static_cast<std::int16_t>(data & 0xFFFF), static_cast<std::int16_t>(data >> 16),
            static_cast<std::uint16_t>(meta & 0xFFFF), static_cast<std::uint16_t>(meta >> 16)};
}

void save(TTSlot& slot, const TTEntry& entry) {
    const std::uint32_t data = static_cast<std::uint16_t>(entry.score) |
                               static_cast<std::uint32_t>(static_cast<std::uint16_t>(entry.evaluation)) << 16;
    const std::uint32_t meta = entry.move | static_cast<std::uint32_t>(entry.packed) << 16;
    slot.data.store(data, std::memory_order_relaxed);
    slot.meta.store(meta, std::memory_order_relaxed);
    slot.check.store(entry.lock ^ data ^ meta, std::memory_order_relaxed);
}

// Entries of older searches lose 8 plies of worth per generation.
int worth(const TTEntry& entry) { return entry.depth() - 8 * ((ttAge + AgeCycle - entry.age()) % AgeCycle); }

// Scores and evaluations live in 16 bits; saturate instead of wrapping a large
// positive score into a negative one.
std::int16_t narrow(int value) { return static_cast<std::int16_t>(std::clamp(value, -32767, 32767)); }

}  // namespace

std::int64_t ttAllocate(std::int64_t bytes, const PartRunner& run) {
    const TableSizes sizes = ttSizes(bytes);
    if (!table.resize(sizes.buckets)) return -1;
    ttClear(run);
    return sizes.bytes;
}

void ttClear(const PartRunner& run) {
    // Zeroing a table of gigabytes takes a second on one core: the runner
    // shares the slices among its threads.
    constexpr std::size_t Slices = 64;
    const auto clearSlice = [](std::size_t part) { table.clear(part, Slices); };
    if (run)
        run(Slices, clearSlice);
    else
        table.clear();
    ttAge = 1;
}

int ttHashfull() {
    constexpr std::size_t SampleBuckets = 500;
    const std::size_t buckets = std::min(SampleBuckets, table.size());
    if (buckets == 0) return 0;
    int used = 0;
    for (std::size_t i = 0; i < buckets; ++i)
        for (const TTSlot& slot : table[i].slot) {
            const TTEntry entry = load(slot);
            used += entry.kind() != BoundEmpty && entry.age() == ttAge ? 1 : 0;
        }
    return static_cast<int>(static_cast<std::size_t>(used) * 500 / buckets);
}

void ttNewSearch() { ttAge = ttAge >= 31 ? 1 : static_cast<std::uint8_t>(ttAge + 1); }

std::uint8_t ttGeneration() { return ttAge; }

void ttPrefetch(std::uint32_t keyLow) { table.prefetch(keyLow); }

bool ttProbe(std::uint32_t keyLow, std::uint32_t lock, TTEntry& entry) {
    if (table.empty()) return false;
    const TTBucket& bucket = table.entryOf(keyLow);
    // Slot 0 is filled first, so an empty slot 0 means an empty bucket.
    const TTEntry first = load(bucket.slot[0]);
    if (first.kind() == BoundEmpty) return false;
    if (first.lock == lock) {
        entry = first;
        return true;
    }
    const TTEntry second = load(bucket.slot[1]);
    if (second.kind() == BoundEmpty || second.lock != lock) return false;
    entry = second;
    return true;
}

void ttStore(int kind, int score, board::Move move, int depth, int pvFlag, const board::NodeState& node,
             std::uint32_t keyLow, std::uint32_t lock, int evaluation) {
    if (table.empty()) return;
    TTBucket& bucket = table.entryOf(keyLow);
    const TTEntry first = load(bucket.slot[0]);
    const TTEntry second = load(bucket.slot[1]);
    int chosen = 0;
    if (first.kind() == BoundEmpty || first.lock == lock)
        chosen = 0;
    else if (second.kind() == BoundEmpty || second.lock == lock)
        chosen = 1;
    else
        chosen = worth(second) < worth(first) ? 1 : 0;
    TTEntry entry = chosen == 0 ? first : second;

    // Depths below zero (none are expected) count as zero rather than wrapping to 127 plies.
    const int plies = std::clamp(depth >> 8, 0, MaxStoredDepth);
    const int pv = pvFlag != 0 ? 1 : 0;
    const auto move16 = static_cast<std::uint16_t>(move & 0xFFFF);
    if (entry.kind() != BoundEmpty && entry.lock == lock) {
        // A much deeper entry of this search survives a shallower bound.
        if (entry.depth() - 3 > plies + 2 * pv && kind != BoundExact && entry.age() == ttAge) return;
        if (move16 != 0) entry.move = move16;
    } else {
        entry.lock = lock;
        entry.move = move16;
    }

    if (score > 32000)
        score += node.ply;
    else if (score < -32000)
        score -= node.ply;
    entry.score = narrow(score);
    // The evaluation field holds a static evaluation only. A mate score taken
    // as a node's estimate (an exact entry's score, or a node in check) keeps
    // no ply of its own: read back elsewhere as a stand-pat value it would
    // claim a mate nearer than the storing node, so it is stored as unknown.
    entry.evaluation = narrow(std::abs(evaluation) < MateBound ? evaluation : UnknownEval);
    entry.packed = static_cast<std::uint16_t>((kind & 7) | (plies << 3) | ((ttAge & 31) << 10) | (pv << 15));
    save(bucket.slot[chosen], entry);
}

std::uint64_t ttBytes() { return table.size() * sizeof(TTBucket); }

}  // namespace halberd::search
