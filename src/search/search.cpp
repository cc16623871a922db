#include "search/search.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "board/gameboard.h"
#include "board/keys.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "eval/evaluate.h"
#include "search/margins.h"
#include "search/ordering.h"
#include "search/root.h"
#include "search/session.h"
#include "search/threads.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace halberd::search {

using board::Black;
using board::EmptySlot;
using board::HistoryEntry;
using board::OffBoard;
using board::White;

namespace {

std::array<std::array<std::uint8_t, 64>, 32> buildLmrTable() {
    std::array<std::array<std::uint8_t, 64>, 32> t{};
    for (int d = 2; d < 32; ++d)
        for (int m = 2; m < 64; ++m)
            t[d][m] =
                static_cast<std::uint8_t>(0.4 * std::log2(static_cast<double>(d)) * std::log2(static_cast<double>(m)));
    return t;
}

constexpr int NoEstimate = UnknownEval;
// Nodes of a helper between its looks at a node budget.
constexpr int HelperBudgetInterval = 1024;

}  // namespace

const std::array<std::array<std::uint8_t, 64>, 32> lmrTable = buildLmrTable();

int tablebaseMenLimit = 0;
TablebaseProbe tablebaseProbe = nullptr;

void takeSearchHistory(Worker& w, const Session& session, std::uint32_t rootKeyHigh, int rootSideToMove) {
    const std::vector<HistoryEntry>& before = session.history();
    w.history.assign(before.begin(), before.end());
    w.history.resize(before.size() + MaxPly + 2);
    w.historyBase = session.historyBase();
    if (w.historyBase >= 0) return;
    // Nothing before the root can repeat it: the entry ends the backward walk.
    w.historyBase = 0;
    HistoryEntry& root = w.history[0];
    root = HistoryEntry{};
    root.keyHigh = rootKeyHigh;
    root.flags = static_cast<std::uint8_t>(board::HistoryIrreversible |
                                           (rootSideToMove == Black ? board::HistoryBlackToMove : 0));
}

int repetitionCount(const Worker& w, std::uint32_t keyHigh, int ply) {
    const int own = w.historyBase + ply;
    int count = 0;
    bool firstAtOrAfterRoot = false;
    for (int i = own - 4; i >= 0; i -= 2) {
        const HistoryEntry& e = w.history[static_cast<std::size_t>(i)];
        if (e.keyHigh == keyHigh) {
            if (count == 0) firstAtOrAfterRoot = i >= w.historyBase;
            ++count;
        }
        if (e.move == 0 || (e.flags & board::HistoryIrreversible)) break;
    }
    if (count == 1) return firstAtOrAfterRoot ? 1 : 0;
    return count;
}

bool insufficientMaterialSearch(const board::SearchBoard& sb, const NodeState& state) {
    if (state.counts[board::CountWhitePawns] != 0 || state.counts[board::CountBlackPawns] != 0) return false;
    const int whitePieces = state.counts[board::CountWhitePieces];
    const int blackPieces = state.counts[board::CountBlackPieces];
    if (whitePieces == 0 && state.nonPawnMaterial[Black] <= MinorValue) return true;
    if (blackPieces == 0 && state.nonPawnMaterial[White] <= MinorValue) return true;
    if (whitePieces != 1 || blackPieces != 1) return false;
    // Lone bishops on squares of the same colour cannot mate.
    int squares[2] = {OffBoard, OffBoard};
    for (int slot = 1; slot < 32; ++slot) {
        if (slot == 16) continue;
        const int square = sb.slotSquare[slot];
        if (square == OffBoard || board::isPawnType(sb.slotType[slot])) continue;
        if (sb.slotType[slot] != board::Bishop) return false;
        squares[slot >> 4] = square;
    }
    if (squares[0] == OffBoard || squares[1] == OffBoard) return false;
    const auto colourOf = [](int sq) { return (board::fileOf(sq) + board::rankOf(sq)) & 1; };
    return colourOf(squares[0]) == colourOf(squares[1]);
}

