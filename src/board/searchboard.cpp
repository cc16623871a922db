#include "board/searchboard.h"

namespace halberd::board {

SquareSet occupiedSquares(const std::array<std::int32_t, 32>& slotSquare) {
    SquareSet occupied = 0;
    for (const int square : slotSquare)
        if (square != OffBoard) occupied |= squareBit(square);
    return occupied;
}

}  // namespace halberd::board
