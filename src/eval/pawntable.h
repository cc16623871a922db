#pragma once
// The pawn hash table: results of the pawn-structure pass keyed by the pawn
// key, so that most evaluations of a pawn skeleton are one probe.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "board/hashmemory.h"
#include "board/keys.h"
#include "board/nodestate.h"

namespace halberd::eval {

// Everything the pawn pass hands to later terms; an entry carries all of it so
// that a hit needs no pawn scan.
struct PawnFacts {
    int score = 0;                                         // White minus Black
    std::array<int, 2> topPasser{};                        // most advanced passer per colour, 0 = none
    std::array<std::array<std::uint8_t, 8>, 2> passers{};  // per colour, byte f = passer square on file f, 0 = none
    std::array<std::uint64_t, 2> attacks{};                // per colour, bit s = square s attacked by a pawn
};

struct [[gnu::packed]] PawnEntry {
    std::uint32_t check;   // mixed pawnKeyHigh
    std::uint16_t keyTop;  // upper 16 bits of the mixed pawnKeyLow
    std::int16_t score;
    std::uint16_t passerSquares;  // bits 0-5 White top passer, 6-11 Black, 12-15 untouched
    std::array<std::uint8_t, 8> whitePassers;
    std::array<std::uint8_t, 8> blackPassers;
    std::uint64_t whiteAttacks;
    std::uint64_t blackAttacks;
};
static_assert(sizeof(PawnEntry) == 42, "the memory report counts 42 bytes per pawn entry");

// The pawn key of the node, mixed with the defending king's square and the side
// to move when a side without pieces faces pawns (the unstoppable-passer test
// then depends on them). Reads the king squares from the board.
board::KeyPair pawnTableKey(const board::SearchBoard& sb, const board::NodeState& state, board::Colour side);

// One search worker's pawn table, with its successful probes and all its
// probes since it was made; the search reports their ratio (the counters wrap,
// so callers take differences).
struct PawnTable {
    board::HashMemory<PawnEntry> entries;
    std::uint32_t hits = 0;
    std::uint32_t probes = 0;
};

// Replaces the table with `entries` zeroed entries; false when memory is short
// (the table is then empty and every probe misses).
bool pawnTableAllocate(PawnTable& table, std::size_t entries);
void pawnTableClear(PawnTable& table);
std::size_t pawnTableEntryCount(const PawnTable& table);

// Starts loading the entry of a pawn key that the evaluation will probe soon
// (the unmixed key: king-dependent keys arise only in pawn endings).
inline void pawnTablePrefetch(const PawnTable& table, std::uint32_t keyLow) { table.entries.prefetch(keyLow); }

// The stored facts of the key, counting the hit; nothing on a miss.
std::optional<PawnFacts> pawnTableProbe(PawnTable& table, board::KeyPair key);
// Always replaces the entry of the key.
void pawnTableStore(PawnTable& table, board::KeyPair key, const PawnFacts& facts);

}  // namespace halberd::eval
