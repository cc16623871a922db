#include "tablebase/retrograde.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>
#include <set>

#include "tablebase/parallelparts.h"

namespace halberd::tablebase {

namespace {

constexpr std::array<ManKind, 4> PromotionKinds = {ManKind::Queen, ManKind::Rook, ManKind::Bishop, ManKind::Knight};

// The men left after taking `captured` off and turning `promoting` into `kind`,
// as kinds per colour without the kings.
std::array<std::vector<ManKind>, 2> menAfter(const Material& m, int captured, int promoting, ManKind kind) {
    std::array<std::vector<ManKind>, 2> sides;
    for (int i = 2; i < m.count; ++i) {
        if (i == captured) continue;
        sides[m.men[i].colour].push_back(i == promoting ? kind : m.men[i].kind);
    }
    return sides;
}

// Every (captured, promoting, kind) a move can produce; captured/promoting -1 = none.
template <class Visit>
void forEachConversion(const Material& m, Visit&& visit) {
    for (int captured = -1; captured < m.count; ++captured) {
        if (captured == 0 || captured == 1) continue;
        for (int promoting = -1; promoting < m.count; ++promoting) {
            if (promoting >= 0 && (promoting == captured || m.men[promoting].kind != ManKind::Pawn)) continue;
            if (promoting >= 0 && captured >= 0 && m.men[captured].colour == m.men[promoting].colour) continue;
            if (promoting < 0) {
                if (captured >= 0) visit(captured, promoting, ManKind::King);
                continue;
            }
            for (const ManKind kind : PromotionKinds) visit(captured, promoting, kind);
        }
    }
}

// Value of a successor's state for the side that moves into it: the nearer a
// win the better, the farther a loss the better, a draw in between.
int goodness(std::uint8_t successor) {
    if (successor == 0) return 0;
    const int ply = successor;  // the mover's distance: successor plies + 1
    return stateIsLoss(successor) ? 1000 - ply : ply - 1000;
}

constexpr std::uint8_t NoConversion = 0;
constexpr std::uint8_t NeverLost = 255;  // a move keeps at least a draw

// Nodes looked at, and frontier nodes unmoved, in one piece of a thread's work:
// enough to make a piece's overhead small, few enough to bound the lists.
constexpr std::uint64_t NodePiece = std::uint64_t{1} << 16;
constexpr std::uint64_t FrontierPiece = std::uint64_t{1} << 12;
static_assert(NodePiece % 64 == 0, "a piece of nodes holds whole words of the illegal set");

}  // namespace

std::uint8_t WorkTableSource::stateOf(const Squares& sq, int side) const {
    return tablebase::stateOf(*table_, sq, side, NoSquare);
}

std::vector<std::string> conversionClasses(const Material& m) {
    std::set<std::string> names;
    forEachConversion(m, [&](int captured, int promoting, ManKind kind) {
        const auto sides = menAfter(m, captured, promoting, kind);
        if (const auto cls = classOfMen(sides[0], sides[1])) names.insert(cls->name);
    });
    return {names.begin(), names.end()};
}

int ConversionTable::key(int captured, int promoting, ManKind kind) {
    return (captured + 1) * 36 + (promoting + 1) * 6 + static_cast<int>(kind);
}

ConversionTable::ConversionTable(const Material& m, const SourceLookup& lookup) {
    forEachConversion(m, [&](int captured, int promoting, ManKind kind) {
        Conversion& record = records_[key(captured, promoting, kind)];
        record.mapTo.fill(-1);
        const auto sides = menAfter(m, captured, promoting, kind);
        const auto cls = classOfMen(sides[0], sides[1]);
        if (!cls) return;  // bare kings
        record.target = lookup(cls->name);
        if (record.target == nullptr) return;
        record.swapped = cls->swapped;
        const Material target = *parseMaterial(cls->name);
        std::array<bool, MaxMen> used{};
        for (int i = 0; i < m.count; ++i) {
            if (i == captured) continue;
            const int colour = cls->swapped ? 1 - m.men[i].colour : m.men[i].colour;
            const ManKind k = i == promoting ? kind : m.men[i].kind;
            for (int j = 0; j < target.count; ++j)
                if (!used[j] && target.men[j].colour == colour && target.men[j].kind == k) {
                    used[j] = true;
                    record.mapTo[i] = static_cast<std::int8_t>(j);
                    break;
                }
        }
    });
}

std::uint8_t ConversionTable::stateAfter(const Step& step, const Squares& after, int sideToMove) const {
    const bool promotes = step.promotion != ManKind::King;
    const Conversion& record = records_[key(step.captured, promotes ? step.man : -1, step.promotion)];
    if (record.target == nullptr) return 0;
    Squares target;
    target.fill(NoSquare);
    for (int i = 0; i < MaxMen; ++i)
        if (record.mapTo[i] >= 0)
            target[record.mapTo[i]] = static_cast<std::int8_t>(record.swapped ? after[i] ^ 56 : after[i]);
    return record.target->stateOf(target, record.swapped ? otherSide(sideToMove) : sideToMove);
}

namespace {

// One class's analysis: the work table and what the passes keep beside it.
class ClassSolver {
public:
    ClassSolver(const Material& m, const SourceLookup& lookup, int threads)
        : m_(m), conversions_(m, lookup), threads_(threads) {
        table_.layout = makeLayout(m);
        listEnPassantNodes(table_.layout);
        count_ = nodeCount(table_.layout);
        table_.state.assign(count_, 0);
        conversion_.assign(count_, NoConversion);
        illegal_.assign((count_ + 63) / 64, 0);
        openMoves_.assign(count_, 0);
    }