namespace {

// Fifty-move and repetition draws, scored a unit or two below 0 for the root
// side so that the engine neither seeks nor fears a draw blindly.
// The score of the node when it is drawn, else nothing.
template <Colour C>
std::optional<int> drawnByRule(Worker& w, const NodeState& state, int ply) {
    if (state.halfmoveClock <= DrawFreeClock) return std::nullopt;
    if (state.halfmoveClock >= FiftyMoveLimit) return 0;
    const int count = repetitionCount(w, state.hashKeyHigh, ply);
    if (count == 0) return std::nullopt;
    const int units = count >= 2 ? RepeatedRepetitionUnits : SingleRepetitionUnits;
    return C == w.rootSide ? -units : units;
}

void recordHistory(Worker& w, const NodeState& state, Move move, int ply, Colour mover) {
    HistoryEntry& e = w.history[static_cast<std::size_t>(w.historyBase + ply)];
    e.keyHigh = state.hashKeyHigh;
    e.move = static_cast<std::uint16_t>(move);
    bool irreversible = false;
    if (move != 0) {
        const int movedType = w.board.slotType[w.board.board[board::moveTo(move)]];
        irreversible =
            board::isCapture(move) || board::moveKind(move) != board::Ordinary || board::isPawnType(movedType);
    }
    e.flags = static_cast<std::uint8_t>((e.flags & 0x3F) | (irreversible ? board::HistoryIrreversible : 0) |
                                        (mover == White ? board::HistoryBlackToMove : 0));
}

// File of the pawn that just made a double step beside a pawn of C (en passant
// possible), or -1.
template <Colour C>
int enPassantFile(const Worker& w, Move lastMove) {
    if (lastMove == 0) return -1;
    const int from = board::moveFrom(lastMove);
    const int to = board::moveTo(lastMove);
    if (std::abs(to - from) != 16) return -1;
    if (w.board.slotType[w.board.board[to]] != board::pawnOf(board::opponent(C))) return -1;
    const int file = board::fileOf(to);
    const auto ownPawn = [&w](int sq) { return w.board.slotType[w.board.board[sq]] == board::pawnOf(C); };
    if ((file > 0 && ownPawn(to - 1)) || (file < 7 && ownPawn(to + 1))) return file;
    return -1;
}

// Starts loading the table entry of the position after a move of side C (the
// ordering key in the move's upper bits is ignored).
template <Colour C>
void prefetchChild(const Worker& w, const NodeState& state, Move m) {
    ttPrefetch(board::keyLowAfter<C>(w.board, state, m & 0xFFFF));
}

// The child's variation becomes this ply's continuation by exchanging chain tails.
void copyVariation(Worker& w, int ply, Move move, int score) {
    PvNode* head = w.pvLists[ply];
    head->word = packPvWord(move, score);
    std::swap(head->next, w.pvLists[ply + 1]);
}

void clearVariation(Worker& w, int ply) {
    PvNode* head = w.pvLists[ply];
    head->word = 0;
    if (head->next != nullptr) head->next->word = 0;
}

// Passed pawn that reached the opponent's half: no enemy piece ahead on its
// file, no enemy pawn ahead on the neighbouring files.
template <Colour C>
bool advancedPasser(const Worker& w, Move move, const NodeState& state) {
    const int from = board::moveFrom(move);
    if (w.board.slotType[w.board.board[from]] != board::pawnOf(C)) return false;
    const int to = board::moveTo(move);
    const int rank = board::rankOf(to);
    if (board::relativeRank(C, rank) < 4) return false;
    const int file = board::fileOf(to);
    constexpr int Step = board::ColourTraits<C>::forward;
    constexpr Colour Them = board::ColourTraits<C>::enemy;
    for (int sq = to + Step; sq >= 0 && sq < 64; sq += Step)
        if ((w.board.board[sq] & board::ColourMask) == board::slotBase(Them)) return false;
    const int enemyFiles = state.pawnFiles[Them];
    for (int f = file - 1; f <= file + 1; f += 2) {
        if (f < 0 || f > 7 || (enemyFiles & (1 << f)) == 0) continue;
        for (int sq = board::squareOf(f, rank) + Step; sq >= 0 && sq < 64; sq += Step)
            if (w.board.slotType[w.board.board[sq]] == board::pawnOf(Them)) return false;
    }
    return true;
}

// Moves a list entry with the highest key (the first on equal keys) to position i.
// The running maximum is kept with conditional moves, not a branch: which key
// beats it is as good as random, and mispredicted branches cost more than the
// scan itself.
void selectNext(Move* list, int i) {
    if (list[i] == 0) return;
    int bestIndex = i;
    int bestKey = list[i] >> 16;
    for (int k = i + 1; list[k] != 0; ++k) {
        const int key = list[k] >> 16;
        const bool better = key > bestKey;
        bestKey = better ? key : bestKey;
        bestIndex = better ? k : bestIndex;
    }
    std::swap(list[i], list[bestIndex]);
}

int historyRow(const Worker& w, Move move) {
    const int type = w.board.slotType[w.board.board[board::moveFrom(move)]];
    return board::isCapture(move) ? type : type + HistoryNonCaptureRow;
}

std::int32_t& historyValue(Worker& w, Colour side, int row, Move move) {
    return w.tables.history[side][static_cast<std::size_t>(row)][static_cast<std::size_t>(board::moveFrom(move))]
                           [static_cast<std::size_t>(board::moveTo(move))];
}

struct TableKeys {
    std::uint32_t low;
    std::uint32_t high;
};

TableKeys tableKeys(const NodeState& state, int epFile) {
    TableKeys keys{state.hashKeyLow, state.hashKeyHigh};
    if (epFile >= 0) {
        keys.low ^= board::KeyTableLow[static_cast<std::size_t>(board::EnPassantFileKey + epFile)];
        keys.high ^= board::KeyTableHigh[static_cast<std::size_t>(board::EnPassantFileKey + epFile)];
    }
    return keys;
}

bool isMateScore(int score) { return score >= MateBound || score <= -MateBound; }

template <Colour C>
int quiescence(Worker& w, Move move, int depth, int alpha, int beta, NodeState& state, bool inCheck, bool pvNode);

template <Colour C>
int fullWidth(Worker& w, Move move, std::uint32_t flags, int depth, int alpha, int beta, NodeState& state, bool inCheck,
              bool pvNode);

// Steps after the incoming move has been applied and found legal.
template <Colour C>
int nodeBody(Worker& w, Move move, std::uint32_t flags, int depth, int alpha, int beta, NodeState& state) {
    w.counters.nodes.store(w.counters.nodes.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    if ((flags & (SameNode | RootNode)) == 0) ++state.ply;
    const int ply = state.ply;
    assert(ply >= 0 && ply <= MaxPly);
    w.counters.selectiveDepth = std::max(w.counters.selectiveDepth, ply);
    if (ply >= MaxPly) {
        w.pvLists[ply]->word = 0;
        return eval::evaluate(w.board, state, C, w.eval);
    }
    const bool pvNode = beta - alpha > 1;

    if (ply > 0) {
        clearVariation(w, ply);
        if (depth >= 0 && (flags & SameNode) == 0) recordHistory(w, state, move, ply, board::opponent(C));
    }

    const bool nullMoveNode = move == 0 && (flags & RootNode) == 0;
    // A real move below the root was verified legal, so only that move can give check.
    const bool inCheck = nullMoveNode           ? false
                         : move != 0 && ply > 0 ? board::checksAfter<board::opponent(C)>(w.board, move)
                                                : board::inCheck<C>(w.board);
    assert(inCheck == (!nullMoveNode && board::inCheck<C>(w.board)));

    if (board::isCapture(move) && insufficientMaterialSearch(w.board, state)) return 0;

    if (ply > 0) {
        alpha = std::max(alpha, ply - MateScore);
        beta = std::min(beta, MateScore - 1 - ply);
        if (beta <= alpha) return alpha;
    }

    if (depth < OnePly) return quiescence<C>(w, move, depth, alpha, beta, state, inCheck, pvNode);
    return fullWidth<C>(w, move, flags, depth, alpha, beta, state, inCheck, pvNode);
}

// What the transposition table tells a full-width node besides a cut-off.
struct TableHint {
    TTEntry entry{};
    bool haveEntry = false;
    int entryScore = 0;
    Move hashMove = 0;
    bool hashMoveCapture = false;
    bool ttPv = false;
    bool nullAllowed = true;
    bool upperBoundInPv = false;
    int estimate = NoEstimate;
};

// The entry under the keys, unless its move cannot be played here (another
// position under the same keys).
template <Colour C>
bool probeEntry(const Worker& w, const TableKeys& keys, TTEntry& entry) {
    TTEntry found;
    if (!ttProbe(keys.low, keys.high, found)) return false;
    if (found.move != 0 && !board::hashMovePlausible<C>(w.board, found.move)) return false;
    entry = found;
    return true;
}

// Whether a stored bound of this kind and score settles the window.
bool boundSettles(int kind, int score, int alpha, int beta) {
    return kind == BoundExact || kind == BoundTablebase || (kind == BoundLower && score >= beta) ||
           (kind == BoundUpper && score <= alpha);
}

// The table entry of a full-width node below the root (the root's moves come
// from the root list): its score when it settles the node, else the hint.
template <Colour C>
std::optional<int> readTable(const Worker& w, const TableKeys& keys, int ply, int d, int alpha, int beta, bool pvNode,
                             Move excluded, TableHint& hint) {
    hint.ttPv = pvNode;
    if (ply == 0 || !probeEntry<C>(w, keys, hint.entry)) return std::nullopt;
    hint.haveEntry = true;
    const TTEntry& entry = hint.entry;
    const int kind = entry.kind();
    const int entryDepth = entry.depth();
    hint.entryScore = ttScoreAtPly(entry.score, ply);
    if ((kind == BoundTablebase || (!pvNode && excluded == 0 && entryDepth >= d)) &&
        boundSettles(kind, hint.entryScore, alpha, beta))
        return hint.entryScore;
    if (pvNode || entryDepth > 0) hint.hashMove = entry.move;
    hint.hashMoveCapture = board::isCapture(hint.hashMove);
    hint.ttPv = entry.pv() || pvNode;
    if (kind == BoundUpper && entryDepth >= d && hint.entryScore < beta) hint.nullAllowed = false;
    if (kind == BoundExact) {
        hint.estimate = hint.entryScore;
    } else if (kind != BoundTablebase && entry.evaluation != UnknownEval) {
        hint.estimate = entry.evaluation;
        if (kind == BoundLower) hint.estimate = std::max(hint.estimate, hint.entryScore);
        if (kind == BoundUpper) hint.estimate = std::min(hint.estimate, hint.entryScore);
        if (pvNode && kind == BoundUpper && entryDepth >= d) hint.upperBoundInPv = true;
    }
    return std::nullopt;
}

// The tablebase score of a node with few enough men, stored in the table; none
// when the probe has no answer.
template <Colour C>
std::optional<int> probeTablebases(Worker& w, int ply, int depth, int epFile, const TableKeys& keys,
                                   const NodeState& state) {
    const int men = state.counts[0] + state.counts[1] + state.counts[2] + state.counts[3] + 2;
    if (men > tablebaseMenLimit) return std::nullopt;
    if (men == 2) return 0;
    const int epSquare = epFile >= 0 ? board::moveTo(state.lastMove) + board::pawnPush(C) : 0;
    const int v = tablebaseProbe(w.board, C, epSquare, state);
    if (v == TablebaseNoAnswer || v < -TablebaseWin) return std::nullopt;
    w.counters.tbHits.fetch_add(1, std::memory_order_relaxed);
    int score = 0;
    if (v > 0) score = MateScore - ply - 2 * (TablebaseWin - v) - 1;
    if (v < 0) score = ply + 2 * (v + TablebaseWin) - MateScore;
    ttStore(BoundTablebase, score, 0, std::min(depth + TablebaseDepthBonus, TablebaseMaxDepth), 1, state, keys.low,
            keys.high, 0);
    return score;
}

// Razoring: a node whose estimate lies far below alpha is judged by the capture
// search. Static futility: one far above beta, with a piece to move, stands.
template <Colour C>
std::optional<int> shallowPruning(Worker& w, Move move, int d, int alpha, int beta, int estimate, bool withoutHashMove,
                                  bool hasPiece, const NodeState& state) {
    if (withoutHashMove && alpha < RazorAlphaLimit && estimate >= -NonMateLimit &&
        static_cast<float>(estimate) + RazorMarginPerPly * static_cast<float>(d) < static_cast<float>(alpha)) {
        const int s = searchNode<C>(w, move, SameNode, 0, alpha, beta, state);
        if (w.counters.aborted) return 0;
        if (s <= alpha) return s;
    }
    if (hasPiece && estimate >= -NonMateLimit && estimate <= NonMateLimit &&
        static_cast<float>(estimate) - FutilityMarginPerPly * static_cast<float>(d) >= static_cast<float>(beta))
        return beta;
    return std::nullopt;
}

// Null move: passing still fails high, so the node does too; at high depth a
// reduced search of the node itself verifies it.
template <Colour C>
std::optional<int> nullMovePruning(Worker& w, Move move, std::uint32_t flags, int depth, int beta, int estimate,
                                   const NodeState& state) {
    const int r = std::min((estimate - beta) / NullMarginPerPly, NullMarginMaxPlies) + NullReductionPlies +
                  depth / NullDepthPerPly;
    const int reduced = depth - OnePly * r;
    const int result = searchNode<board::opponent(C)>(w, 0, flags & NullVerification, reduced, -beta, -beta + 1, state);
    if (w.counters.aborted) return 0;
    if (-result < beta || result <= -MateBound) return std::nullopt;
    if (depth < NullVerifyDepth) return beta;
    const int v = searchNode<C>(w, move, (flags & ~VerifyLegality) | SameNode | NullVerification, std::max(reduced, 0),
                                beta - 1, beta, state);
    if (w.counters.aborted) return 0;
    if (v >= beta) return beta;
    return std::nullopt;
}

// Puts the hash move at the head of the list, before anything is scored; false
// when the list lacks it (a table move that is not in the list is not searched).
bool hashMoveFirst(Move* list, Move hashMove) {
    if (hashMove == 0) return false;
    for (int k = 0; list[k] != 0; ++k)
        if ((list[k] & 0xFFFF) == hashMove) {
            std::swap(list[0], list[k]);
            return true;
        }
    return false;
}

// The facts of a full-width node that its move loop reads (depth after the
// internal reduction).
struct NodeFacts {
    int ply;
    int depth;
    int d;
    bool pvNode;
    bool inCheck;
    bool hasPiece;
    bool hasPawn;
    bool lmpAllowed;
    int estimate;
    const TableHint& hint;
};

constexpr int PrunedMove = -1;

// A late move that gives no check and pushes no passer: PrunedMove when a quiet
// one cannot matter (late-move pruning, futility), else its reduction in plies.
template <Colour C>
int lateMoveReduction(Worker& w, const NodeFacts& node, Move m, bool quiet, int searched, int quietCount, int best,
                      int enemyKing, const NodeState& state) {
    if (searched == 0) return 0;
    if (board::givesCheck<C>(w.board, m, enemyKing, state) != 0 || advancedPasser<C>(w, m, state)) return 0;
    if (node.lmpAllowed && quiet && quietCount >= lateMoveCounts[static_cast<std::size_t>(node.d)] && best > -MateBound)
        return PrunedMove;
    if (!node.pvNode && !node.inCheck && node.d <= MoveFutilityMaxPlies && quiet && node.ply > 0 && node.hasPiece &&
        best >= -NonMateLimit &&
        static_cast<float>(best) >=
            static_cast<float>(node.estimate + FutilityBase) + FutilityMarginPerPly * static_cast<float>(node.d))
        return PrunedMove;
    if (node.depth < ReductionMinDepth || !node.hasPawn || !node.hasPiece || node.inCheck ||
        (node.ply == 0 && searched < RootUnreducedMoves))
        return 0;
    int reduction =
        lmrTable[static_cast<std::size_t>(std::min(node.d, 31))][static_cast<std::size_t>(std::min(searched, 63))];
    if (node.hint.ttPv && !node.hint.upperBoundInPv) reduction -= node.pvNode ? TtPvReductionInPv : TtPvReduction;
    if (node.pvNode && best > -MateBound && node.estimate - best > ReductionEstimateGap) reduction -= 1;
    reduction -= std::clamp(historyValue(w, C, historyRow(w, m), m) / HistoryPerReductionPly, -HistoryReductionMax,
                            HistoryReductionMax);
    if (!node.pvNode && node.hint.hashMoveCapture) reduction += 1;
    if (reduction < 1) reduction = 0;
    return std::min(reduction, (node.depth - ReductionKeepsPlies * OnePly) / OnePly);
}

// Extension of a move in 1/256 plies: check evasions, the capture of the last
// piece into a pawn ending, and a singular hash move (every other move fails
// low against a margin below its stored bound).
template <Colour C>
int moveExtension(Worker& w, const NodeFacts& node, Move move, std::uint32_t flags, Move m, bool capture,
                  bool hashFirst, Move excluded, const NodeState& state) {
    constexpr Colour Them = board::opponent(C);
    int extension = 0;
    if (node.inCheck) extension += OnePly;
    if (capture && state.counts[Them] == 1 && state.counts[C] == 0 &&
        w.board.slotValue[w.board.board[board::moveTo(m)]] >= MinorValue)
        extension += OnePly;
    const TableHint& hint = node.hint;
    if (extension == 0 && node.depth >= SingularMinDepth && m == hint.hashMove && hashFirst && move != 0 &&
        hint.haveEntry && hint.entry.kind() == BoundLower && std::abs(hint.entryScore) < MateBound &&
        hint.entry.depth() >= node.d - SingularDepthSlack && excluded == 0 && node.ply > 0) {
        const int singularBeta = hint.entryScore - SingularMarginPerPly * node.d;
        NodeState probe = state;
        probe.excludedMove = static_cast<std::uint16_t>(m);
        const int s = searchNode<C>(w, move, (flags & ~VerifyLegality) | SameNode, node.depth / SingularDepthDivisor,
                                    singularBeta - 1, singularBeta, probe);
        if (w.counters.aborted) return 0;
        if (s < singularBeta && s != IllegalScore) extension += OnePly;
    }
    return extension;
}

// Moves that were searched without raising the best score; a cut-off later in
// the node punishes their history. Only the first `count` entries are ever
// read, so the arrays are left unset: zeroing them cost every node.
struct FailedMoves {
    std::array<Move, MaxFailedMoves> moves;
    std::array<int, MaxFailedMoves> rows;
    int count = 0;
    void add(const Worker& w, Move m) {
        if (count == MaxFailedMoves) return;
        rows[static_cast<std::size_t>(count)] = historyRow(w, m);
        moves[static_cast<std::size_t>(count++)] = m;
    }
};

// A cut-off raises the move's history, lowers that of the moves that failed
// before it, and makes a quiet move the ply's newest killer.
template <Colour C>
void rewardCutoff(Worker& w, Move m, bool killer, int d, int ply, const FailedMoves& failed) {
    // Capped at HistoryScale: a larger step overshoots the range the values settle
    // at, and deep extended nodes would then drive them past the range of an int.
    const int bonus = std::min(d * d, HistoryScale);
    std::int32_t& h = historyValue(w, C, historyRow(w, m), m);
    h += bonus - (bonus * h) / HistoryScale;
    for (int k = 0; k < failed.count; ++k) {
        std::int32_t& f =
            historyValue(w, C, failed.rows[static_cast<std::size_t>(k)], failed.moves[static_cast<std::size_t>(k)]);
        f = f - (bonus * f) / HistoryScale - bonus;
    }
    if (killer) {
        std::uint32_t& killers = w.tables.killers[static_cast<std::size_t>(ply)];
        if ((killers & 0xFFFF) != m) killers = (killers << 16) | m;
    }
}

// Queen promotions whose under-promotions (same squares) are not searched.
struct QueenPromotions {
    std::array<int, MaxQueenPromotions> squares{};
    int count = 0;
    bool cover(Move m) const {
        const auto end = squares.begin() + count;
        return std::find(squares.begin(), end, static_cast<int>(m & 0xFFF)) != end;
    }
};

// Under-promotions stay worth a look when a knight on the promotion square would
// check or fork, and when the queen only drew for the defending side.
template <Colour C>
void noteQueenPromotion(Worker& w, QueenPromotions& queens, Move m, int score, int enemyKing, int enemyQueen) {
    if (board::moveKind(m) != board::PromoteQueen || queens.count == MaxQueenPromotions) return;
    const int to = board::moveTo(m);
    const auto knightReaches = [to](int square) {
        return square != OffBoard &&
               board::lineKindOf(
                   board::DirectionTable[static_cast<std::size_t>(to)][static_cast<std::size_t>(square)]) ==
                   board::LineKnight;
    };
    const bool keep =
        knightReaches(enemyKing) || knightReaches(enemyQueen) || (C != w.rootSide && std::abs(score) < DrawishScore);
    if (!keep) queens.squares[static_cast<std::size_t>(queens.count++)] = static_cast<int>(m & 0xFFF);
}

// A move searched after the first goes with a zero window and is searched
// again when it beats the best score: first unreduced in a PV node, then with
// the full window. None when the move is illegal; the caller checks for an abort.
template <Colour C>
std::optional<int> searchChild(Worker& w, Move m, std::uint32_t childFlags, int newDepth, int reduction,
                               bool zeroWindow, bool pvNode, int ply, int best, int beta, const NodeState& state) {
    constexpr Colour Them = board::opponent(C);
    const int childDepth = newDepth - OnePly - OnePly * reduction;
    const int raw = zeroWindow ? searchNode<Them>(w, m, childFlags, childDepth, -best - 1, -best, state)
                               : searchNode<Them>(w, m, childFlags, childDepth, -beta, -best, state);
    if (w.counters.aborted) return 0;
    if (raw == IllegalScore) return std::nullopt;
    int s = -raw;

    w.counters.movesSearched.store(w.counters.movesSearched.load(std::memory_order_relaxed) + 1,
                                   std::memory_order_relaxed);
    if (ply == 0) {
        w.counters.currentRootMove.store(m, std::memory_order_relaxed);
        if (w.id == 0) noteRootMoveDone(*w.session);
    }

    if (pvNode && reduction > 0 && zeroWindow && s > best) {
        s = -searchNode<Them>(w, m, childFlags, newDepth - OnePly, -best - 1, -best, state);
        if (w.counters.aborted) return 0;
        reduction = 0;
    }
    if (zeroWindow && s > best && !(s >= beta && reduction == 0)) {
        s = -searchNode<Them>(w, m, childFlags, newDepth - OnePly, -beta, -best, state);
        if (w.counters.aborted) return 0;
    }
    return s;
}

template <Colour C>
int fullWidth(Worker& w, Move move, std::uint32_t flags, int depth, int alpha, int beta, NodeState& state, bool inCheck,
              bool pvNode) {
    assert(alpha < beta);
    constexpr Colour Them = board::opponent(C);
    const int ply = state.ply;
    // The value from the parent rules this node; children never inherit it.
    const Move excluded = state.excludedMove;
    state.excludedMove = 0;
    int d = depth / OnePly;

    const int epFile = (flags & RootNode) ? -1 : enPassantFile<C>(w, state.lastMove);

    // Step 1. Draws by the fifty-move rule and by repetition.
    if (move != 0 && (flags & SameNode) == 0)
        if (const auto drawn = drawnByRule<C>(w, state, ply)) return *drawn;

    // Step 2. Transposition table.
    const TableKeys keys = tableKeys(state, epFile);
    TableHint hint;
    if (const auto stored = readTable<C>(w, keys, ply, d, alpha, beta, pvNode, excluded, hint)) return *stored;
    const Move hashMove = hint.hashMove;
    const bool hasPiece = state.counts[C] > 0;
    const bool hasPawn = state.counts[2 + C] > 0;
    const bool nullCandidate = !inCheck && !pvNode && move != 0 && hint.nullAllowed &&
                               (flags & NullVerification) == 0 && hasPiece && ply <= NullMoveMaxPly &&
                               beta > -MateBound && excluded == 0;
    // The children searched first, the hash move's and the null move's, have
    // their table entries fetched now, to arrive while the node is evaluated.
    if (hashMove != 0) prefetchChild<C>(w, state, hashMove);
    if (nullCandidate) ttPrefetch(board::keyLowAfterNull(state));

    // Step 3. Endgame tablebases.
    if (ply > 0 && excluded == 0 && tablebaseMenLimit > 0 && tablebaseProbe != nullptr)
        if (const auto known = probeTablebases<C>(w, ply, depth, epFile, keys, state)) return *known;

    // Step 4. The static estimate: the table's, else the evaluation.
    int estimate = hint.estimate;
    if (inCheck)
        estimate = ply - MateScore;
    else if (estimate == NoEstimate)
        estimate = eval::evaluate(w.board, state, C, w.eval);

    // Step 5. Razoring and static futility in shallow non-PV nodes.
    if (!pvNode && d <= StaticPruningMaxPlies && !inCheck && move != 0)
        if (const auto pruned = shallowPruning<C>(w, move, d, alpha, beta, estimate, hashMove == 0, hasPiece, state))
            return *pruned;

    // Step 6. Null move, verified at high depth.
    if (nullCandidate && estimate >= beta)
        if (const auto cut = nullMovePruning<C>(w, move, flags, depth, beta, estimate, state)) return *cut;

    // Step 7. Moves, a ply less without a hash move, the hash move first.
    board::MoveList list;
    board::generateAll<C>(w.board, list.data(), board::moveFrom(state.lastMove), board::moveTo(state.lastMove), inCheck,
                          state.castling);
    if (hashMove == 0 && move != 0 && d >= InternalReductionMinPlies && ply > 0) {
        depth -= OnePly;
        d = depth / OnePly;
    }
    if (ply + 1 < KillerPlies) w.tables.killers[static_cast<std::size_t>(ply + 1)] = 0;
    const bool hashFirst = hashMoveFirst(list.data(), hashMove);
    const bool lmpAllowed = d <= LateMovePruningMaxPlies && !inCheck && hasPiece && hasPawn && ply > 0;
    const NodeFacts node{ply, depth, d, pvNode, inCheck, hasPiece, hasPawn, lmpAllowed, estimate, hint};

    const int enemyKing = w.board.slotSquare[board::slotBase(Them)];
    const int enemyQueen = w.board.slotSquare[board::slotBase(Them) + board::QueenSlot];
    const std::uint32_t childFlags = VerifyLegality | (inCheck ? 0 : MoverWasNotInCheck) | (flags & NullVerification);
    int best = alpha;
    Move bestMove = 0;
    int searched = 0;
    int quietCount = 0;
    FailedMoves failed;
    QueenPromotions queens;

    const int scoredFrom = hashFirst ? 1 : 0;
    for (int i = 0;; ++i) {
        // Step 8. The next move by its ordering key; skipped when excluded or
        // an under-promotion its queen promotion made pointless. The children
        // fetch no table entry of their own: the first move by key has its
        // child's entry fetched as it is picked, and each later one is picked
        // a move ahead, so that its entry loads while the move before it is
        // searched (the capture search and the null move fetch theirs too).
        if (i == scoredFrom) {
            scoreMoves<C>(w, list.data() + i, move != 0, ply);
            selectNext(list.data(), i);
            if (list[i] != 0) prefetchChild<C>(w, state, list[i]);
        }
        const Move m = list[i] & 0xFFFF;
        if (m == 0) break;
        if (i >= scoredFrom) {
            selectNext(list.data(), i + 1);
            if (list[i + 1] != 0) prefetchChild<C>(w, state, list[i + 1]);
        }
        if (excluded != 0 && m == excluded) continue;
        if (ply > 0 && board::isPromotion(m) && board::moveKind(m) != board::PromoteQueen && queens.cover(m)) continue;

        // Step 9. Late-move pruning, move futility and late-move reductions.
        const bool capture = board::isCapture(m);
        const bool quiet = !capture && !board::isPromotion(m);
        const int reduction = lateMoveReduction<C>(w, node, m, quiet, searched, quietCount, best, enemyKing, state);
        if (reduction == PrunedMove) continue;

        // Step 10. Extensions, within the extension ply limit.
        int newDepth = depth;
        if (ply < w.extensionPlyLimit) {
            newDepth += moveExtension<C>(w, node, move, flags, m, capture, hashFirst, excluded, state);
            if (w.counters.aborted) return 0;
        }

        // Step 11. Principal variation search of the move.
        if (ply == 0 && w.id == 0) announceRootMove(*w.session, m, searched + 1, d);
        const std::optional<int> score =
            searchChild<C>(w, m, childFlags, newDepth, reduction, searched > 0, pvNode, ply, best, beta, state);
        if (w.counters.aborted) return 0;
        if (!score) continue;
        const int s = *score;
        ++searched;

        // Step 12. Cut-off bookkeeping: history, killers, the table's lower bound.
        if (s > best && s >= beta) {
            if (excluded != 0) return s;
            if (pvNode) copyVariation(w, ply, m, s);
            rewardCutoff<C>(w, m, quiet && move != 0, d, ply, failed);
            ttStore(BoundLower, s, m, depth, pvNode, state, keys.low, keys.high, estimate);
            return s;
        }
        if (s > best) {
            if (pvNode) copyVariation(w, ply, m, s);
            best = s;
            bestMove = m;
        } else if (m != bestMove) {
            failed.add(w, m);
        }
        if (quiet) ++quietCount;
        noteQueenPromotion<C>(w, queens, m, s, enemyKing, enemyQueen);
    }

    // Step 13. Mate or stalemate without a legal move; the result into the table.
    if (searched == 0) {
        if (excluded != 0) return alpha;
        return inCheck ? ply - MateScore : 0;
    }
    if (excluded == 0)
        ttStore(bestMove != 0 ? BoundExact : BoundUpper, best, bestMove, depth, pvNode, state, keys.low, keys.high,
                estimate);
    return best;
}

// The stand-pat value of a capture-search node not in check: the stored
// evaluation, else the evaluation (kept in staticEval), or outside a PV a
// material guess when it clears the window by a margin.
template <Colour C>
int standPatValue(Worker& w, int estimate, bool pvNode, int alpha, int beta, const NodeState& state, int& staticEval) {
    if (estimate != NoEstimate) return estimate;
    if (pvNode) return staticEval = eval::evaluate(w.board, state, C, w.eval);
    const int phase = std::min((state.nonPawnMaterial[White] + state.nonPawnMaterial[Black]) / PhaseUnit, MaxPhase);
    const int guess =
        board::colourSign(C) * ((phase * state.materialMg + (MaxPhase - phase) * state.materialEg) / MaxPhase);
    if (beta > -MateBound && state.counts[C] > 0 && beta < guess - MaterialGuessMargin) return beta;
    if (alpha <= NonMateLimit && state.counts[board::opponent(C)] > 0 && alpha > guess + MaterialGuessMargin)
        return alpha;
    return staticEval = eval::evaluate(w.board, state, C, w.eval);
}

// The value of a node in check whose evasions were not all searched: its
// static evaluation, never a mate score.
template <Colour C>
int unresolvedValue(Worker& w, const NodeState& state) {
    return std::clamp(eval::evaluate(w.board, state, C, w.eval), -NonMateLimit, NonMateLimit);
}

template <Colour C>
int quiescence(Worker& w, Move move, int depth, int alpha, int beta, NodeState& state, bool inCheck, bool pvNode) {
    assert(alpha < beta);
    constexpr Colour Them = board::opponent(C);
    const int ply = state.ply;
    int best = alpha;

    // Step 1. Draws by rule.
    if (depth >= 0 && move != 0)
        if (const auto drawn = drawnByRule<C>(w, state, ply)) return *drawn;

    // Step 2. Transposition table: its evaluation, and a settling bound outside check and PV.
    const TableKeys keys = tableKeys(state, enPassantFile<C>(w, state.lastMove));
    TTEntry entry{};
    const bool haveEntry = probeEntry<C>(w, keys, entry);
    int estimate = NoEstimate;
    int entryScore = 0;
    if (haveEntry) {
        if (entry.evaluation != UnknownEval) estimate = entry.evaluation;
        if (!pvNode && !inCheck) {
            entryScore = ttScoreAtPly(entry.score, ply);
            if (boundSettles(entry.kind(), entryScore, best, beta)) return entryScore;
        }
    }

    // Step 3. In check every move (near the horizon) or the captures; else the
    // stand-pat value, bounded by the table, and the captures.
    board::MoveList list;
    bool allMoves = false;
    int standPat = best;
    int staticEval = NoEstimate;
    if (inCheck) {
        if (depth >= CheckEvasionMinDepth) {
            board::generateAll<C>(w.board, list.data(), board::moveFrom(state.lastMove), board::moveTo(state.lastMove),
                                  1, state.castling);
            allMoves = true;
        } else {
            board::generateCaptures<C>(w.board, list.data(), board::moveFrom(state.lastMove),
                                       board::moveTo(state.lastMove));
        }
    } else {
        standPat = standPatValue<C>(w, estimate, pvNode, best, beta, state, staticEval);
        if (haveEntry && !pvNode) {
            const int kind = entry.kind();
            if (kind == BoundExact || kind == BoundTablebase) standPat = entryScore;
            if (kind == BoundLower) standPat = std::max(standPat, entryScore);
            if (kind == BoundUpper) standPat = std::min(standPat, entryScore);
        }
        if (standPat > best) {
            if (standPat >= beta) return standPat;
            best = standPat;
        }
        board::generateCaptures<C>(w.board, list.data(), board::moveFrom(state.lastMove),
                                   board::moveTo(state.lastMove));
    }
    const int evalToStore = estimate != NoEstimate ? estimate : staticEval;
    const int alphaAfterStandPat = best;
    // In check this deep only the captures are tried, so the node cannot know
    // it is mated: when no capture lifts a mated bound (the mate-distance bound
    // makes alpha "mated here" in a full window), the static evaluation stands
    // for its value instead of a mate that may not exist.
    const bool unresolvedCheck = inCheck && !allMoves;
    if (list[0] == 0 && !allMoves) return unresolvedCheck && best <= -MateBound ? unresolvedValue<C>(w, state) : best;

    // Step 4. The moves, best first; delta pruning skips a capture that cannot
    // lift the stand-pat value near the best score.
    const bool endgame =
        state.nonPawnMaterial[White] <= DeltaEndgameMaterial || state.nonPawnMaterial[Black] <= DeltaEndgameMaterial;
    const int margin = endgame ? DeltaEndgameMargin : DeltaMargin;
    const auto deltaPruned = [&](Move m) {
        if (inCheck || isMateScore(best)) return false;
        int gain =
            board::moveKind(m) == board::EnPassant ? EnPassantGain : w.board.slotValue[w.board.board[board::moveTo(m)]];
        if (board::isPromotion(m)) gain += PromotionGain;
        return best > standPat + gain + margin;
    };
    // The few moves of a capture search lead to short searches: their table
    // entries are fetched all at once, so that each child finds its own loaded.
    // A capture pruned now is pruned in the loop too (the best score only
    // rises), unless a mate score ends the pruning: its entry is not fetched.
    for (int i = 0; list[i] != 0; ++i)
        if (!deltaPruned(list[i] & 0xFFFF)) prefetchChild<C>(w, state, list[i]);

    int legal = 0;
    for (int i = 0;; ++i) {
        selectNext(list.data(), i);
        const Move m = list[i] & 0xFFFF;
        if (m == 0) break;
        if (deltaPruned(m)) continue;
        const int raw = searchNode<Them>(w, m, VerifyLegality | (inCheck ? 0 : MoverWasNotInCheck), depth - OnePly,
                                         -beta, -best, state);
        if (w.counters.aborted) return 0;
        if (raw == IllegalScore) continue;
        const int s = -raw;
        if (s > best) {
            best = s;
            if (pvNode) copyVariation(w, ply, m, s);
            if (s >= beta) {
                ttStore(BoundLower, s, 0, 0, pvNode, state, keys.low, keys.high, evalToStore);
                return s;
            }
        }
        ++legal;
    }

    // Step 5. Mate when in check without a legal move; the result into the table.
    if (allMoves && legal == 0) return ply - MateScore;
    if (unresolvedCheck && best <= -MateBound) return unresolvedValue<C>(w, state);
    if (best == alphaAfterStandPat)
        ttStore(BoundUpper, best, 0, 0, pvNode, state, keys.low, keys.high, evalToStore);
    else
        ttStore(BoundExact, best, 0, 0, 1, state, keys.low, keys.high, evalToStore);
    return best;
}

}  // namespace

template <Colour C>
int searchNode(Worker& w, Move move, std::uint32_t flags, int depth, int alpha, int beta, const NodeState& parent) {
    assert(alpha < beta);
    constexpr Colour Mover = board::opponent(C);
    // The main worker keeps the clock; the others only watch the stop request.
    Session& session = *w.session;
    if (w.id == 0) {
        if (++w.counters.timeCheck >= session.clock.interval) {
            w.counters.timeCheck = 0;
            checkTime(session, searchedNodes());
        }
    } else if (session.limits.nodes != 0 && ++w.counters.timeCheck >= HelperBudgetInterval) {
        // A node budget holds for all workers together: a helper that runs
        // while the main worker waits for a core stops the search too.
        w.counters.timeCheck = 0;
        if (searchedNodes() >= session.limits.nodes) session.requestStop();
    }
    if (w.counters.aborted || session.stopped()) {
        w.counters.aborted = true;
        return 0;
    }

    NodeState state = parent;
    if ((flags & SameNode) != 0 || (move == 0 && (flags & RootNode) != 0))
        return nodeBody<C>(w, move, flags, depth, alpha, beta, state);
    if (move == 0) {
        board::updateNodeStateNull(state);
        return nodeBody<C>(w, move, flags, depth, alpha, beta, state);
    }
    // Taking the king means the opponent's last move was illegal.
    if (w.board.board[board::moveTo(move)] == board::slotBase(C)) return IllegalScore;
    const int captured = board::applySearchMove<Mover>(w.board, move);
    board::updateNodeState<Mover>(w.board, state, move, captured);
    if (state.pawnKeyLow != parent.pawnKeyLow) eval::pawnTablePrefetch(w.eval.pawnTable, state.pawnKeyLow);
    int score = IllegalScore;
    if ((flags & VerifyLegality) == 0 ||
        board::kingAttacked<Mover>(w.board, move, (flags & MoverWasNotInCheck) ? 0 : 1) == 0)
        score = nodeBody<C>(w, move, flags, depth, alpha, beta, state);
    board::undoSearchMove<Mover>(w.board, move, captured);
    return score;
}

template int searchNode<White>(Worker&, Move, std::uint32_t, int, int, int, const NodeState&);
template int searchNode<Black>(Worker&, Move, std::uint32_t, int, int, int, const NodeState&);

}  // namespace halberd::search
