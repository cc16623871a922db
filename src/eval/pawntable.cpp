#include "eval/pawntable.h"

namespace halberd::eval {

namespace {

// Key entries 448 and 449 tell the side to move apart in king-dependent entries.
constexpr int SideMixKey = 448;

PawnEntry* entryOf(PawnTable& table, std::uint32_t low) {
    if (table.entries.empty()) return nullptr;
    return &table.entries.entryOf(low);
}

}  // namespace

board::KeyPair pawnTableKey(const board::SearchBoard& sb, const board::NodeState& state, board::Colour side) {
    using namespace board;
    KeyPair key{state.pawnKeyLow, state.pawnKeyHigh};
    bool mixed = false;
    if (state.counts[CountBlackPieces] == 0 && state.counts[CountWhitePawns] > 0) {
        const int square = sb.slotSquare[slotBase(Black) + KingSlot];
        key.toggle(keyIndex(Black, King, square));
        mixed = true;
    }
    if (state.counts[CountWhitePieces] == 0 && state.counts[CountBlackPawns] > 0) {
        const int square = sb.slotSquare[slotBase(White) + KingSlot];
        key.toggle(keyIndex(White, King, square));
        mixed = true;
    }
    if (mixed) key.toggle(SideMixKey + side);
    return key;
}

bool pawnTableAllocate(PawnTable& table, std::size_t entries) { return table.entries.resize(entries); }

void pawnTableClear(PawnTable& table) { table.entries.clear(); }

std::size_t pawnTableEntryCount(const PawnTable& table) { return table.entries.size(); }

std::optional<PawnFacts> pawnTableProbe(PawnTable& table, board::KeyPair key) {
    ++table.probes;
    const PawnEntry* entry = entryOf(table, key.low);
    if (entry == nullptr || entry->check != key.high || entry->keyTop != (key.low >> 16)) return std::nullopt;
    ++table.hits;
    PawnFacts facts;
    facts.score = entry->score;
    facts.topPasser = {entry->passerSquares & 63, (entry->passerSquares >> 6) & 63};
    facts.passers = {entry->whitePassers, entry->blackPassers};
    facts.attacks = {entry->whiteAttacks, entry->blackAttacks};
    return facts;
}

void pawnTableStore(PawnTable& table, board::KeyPair key, const PawnFacts& facts) {
    PawnEntry* entry = entryOf(table, key.low);
    if (entry == nullptr) return;
    entry->check = key.high;
    entry->keyTop = static_cast<std::uint16_t>(key.low >> 16);
    entry->score = static_cast<std::int16_t>(facts.score);
    entry->passerSquares = static_cast<std::uint16_t>((entry->passerSquares & 0xF000) | (facts.topPasser[0] & 63) |
                                                      ((facts.topPasser[1] & 63) << 6));
    entry->whitePassers = facts.passers[0];
    entry->blackPassers = facts.passers[1];
    entry->whiteAttacks = facts.attacks[0];
    entry->blackAttacks = facts.attacks[1];
}

}  // namespace halberd::eval
