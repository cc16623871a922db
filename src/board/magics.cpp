#include "board/magics.h"

namespace halberd::board::magic {

namespace {

// The reach by walking the lines, for every set of men on them (carry-rippler
// enumeration of the subsets of the mask).
bool fill(std::array<SquareSet, Magics.size>& table) {
    for (const bool diagonal : {false, true})
        for (int square = 0; square < 64; ++square) {
            const Entry& entry = diagonal ? Magics.bishop[square] : Magics.rook[square];
            SquareSet blockers = 0;
            do {
                SquareSet reach = 0;
                for (int ray = 0; ray < 8; ++ray)
                    if (isDiagonalRay(ray) == diagonal) reach |= rayAttacks(ray, square, blockers);
                table[static_cast<std::size_t>(entry.offset) + ((blockers * entry.factor) >> entry.shift)] = reach;
                blockers = (blockers - entry.mask) & entry.mask;
            } while (blockers != 0);
        }
    return true;
}

}  // namespace

alignas(64) std::array<SquareSet, Magics.size> Reaches;
// Before main: nothing reads the table while static objects are being made.
const bool filled = fill(Reaches);

}  // namespace halberd::board::magic