    // First pass: legality, mates and stalemates, the best move into another
    // class, and the number of different positions the moves inside the class
    // reach. Each thread writes the entries of its own pieces of nodes (a piece
    // holds whole words of the illegal set); the mates and the conversions join
    // the lists in any order, which decides nothing, as in the passes.
    void examineAll() {
        std::mutex listsLock;
        forEachPiece(count_, threads_, NodePiece, [&](std::uint64_t first, std::uint64_t last) {
            NodeFindings findings;
            for (std::uint64_t node = first; node < last; ++node) examine(node, findings);
            const std::lock_guard<std::mutex> hold(listsLock);
            frontier_.insert(frontier_.end(), findings.mated.begin(), findings.mated.end());
            for (const auto& [value, node] : findings.converting) scheduled_[value - 1u].push_back(node);
        });
    }

    // Pass `ply` resolves the positions that many plies from mate and, from
    // them, finds the wins of the next pass and the losses whose last defence
    // has just fallen; false when nothing is left for a later pass.
    bool pass(int ply, const PassReport& report) {
        resolveScheduled(ply);
        stepBack(ply);
        if (report) report(ply, frontier_.size());
        frontier_.swap(next_);
        bool more = !frontier_.empty();
        for (std::size_t later = static_cast<std::size_t>(ply) + 1; !more && later < scheduled_.size(); ++later)
            more = !scheduled_[later].empty();
        scheduled_[static_cast<std::size_t>(ply)].clear();
        scheduled_[static_cast<std::size_t>(ply)].shrink_to_fit();
        return more;
    }

    WorkTable take() { return std::move(table_); }

private:
    struct NodeFindings {
        std::vector<std::uint64_t> reached;
        std::vector<std::uint32_t> mated;
        std::vector<std::pair<std::uint8_t, std::uint32_t>> converting;
    };

    bool isIllegal(std::uint64_t n) const { return (illegal_[n / 64] >> (n % 64)) & 1; }

    // The position after a move inside the class: an en-passant node when the
    // move is a double step beside a pawn of the side then to move.
    std::uint64_t successor(const Step& step, const Squares& after, int side) const {
        const int ep = step.doubleStep && enPassantShape(m_, after, otherSide(side), step.to) ? step.to : NoSquare;
        return nodeOf(table_.layout, after, otherSide(side), ep);
    }

    void examine(std::uint64_t node, NodeFindings& findings) {
        Squares sq;
        int side = 0;
        int ep = NoSquare;
        decodeNode(table_.layout, node, sq, side, ep);
        if (!isEnPassantNode(table_.layout, node) && !isLegalNormalNode(table_.layout, node)) {
            illegal_[node / 64] |= std::uint64_t{1} << (node % 64);  // a piece holds whole words
            return;
        }
        bool anyMove = false;
        int best = INT_MIN;
        findings.reached.clear();
        forEachMove<false>(m_, sq, side, ep, [&](const Step& step, const Squares& after) {
            anyMove = true;
            if (step.captured < 0 && step.promotion == ManKind::King)
                findings.reached.push_back(successor(step, after, side));
            else
                best = std::max(best, goodness(conversions_.stateAfter(step, after, otherSide(side))));
            return true;
        });
        std::vector<std::uint64_t>& reached = findings.reached;
        std::sort(reached.begin(), reached.end());
        openMoves_[node] = static_cast<std::uint8_t>(std::unique(reached.begin(), reached.end()) - reached.begin());
        if (!anyMove) {
            if (inCheck(m_, sq, side)) {
                table_.state[node] = 1;
                findings.mated.push_back(static_cast<std::uint32_t>(node));
            } else {
                conversion_[node] = NeverLost;
            }
        } else if (best == 0) {
            conversion_[node] = NeverLost;
        } else if (best != INT_MIN) {
            const int ply = best > 0 ? 1000 - best : best + 1000;
            conversion_[node] = static_cast<std::uint8_t>(std::min(ply, 253) + 1);
            findings.converting.emplace_back(conversion_[node], static_cast<std::uint32_t>(node));
        }
    }

