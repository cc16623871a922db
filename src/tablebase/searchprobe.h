#pragma once
// The tablebases seen from the search: the probe at a node and the men limit.

#include "board/nodestate.h"

namespace halberd::tablebase {

// Probes a search worker's board with `sideToMove` (0 White, 1 Black);
// epSquare is the square a pawn just passed with its double step (any square
// off ranks 3 and 6 means none).
int probeSearchNode(const halberd::board::SearchBoard& board, int sideToMove, int epSquare,
                    const halberd::board::NodeState& state);

// Hands the probe to the search with the men limit of the tablebase level
// (0 switches the probe off).
void connectSearch(int level);

}  // namespace halberd::tablebase
