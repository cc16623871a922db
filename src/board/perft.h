#pragma once
// Perft: counts the leaf nodes of the legal move tree, for correctness and speed work.
#include <cstdint>
#include <cstdio>

#include "board/gameboard.h"

namespace halberd::board {

enum class PerftMode {
    CopyMake,  // the front end's copy-make routines: slow, the oracle
    Fast,      // the search's generators with in-place apply/undo
};

// Leaf count of the game position's tree to the depth.
std::uint64_t perft(const GameBoard& game, int depth, PerftMode mode);
// Prints "e2e4: N" per root move, a blank line and "Nodes searched: N"; returns N.
std::uint64_t perftDivide(const GameBoard& game, int depth, PerftMode mode, std::FILE* out);

}  // namespace halberd::board
