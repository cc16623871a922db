#pragma once
// The search's working board, changed in place and restored by the node routines.
#include <array>
#include <cstdint>

#include "board/types.h"

namespace halberd::board {

struct SearchBoard {
    std::array<std::int32_t, 32> slotSquare;
    std::array<std::int32_t, 64> board;
    std::array<std::int32_t, 33> slotType;
    std::array<std::int32_t, 33> slotValue;
};

// One per process: one search runs at a time.
extern SearchBoard searchBoard;

}  // namespace halberd::board
