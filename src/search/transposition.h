#pragma once
// The transposition table: two-entry buckets of 12-byte entries, aged per search.
// Every search worker reads and writes it at once, without a lock.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "board/nodestate.h"

namespace halberd::search {

enum BoundType : std::uint16_t {
    BoundEmpty = 0,
    BoundLower = 1,
    BoundUpper = 2,
    BoundExact = 3,
    BoundTablebase = 5,
};

struct TTEntry {
    std::uint32_t lock;  // hashKeyHigh (en-passant adjusted)
    std::int16_t score;  // mate scores stored as a distance from the storing node
    std::int16_t evaluation;
    std::uint16_t move;
    std::uint16_t packed;  // bits 0-2 kind, 3-9 depth in plies, 10-14 age, 15 PV flag

    constexpr int kind() const { return packed & 7; }
    constexpr int depth() const { return (packed >> 3) & 127; }
    constexpr int age() const { return (packed >> 10) & 31; }
    constexpr bool pv() const { return (packed & 0x8000) != 0; }
};
static_assert(sizeof(TTEntry) == 12);

// An entry as stored: three words that threads read and write one at a time.
// The first holds the lock mixed with the other two, so an entry torn by two
// writers (or read half-written) fails its check and reads as another position.
struct TTSlot {
    std::atomic<std::uint32_t> check;  // lock ^ data ^ meta
    std::atomic<std::uint32_t> data;   // score in bits 0-15, evaluation in 16-31
    std::atomic<std::uint32_t> meta;   // move in bits 0-15, packed in 16-31
};

struct TTBucket {
    TTSlot slot[2];
};
static_assert(sizeof(TTBucket) == 24);

constexpr std::int64_t TTMinBytes = std::int64_t{1} << 22;  // 4 MiB
constexpr std::int64_t TTMaxBytes = std::int64_t{1} << 31;  // 2 GiB

struct TableSizes {
    std::int64_t bytes;         // the request clamped to 4 MiB .. 2 GiB
    std::uint64_t buckets;      // even
    std::uint64_t pawnEntries;  // even; about an eighth of the budget at 42 bytes each
};

// The sizes ttAllocate gives both tables for a request of `bytes`.
constexpr TableSizes ttSizes(std::int64_t bytes) {
    const std::int64_t clamped = bytes < TTMinBytes ? TTMinBytes : bytes > TTMaxBytes ? TTMaxBytes : bytes;
    const auto b = static_cast<std::uint64_t>(clamped);
    return {clamped, ((b - b / 8) / 24 + 1) & ~std::uint64_t{1}, (b / 336 + 1) & ~std::uint64_t{1}};
}

// Sizes and clears the table for `bytes` (clamped to 4 MiB .. 2 GiB); returns
// the clamped byte count, or -1 when the allocation fails. The pawn tables of
// the workers take the rest of the budget (ttSizes).
// Runs work(part) for parts 0..parts-1, on as many threads as it has.
using PartRunner = std::function<void(std::size_t parts, const std::function<void(std::size_t)>& work)>;
std::int64_t ttAllocate(std::int64_t bytes, const PartRunner& run = {});
// Empties the table, the slices shared out by the runner (none: on this thread).
void ttClear(const PartRunner& run = {});
// Advances the generation counter at the start of every root search (31 wraps to 1).
void ttNewSearch();
// Starts loading the bucket of a key that will be probed soon.
void ttPrefetch(std::uint32_t keyLow);
// Copies the entry stored for the position into `entry`; false when there is
// none (`entry` is then left as it was). The search calls this form on every
// node: an optional returned through memory cost it a stalled reload.
bool ttProbe(std::uint32_t keyLow, std::uint32_t lock, TTEntry& entry);

// The entry stored for the position, or nothing.
inline std::optional<TTEntry> ttProbe(std::uint32_t keyLow, std::uint32_t lock) {
    TTEntry entry{};
    if (!ttProbe(keyLow, lock, entry)) return std::nullopt;
    return entry;
}
// depth in 1/256 plies; node gives the ply for mate distances.
void ttStore(int kind, int score, board::Move move, int depth, int pvFlag, const board::NodeState& node,
             std::uint32_t keyLow, std::uint32_t lock, int evaluation);

// A stored score seen from a node at `ply`: mate scores were stored as a
// distance from the storing node.
constexpr int ttScoreAtPly(int stored, int ply) {
    if (stored > 32000) return stored - ply;
    if (stored < -32000) return stored + ply;
    return stored;
}

// Entries in use by the current search, in thousandths of a sample of the table.
int ttHashfull();

// Size in bytes of the allocated table (for the "Hash=..MB" line).
std::uint64_t ttBytes();

// The generation of the running search, 1..31.
std::uint8_t ttGeneration();

}  // namespace halberd::search
