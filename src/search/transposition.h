#pragma once
// The transposition table: two-entry buckets of 12-byte entries, aged per search.
#include <cstdint>

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
    std::uint32_t lock;     // hashKeyHigh (en-passant adjusted)
    std::int16_t score;     // mate scores stored as a distance from the storing node
    std::int16_t evaluation;
    std::uint16_t move;
    std::uint16_t packed;   // bits 0-2 kind, 3-9 depth in plies, 10-14 age, 15 PV flag
};
static_assert(sizeof(TTEntry) == 12);

struct TTBucket {
    TTEntry slot[2];
};
static_assert(sizeof(TTBucket) == 24);

// Sizes and clears the main and pawn tables for `bytes` (clamped to 4 MiB .. 2 GiB);
// returns the clamped byte count, or -1 when an allocation fails.
std::int64_t ttAllocate(std::int64_t bytes);
void ttClear();
// Advances the generation counter at the start of every root search (31 wraps to 1).
void ttNewSearch();
// The entry stored for the position, or nullptr.
const TTEntry* ttProbe(std::uint32_t keyLow, std::uint32_t lock);
// depth in 1/256 plies; node gives the ply for mate distances.
void ttStore(int kind, int score, board::Move move, int depth, int pvFlag, const board::NodeState& node,
             std::uint32_t keyLow, std::uint32_t lock, int evaluation);

// Sizes in bytes of the allocated tables (for the "Hash=..MB HP=..MB" line).
std::uint64_t ttBytes();
std::uint64_t pawnTableBytes();

extern std::uint8_t ttAge;

}  // namespace halberd::search
