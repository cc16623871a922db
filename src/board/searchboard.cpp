#include "board/searchboard.h"

namespace halberd::board {

SquareSet occupiedSquares(const std::array<std::int32_t, 32>& slotSquare) {
    SquareSet occupied = 0;
    for (const int square : slotSquare)
        if (square != OffBoard) occupied |= squareBit(square);
    return occupied;
}

SquareSet sideSquares(const std::array<std::int32_t, 32>& slotSquare, Colour side) {
    SquareSet men = 0;
    for (int slot = slotBase(side); slot < slotBase(side) + 16; ++slot)
        if (slotSquare[slot] != OffBoard) men |= squareBit(slotSquare[slot]);
    return men;
}

}  // namespace halberd::board
