#include "search/transposition.h"

#include <algorithm>

#include "board/hashmemory.h"
#include "eval/pawntable.h"

namespace halberd::search {

std::uint8_t ttAge = 1;

namespace {

board::HashMemory<TTBucket> table;

constexpr int AgeCycle = 32;
constexpr int MaxStoredDepth = 127;

// Entries of older searches lose 8 plies of worth per generation.
int worth(const TTEntry& entry) { return entry.depth() - 8 * ((ttAge + AgeCycle - entry.age()) % AgeCycle); }

// Scores and evaluations live in 16 bits; saturate instead of wrapping a large
// positive score into a negative one.
std::int16_t narrow(int value) { return static_cast<std::int16_t>(std::clamp(value, -32767, 32767)); }

}  // namespace

std::int64_t ttAllocate(std::int64_t bytes) {
    const TableSizes sizes = ttSizes(bytes);
    if (!table.resize(sizes.buckets)) {
        eval::pawnTableAllocate(0);
        return -1;
    }
    if (!eval::pawnTableAllocate(sizes.pawnEntries)) return -1;
    ttClear();
    eval::pawnTableClear();
    return sizes.bytes;
}

void ttClear() {
    table.clear();
    ttAge = 1;
}

int ttHashfull() {
    constexpr std::size_t SampleBuckets = 500;
    const std::size_t buckets = std::min(SampleBuckets, table.size());
    if (buckets == 0) return 0;
    int used = 0;
    for (std::size_t i = 0; i < buckets; ++i)
        for (const TTEntry& entry : table[i].slot) used += entry.kind() != BoundEmpty && entry.age() == ttAge ? 1 : 0;
    return static_cast<int>(static_cast<std::size_t>(used) * 500 / buckets);
}

void ttNewSearch() { ttAge = ttAge >= 31 ? 1 : static_cast<std::uint8_t>(ttAge + 1); }

void ttPrefetch(std::uint32_t keyLow) { table.prefetch(keyLow); }

const TTEntry* ttProbe(std::uint32_t keyLow, std::uint32_t lock) {
    if (table.empty()) return nullptr;
    const TTBucket& bucket = table.entryOf(keyLow);
    // Slot 0 is filled first, so an empty slot 0 means an empty bucket.
    if (bucket.slot[0].kind() == BoundEmpty) return nullptr;
    if (bucket.slot[0].lock == lock) return &bucket.slot[0];
    if (bucket.slot[1].kind() != BoundEmpty && bucket.slot[1].lock == lock) return &bucket.slot[1];
    return nullptr;
}

void ttStore(int kind, int score, board::Move move, int depth, int pvFlag, const board::NodeState& node,
             std::uint32_t keyLow, std::uint32_t lock, int evaluation) {
    if (table.empty()) return;
    TTBucket& bucket = table.entryOf(keyLow);
    TTEntry* entry = nullptr;
    if (bucket.slot[0].kind() == BoundEmpty || bucket.slot[0].lock == lock)
        entry = &bucket.slot[0];
    else if (bucket.slot[1].kind() == BoundEmpty || bucket.slot[1].lock == lock)
        entry = &bucket.slot[1];
    else
        entry = worth(bucket.slot[1]) < worth(bucket.slot[0]) ? &bucket.slot[1] : &bucket.slot[0];

    // Depths below zero (none are expected) count as zero rather than wrapping to 127 plies.
    const int plies = std::clamp(depth >> 8, 0, MaxStoredDepth);
    const int pv = pvFlag != 0 ? 1 : 0;
    const auto move16 = static_cast<std::uint16_t>(move & 0xFFFF);
    if (entry->kind() != BoundEmpty && entry->lock == lock) {
        // A much deeper entry of this search survives a shallower bound.
        if (entry->depth() - 3 > plies + 2 * pv && kind != BoundExact && entry->age() == ttAge) return;
        if (move16 != 0) entry->move = move16;
    } else {
        entry->lock = lock;
        entry->move = move16;
    }

    if (score > 32000)
        score += node.ply;
    else if (score < -32000)
        score -= node.ply;
    entry->score = narrow(score);
    entry->evaluation = narrow(evaluation);
    entry->packed = static_cast<std::uint16_t>((kind & 7) | (plies << 3) | ((ttAge & 31) << 10) | (pv << 15));
}

std::uint64_t ttBytes() { return table.size() * sizeof(TTBucket); }

std::uint64_t pawnTableBytes() { return eval::pawnTableEntryCount() * sizeof(eval::PawnEntry); }

}  // namespace halberd::search
