#pragma once
// Compact move and unmove generation for positions of at most five men, used by
// the table generator. A position is the square of every man of a Material
// (-1 for a man taken off) and the side to move; the stronger side moves up the
// board. `epPawn` is the square of a pawn that has just made a double step and
// may be taken en passant (-1 when none).
#include <array>
#include <cstdint>

#include "tablebase/material.h"

namespace halberd::tablebase {

using Squares = std::array<std::int8_t, MaxMen>;

inline constexpr int NoSquare = -1;

constexpr int fileOfSquare(int s) { return s & 7; }
constexpr int rankOfSquare(int s) { return s >> 3; }

// Pawn direction and ranks of a colour (the stronger side moves up).
constexpr int pawnStep(int colour) { return halberd::board::pawnPush(halberd::board::Colour(colour)); }
constexpr int doubleStepRank(int colour) { return halberd::board::relativeRank(halberd::board::Colour(colour), 3); }
constexpr int promotionRank(int colour) { return halberd::board::relativeRank(halberd::board::Colour(colour), 7); }

// One legal move: the man, its squares, the man it takes (-1 none), the kind it
// promotes to (King = no promotion) and whether it is a double step.
struct Step {
    int man = 0;
    int from = 0;
    int to = 0;
    int captured = -1;
    ManKind promotion = ManKind::King;
    bool doubleStep = false;
};

// Is `target` attacked by a man of `colour`?
bool attackedBy(const Material& m, const Squares& sq, int target, int colour);

// A legal position for the side to move: men on distinct squares, pawns off the
// back ranks, the other side's king not attacked.
bool legalPosition(const Material& m, const Squares& sq, int side);

bool inCheck(const Material& m, const Squares& sq, int side);

// Does a man of `side` stand beside the other side's pawn on `pawnSquare`, which
// has just made a double step (both squares behind it empty)? Then that step
// leads to an en-passant position.
bool enPassantShape(const Material& m, const Squares& sq, int side, int pawnSquare);

// Calls visit(step, after) for every legal move of `side`; with InClassOnly only
// for moves that neither capture nor promote. `after` holds the squares after the
// move (a captured man at -1, a promoted pawn still listed as the pawn). The
// visitor returns false to stop; the result is false when it stopped.
template <bool InClassOnly, class Visit>
bool forEachMove(const Material& m, const Squares& sq, int side, int epPawn, Visit&& visit);

// Calls visit(before, doubleStep) for every legal position with the other side
// to move from which a move that neither captures nor promotes reaches this one.
// From an en-passant position (epPawn >= 0) only the double step leads here.
template <class Visit>
void forEachUnmove(const Material& m, const Squares& sq, int side, int epPawn, Visit&& visit);

// ------------------------------------------------------------------ tables
struct TargetList {
    std::array<std::int8_t, 8> square{};
    int count = 0;
};

struct StepTables {
    std::array<TargetList, 64> king{};
    std::array<TargetList, 64> knight{};
    // ray[s][d]: squares from s in direction d (0-3 straight, 4-7 diagonal), nearest first
    std::array<std::array<TargetList, 8>, 64> ray{};
    // direction from a to b when they share a line, else -1
    std::array<std::array<std::int8_t, 64>, 64> line{};
    // squares strictly between a and b on their line (0 when not on one line)
    std::array<std::array<std::uint64_t, 64>, 64> between{};
    std::array<std::uint64_t, 64> kingMask{};
    std::array<std::uint64_t, 64> knightMask{};
};

const StepTables& stepTables();

inline bool slidesStraight(ManKind k) { return k == ManKind::Queen || k == ManKind::Rook; }
inline bool slidesDiagonal(ManKind k) { return k == ManKind::Queen || k == ManKind::Bishop; }

// ------------------------------------------------------------------ templates
// Squares a man reaches on the board (its own side's squares included); the
// visitor returns false to stop, and so does this.
template <class Visit>
bool forEachTarget(const Material& m, const Squares& sq, int man, const std::array<std::int8_t, 64>& board,
                   Visit&& visit) {
    const StepTables& t = stepTables();
    const int from = sq[man];
    const ManKind kind = m.men[man].kind;
    if (kind == ManKind::King || kind == ManKind::Knight) {
        const TargetList& list = kind == ManKind::King ? t.king[from] : t.knight[from];
        for (int i = 0; i < list.count; ++i)
            if (!visit(static_cast<int>(list.square[i]))) return false;
        return true;
    }
    const int first = slidesStraight(kind) ? 0 : 4;
    const int last = slidesDiagonal(kind) ? 8 : 4;
    for (int d = first; d < last; ++d) {
        const TargetList& ray = t.ray[from][d];
        for (int i = 0; i < ray.count; ++i) {
            if (!visit(static_cast<int>(ray.square[i]))) return false;
            if (board[ray.square[i]] >= 0) break;
        }
    }
    return true;
}

inline std::array<std::int8_t, 64> boardOf(const Material& m, const Squares& sq) {
    std::array<std::int8_t, 64> board;
    board.fill(-1);
    for (int i = 0; i < m.count; ++i)
        if (sq[i] >= 0) board[sq[i]] = static_cast<std::int8_t>(i);
    return board;
}

template <bool InClassOnly, class Visit>
bool forEachMove(const Material& m, const Squares& sq, int side, int epPawn, Visit&& visit) {
    const auto board = boardOf(m, sq);
    const int king = side == Stronger ? 0 : 1;
    auto tryStep = [&](const Step& step) {
        Squares after = sq;
        after[step.man] = static_cast<std::int8_t>(step.to);
        if (step.captured >= 0) after[step.captured] = NoSquare;
        if (attackedBy(m, after, after[king], otherSide(side))) return true;
        return static_cast<bool>(visit(step, after));
    };
    for (int man = 0; man < m.count; ++man) {
        if (m.men[man].colour != side || sq[man] < 0) continue;
        const int from = sq[man];
        if (m.men[man].kind != ManKind::Pawn) {
            const bool goOn = forEachTarget(m, sq, man, board, [&](int to) {
                const int there = board[to];
                if (there >= 0 && (InClassOnly || m.men[there].colour == side)) return true;
                return tryStep(Step{man, from, to, there, ManKind::King, false});
            });
            if (!goOn) return false;
            continue;
        }
        const int step = pawnStep(side);
        const int ahead = from + step;
        const bool promotes = rankOfSquare(ahead) == promotionRank(side);
        auto pawnTo = [&](int to, int captured, bool doubleStep) {
            if (!promotes) return tryStep(Step{man, from, to, captured, ManKind::King, doubleStep});
            if constexpr (!InClassOnly)
                for (const ManKind k : {ManKind::Queen, ManKind::Rook, ManKind::Bishop, ManKind::Knight})
                    if (!tryStep(Step{man, from, to, captured, k, false})) return false;
            return true;
        };
        if (board[ahead] < 0 && (!InClassOnly || !promotes)) {
            if (!pawnTo(ahead, -1, false)) return false;
            const int twoAhead = ahead + step;
            if (rankOfSquare(twoAhead) == doubleStepRank(side) && board[twoAhead] < 0 && !pawnTo(twoAhead, -1, true))
                return false;
        }
        if constexpr (!InClassOnly) {
            for (const int df : {-1, 1}) {
                const int file = fileOfSquare(from) + df;
                if (file < 0 || file > 7) continue;
                const int to = ahead + df;
                const int there = board[to];
                if (there >= 0 && m.men[there].colour != side && m.men[there].kind != ManKind::King &&
                    !pawnTo(to, there, false))
                    return false;
                if (epPawn >= 0 && to == epPawn + step && board[epPawn] >= 0 &&
                    rankOfSquare(from) == rankOfSquare(epPawn) &&
                    !tryStep(Step{man, from, to, board[epPawn], ManKind::King, false}))
                    return false;
            }
        }
    }
    return true;
}

template <class Visit>
void forEachUnmove(const Material& m, const Squares& sq, int side, int epPawn, Visit&& visit) {
    const int mover = otherSide(side);
    const auto board = boardOf(m, sq);
    const int king = side == Stronger ? 0 : 1;
    auto tryOrigin = [&](int man, int from, bool doubleStep) {
        Squares before = sq;
        before[man] = static_cast<std::int8_t>(from);
        if (attackedBy(m, before, before[king], mover)) return;
        visit(before, doubleStep);
    };
    for (int man = 0; man < m.count; ++man) {
        if (m.men[man].colour != mover) continue;
        const int to = sq[man];
        if (m.men[man].kind == ManKind::Pawn) {
            const int step = pawnStep(mover);
            if (epPawn >= 0 && to != epPawn) continue;
            const int back = to - step;
            if (board[back] >= 0) continue;
            if (epPawn < 0 && rankOfSquare(back) != promotionRank(1 - mover)) tryOrigin(man, back, false);
            const int twoBack = back - step;
            if (rankOfSquare(to) == doubleStepRank(mover) && board[twoBack] < 0 &&
                (epPawn >= 0) == enPassantShape(m, sq, side, to))
                tryOrigin(man, twoBack, true);
            continue;
        }
        if (epPawn >= 0) continue;
        forEachTarget(m, sq, man, board, [&](int from) {
            if (board[from] < 0) tryOrigin(man, from, false);
            return true;
        });
    }
}

}  // namespace halberd::tablebase
