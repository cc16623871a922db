#pragma once
// The static evaluation: a signed score in 1/480 pawn from the side to move's view.
#include <cstdint>

#include "board/nodestate.h"

namespace halberd::eval {

// Evaluates the SearchBoard with the node's state for the side to move (0 White, 1 Black).
int evaluate(int side, const board::NodeState& state);

// Calls of evaluate since the last reset (the root search resets it).
extern std::uint32_t evalCount;

}  // namespace halberd::eval
