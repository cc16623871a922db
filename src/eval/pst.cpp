#include "eval/pst.h"

namespace halberd::eval {

PstSums pstFromScratch(const std::array<std::int32_t, 32>& slotSquare,
                       const std::array<std::int32_t, 33>& slotType) {
    PstSums sums;
    for (int slot = 0; slot < 32; ++slot) {
        const int square = slotSquare[slot];
        if (square == board::OffBoard) continue;
        const int colour = board::slotColour(slot);
        const int sign = colour == board::White ? 1 : -1;
        sums.mg += sign * pstMg(slotType[slot], colour, square);
        sums.eg += sign * pstEg(slotType[slot], colour, square);
    }
    return sums;
}

}  // namespace halberd::eval