    // Lost once every position reached inside the class is won by the opponent
    // and no move into another class holds out longer than this pass.
    // During a pass the threads count open moves down with atomic operations.
    bool lostNow(std::uint64_t node, int ply) {
        const std::uint8_t c = conversion_[node];
        if (std::atomic_ref<std::uint8_t>(openMoves_[node]).load(std::memory_order_relaxed) != 0 || c == NeverLost)
            return false;
        return c == NoConversion || (!stateIsWin(c) && c <= ply + 1);
    }

    // The positions whose best move into another class decides them at this
    // ply join the frontier.
    void resolveScheduled(int ply) {
        const bool winPass = ply % 2 == 1;
        for (const std::uint32_t node : scheduled_[static_cast<std::size_t>(ply)]) {
            if (table_.state[node] != 0) continue;
            if (winPass || lostNow(node, ply)) {
                table_.state[node] = static_cast<std::uint8_t>(ply + 1);
                frontier_.push_back(node);
            }
        }
    }

    // The positions one move before each frontier node (each once per node),
    // found by the threads from the frontier alone.
    void unmoves(std::uint64_t first, std::uint64_t last, std::vector<std::uint32_t>& found) const {
        std::vector<std::uint64_t> predecessors;
        for (std::uint64_t i = first; i < last; ++i) {
            Squares sq;
            int side = 0;
            int ep = NoSquare;
            decodeNode(table_.layout, frontier_[i], sq, side, ep);
            predecessors.clear();
            forEachUnmove(m_, sq, side, ep, [&](const Squares& before, bool) {
                const int mover = otherSide(side);
                predecessors.push_back(nodeOf(table_.layout, before, mover, NoSquare));
                if (!m_.bothPawns) return;
                // The same position right after a double step of ours, taken en passant or not.
                for (int j = 2; j < m_.count; ++j)
                    if (m_.men[j].colour == side && m_.men[j].kind == ManKind::Pawn &&
                        enPassantShape(m_, before, mover, before[j]))
                        predecessors.push_back(nodeOf(table_.layout, before, mover, before[j]));
            });
            std::sort(predecessors.begin(), predecessors.end());
            const auto end = std::unique(predecessors.begin(), predecessors.end());
            for (auto before = predecessors.begin(); before != end; ++before)
                found.push_back(static_cast<std::uint32_t>(*before));
        }
    }

    // From the frontier one move back: after a loss pass every predecessor is
    // won; after a win pass a predecessor is lost when its last open move
    // falls. Each position is resolved by the one thread whose atomic step
    // decides it (the last open move counted down, or the first to claim a
    // win), so the table is the same whatever the threads' order; only the
    // order of the next frontier varies, and no result depends on it.
    void stepBack(int ply) {
        const bool winPass = ply % 2 == 1;
        next_.clear();
        std::mutex nextLock;
        forEachPiece(frontier_.size(), threads_, FrontierPiece, [&](std::uint64_t first, std::uint64_t last) {
            std::vector<std::uint32_t> found;
            std::vector<std::uint32_t> resolved;
            unmoves(first, last, found);
            for (const std::uint32_t before : found) {
                std::atomic_ref<std::uint8_t> state(table_.state[before]);
                if (isIllegal(before) || state.load(std::memory_order_relaxed) != 0) continue;
                if (winPass) {
                    std::atomic_ref<std::uint8_t> open(openMoves_[before]);
                    if (open.fetch_sub(1, std::memory_order_relaxed) != 1 || !lostNow(before, ply + 1)) continue;
                }
                std::uint8_t unresolved = 0;
                if (state.compare_exchange_strong(unresolved, static_cast<std::uint8_t>(ply + 2),
                                                  std::memory_order_relaxed))
                    resolved.push_back(before);
            }
            const std::lock_guard<std::mutex> hold(nextLock);
            next_.insert(next_.end(), resolved.begin(), resolved.end());
        });
    }

    const Material& m_;
    const ConversionTable conversions_;
    const int threads_;
    WorkTable table_;
    std::uint64_t count_ = 0;
    std::vector<std::uint8_t> conversion_;  // per node: the best move into another class, or none
    std::vector<std::uint64_t> illegal_;    // a bit per node
    std::vector<std::uint8_t> openMoves_;   // per node: the positions inside the class not yet won by the opponent
    std::vector<std::vector<std::uint32_t>> scheduled_ = std::vector<std::vector<std::uint32_t>>(256);  // by ply
    std::vector<std::uint32_t> frontier_;  // the positions resolved in the pass
    std::vector<std::uint32_t> next_;      // those the pass resolves for the next
};

}  // namespace

WorkTable solveClass(const Material& m, const SourceLookup& lookup, const PassReport& report, int threads) {
    ClassSolver solver(m, lookup, threads);
    solver.examineAll();
    for (int ply = 0; ply < 254; ++ply)
        if (!solver.pass(ply, report)) break;
    return solver.take();
}

}  // namespace halberd::tablebase
