#include "search/tablebaseline.h"

#include <cstdlib>
#include <optional>

#include "board/makemove.h"
#include "board/nodestate.h"
#include "search/margins.h"
#include "search/search.h"

namespace halberd::search {

namespace {

// Plays a move of the side to move (0: none) on the record; the legal replies go to `list`.
board::Move play(board::Position& position, int side, board::Move move, board::Move* list) {
    return side == board::White ? board::playWhiteMove(list, move, 0, position)
                                : board::playBlackMove(list, move, 0, position);
}

// The probe's answer for the side to move, or nothing when the tables have none.
std::optional<int> tableValue(board::Position position, int side) {
    board::prepareRoot(position);
    board::NodeState state{};
    board::SearchBoard sb{};
    board::buildNodeState(position, state, sb);
    const int men = state.counts[0] + state.counts[1] + state.counts[2] + state.counts[3] + 2;
    if (men > tablebaseMenLimit || men <= 2) return std::nullopt;
    // The square a pawn passed over with its double step, for the en-passant entries.
    const auto last = static_cast<board::Move>(position.lastMove);
    int epSquare = 0;
    if (last != 0 && std::abs(board::moveTo(last) - board::moveFrom(last)) == 16 &&
        board::isPawnType(position.slotType[static_cast<std::size_t>(position.board[board::moveTo(last)])]))
        epSquare = (board::moveFrom(last) + board::moveTo(last)) / 2;
    const int v = tablebaseProbe(sb, side, epSquare, state);
    if (v == TablebaseNoAnswer || v < -TablebaseWin) return std::nullopt;
    return v;
}

}  // namespace

void extendWithTableMoves(PvArray& pv, const board::Position& root, int side) {
    if (tablebaseProbe == nullptr || tablebaseMenLimit == 0) return;
    board::Position position = root;
    board::MoveList replies;
    std::size_t n = 0;
    // Replay the variation; its end is where the table line starts.
    for (; n < pv.size() && pv[n] != 0; ++n) {
        const board::Move result = play(position, side, pv[n], replies.data());
        if (result & board::IllegalFlag) return;
        if (result & (board::MateFlag | board::StalemateFlag)) return;
        side = board::opponent(static_cast<board::Colour>(side));
    }
    const std::optional<int> start = tableValue(position, side);
    if (!start || *start == 0) return;
    play(position, board::opponent(static_cast<board::Colour>(side)), 0, replies.data());
    // The side to move picks the reply that leaves the opponent the lowest value:
    // the quickest mate when winning, the longest defence when losing.
    while (n + 1 < pv.size() && replies[0] != 0) {
        board::Move best = 0;
        int bestValue = 0;
        for (std::size_t i = 0; replies[i] != 0; ++i) {
            board::Position child = position;
            board::MoveList unused;
            const board::Move result = play(child, side, replies[i] & 0xFFFF, unused.data());
            int value = 0;
            if (result & board::MateFlag) {
                value = -TablebaseWin;
            } else if (!(result & board::StalemateFlag)) {
                const std::optional<int> v = tableValue(child, board::opponent(static_cast<board::Colour>(side)));
                if (!v) return;
                value = *v;
            }
            if (best == 0 || value < bestValue) {
                best = replies[i] & 0xFFFF;
                bestValue = value;
            }
        }
        pv[n++] = best;
        const board::Move result = play(position, side, best, replies.data());
        if (result & (board::MateFlag | board::StalemateFlag) || bestValue == 0) break;
        side = board::opponent(static_cast<board::Colour>(side));
    }
    pv[n] = 0;
}

}  // namespace halberd::search
