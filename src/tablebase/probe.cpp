#include "tablebase/probe.h"

#include <algorithm>

#include "tablebase/blockcache.h"
#include "tablebase/material.h"
#include "tablebase/registry.h"

namespace tablebase {

namespace {

// kppkp with the lone pawn's side to move: seven positions lose in 127 moves,
// one more than a table byte holds, so their files keep the deepest loss a byte
// can (126 moves). The seven indices name those positions only in the numbering
// the files were first made with; under another numbering they name positions
// that are won or drawn. So an index of the seven is a loss in 127 only where its
// file says the position is lost that deep, never on the index alone.
constexpr int DeepestLossByte = -127;
constexpr std::array<std::uint32_t, 7> LongestLosses = {56802428, 56811076, 56849992, 56858640,
                                                        59592489, 67775659, 71071628};
constexpr int LossIn127 = 127 - 32766;

// Per piece type of the board: the count it adds to (White's; Black's are 5
// further) and its first place in a piece list.
constexpr std::array<int, 7> CountOfType = {-1, QueenCount, RookCount, BishopCount, KnightCount, PawnCount, PawnCount};
constexpr std::array<int, 7> PlaceOfType = {KingPlace,   QueenPlace, RookPlace, BishopPlace,
                                            KnightPlace, PawnPlace,  PawnPlace};

}  // namespace

int gatherMaterial(std::span<const std::int32_t> squares, std::span<const std::int32_t> types, ProbeInput& input) {
    input.counts.fill(0);
    input.white.fill(-1);
    input.black.fill(-1);
    int men = 0;
    const int slots = static_cast<int>(std::min<std::size_t>({squares.size(), types.size(), 32}));
    for (int slot = 0; slot < slots; ++slot) {
        const int square = squares[slot];
        const int type = types[slot];
        if (square < 0 || square > 63 || type < 0 || type > 6) continue;
        const bool black = slot >= 16;
        PieceList& list = black ? input.black : input.white;
        if (type != 0) {
            ++input.counts[CountOfType[type] + (black ? BlackCounts : 0)];
            ++men;
        }
        // The first free place of the type: three for pieces, four for pawns.
        const int first = PlaceOfType[type];
        const int places = type == 0 ? 1 : type >= 5 ? 4 : 3;
        for (int place = first; place < first + places; ++place)
            if (list[place] < 0) {
                list[place] = square;
                break;
            }
    }
    return men;
}

int probe(const ProbeInput& input, int sideToMove, int epSquare) {
    int cls = classLookup(input.counts);
    if (cls == 0) return NoValue;
    const bool inverted = cls < 0;
    cls = inverted ? -cls : cls;
    const int side = inverted ? otherSide(sideToMove) : sideToMove;
    if (registeredFile(cls, side) == nullptr) return NoValue;
    const PieceList& stronger = inverted ? input.black : input.white;
    const PieceList& weaker = inverted ? input.white : input.black;
    const std::uint32_t index = tableIndex(cls, side, stronger, weaker, epSquare, inverted);
    if (index >= tableClass(cls).size[side]) return NoValue;
    const int c = fetchValue(cls, side, index);
    if (c == NotAvailable) return NoValue;
    if (c == DeepestLossByte && cls == 36 && side == WeakerToMove &&
        std::find(LongestLosses.begin(), LongestLosses.end(), index) != LongestLosses.end())
        return LossIn127;
    return valueOfByte(c);
}

}  // namespace tablebase
