#include "tablebase/searchprobe.h"

#include "search/search.h"
#include "tablebase/probe.h"

namespace halberd::tablebase {

int probeSearchNode(const halberd::board::SearchBoard& board, int sideToMove, int epSquare,
                    const halberd::board::NodeState&) {
    ProbeInput input;
    gatherMaterial(board.slotSquare, board.slotType, input);
    const int rank = epSquare >> 3;
    const bool enPassant = epSquare > 0 && epSquare < 64 && (rank == 2 || rank == 5);
    return probe(input, sideToMove, enPassant ? epSquare : -1);
}

void connectSearch(int level) {
    halberd::search::tablebaseProbe = level > 0 ? &probeSearchNode : nullptr;
    halberd::search::tablebaseMenLimit = level;
}

}  // namespace halberd::tablebase
