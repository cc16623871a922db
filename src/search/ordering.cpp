#include "search/ordering.h"

#include "board/nodestate.h"
#include "search/worker.h"

namespace halberd::search {

using namespace board;

void clearHistory(SearchTables& tables) {
    for (auto& side : tables.history)
        for (auto& row : side)
            for (auto& from : row) from.fill(0);
}

void clearKillers(SearchTables& tables) { tables.killers.fill(0); }

template <Colour C>
void scoreMoves(const Worker& w, Move* list, int killerEnable, int ply) {
    if (ply == 0) {
        int i = 0;
        for (; w.rootMoves[i] != NoMove; ++i)
            list[i] = (w.rootMoves[i] & 0xFFFF) | (static_cast<Move>(RootOrderBase - i) << 16);
        list[i] = NoMove;
        return;
    }
    const auto& sb = w.board;
    const auto& history = w.tables.history[C];
    const Move killer = killerEnable ? (w.tables.killers[ply] & 0xFFFF) : NoMove;
    for (Move* m = list; *m != NoMove; ++m) {
        const Move move = *m & 0xFFFF;
        const int from = moveFrom(move);
        const int to = moveTo(move);
        const int type = sb.slotType[sb.board[from]];
        const bool capture = isCapture(move);
        int score = history[capture ? type : type + HistoryNonCaptureRow][from][to];
        if (capture || isPromotion(move)) {
            score += CaptureOrderBonus + sb.slotValue[sb.board[to]] / 4 + PromotionBonus[moveKind(move)];
        } else if (killer != NoMove && move == killer) {
            score += KillerBonus;
        }
        *m = move | (static_cast<Move>(score + OrderKeyOffset) << 16);
    }
}

template void scoreMoves<White>(const Worker&, Move*, int, int);
template void scoreMoves<Black>(const Worker&, Move*, int, int);

}  // namespace halberd::search
