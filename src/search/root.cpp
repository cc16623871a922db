#include "search/root.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <vector>

#include "board/diagnostics.h"
#include "board/keys.h"
#include "board/makemove.h"
#include "board/nodestate.h"
#include "eval/evaluate.h"
#include "search/margins.h"
#include "search/ordering.h"
#include "search/report.h"
#include "search/tablebaseline.h"
#include "search/threads.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace halberd::search {

namespace {

constexpr std::uint32_t UnknownScoreHalf = 0x80010000u;  // UnknownEval in bits 16-31

int listLength(const Move* list) {
    int n = 0;
    while (list[n] != 0) ++n;
    return n;
}

void refreshPrivateList(Worker& w, const Move* list) {
    const int n = listLength(list);
    std::copy(list, list + n + 1, w.rootMoves.begin());
}

void resetRootScores(Move* list) {
    for (int i = 0; list[i] != 0; ++i) list[i] = packPvWord(list[i], UnknownEval);
}

bool sameBoard(const board::SearchBoard& a, const board::SearchBoard& b) {
    return a.slotSquare == b.slotSquare && a.board == b.board && a.slotType == b.slotType &&
           a.slotValue == b.slotValue && a.occupied == b.occupied && a.men == b.men;
}

// Whether the SearchBoard holds the root position again, its hash key the
// root's: the node routines restore it on their way out.
[[maybe_unused]] bool boardRestored(const Worker& w, const board::Position& position, int side,
                                    std::uint32_t rootKeyHigh) {
    const board::SearchBoard root = board::searchBoardOf(position);
    board::Position now = position;
    now.slotSquare = w.board.slotSquare;
    now.board = w.board.board;
    now.slotType = w.board.slotType;
    now.slotValue = w.board.slotValue;
    board::computeKeys(now, side);
    return sameBoard(w.board, root) && now.hashKeyHigh == rootKeyHigh;
}

// Deeper iterations only repeat a mate that two iterations agree on and that
// lies within the depth searched: a mate score reaches the root only when every
// move of the losing side was searched, so the mate is forced. A "go mate"
// goal is met by any mate that short.
bool mateProven(const Session& session, int score, int lastScore, int depth) {
    // A "go mate" search looks for its mate and nothing else.
    const int goal = session.limits.mateMoves;
    if (goal > 0) return score > MateBound && movesToMate(score) <= goal;
    return isMateValue(score) && score == lastScore && matePlies(score) <= depth;
}

std::uint32_t elapsedSinceStart(const Session& session) {
    return nowMillis() - session.startMillis.load(std::memory_order_relaxed);
}

// Hands the facts of an iteration, with its variation (the displayed one unless
// given) and its place among several (0 when the search keeps one), to the reporter.
void reportIteration(const Worker& w, int score, int depth, LineMark mark, const PvArray* pv = nullptr,
                     int multiPv = 0) {
    const Session& session = *w.session;
    if (!session.reporter) return;
    IterationReport facts;
    facts.depth = depth;
    facts.score = score;
    facts.mark = mark;
    facts.elapsedMs = elapsedSinceStart(session);
    facts.pv = pv != nullptr ? *pv : session.variations().displayed;
    facts.multiPv = multiPv;
    facts.hashfull = ttHashfull();
    facts.nodes = searchedNodes();
    facts.tbHits = tablebaseHits();
    facts.selectiveDepth = w.counters.selectiveDepth;
    session.report(facts);
}

// Reports a line of the best variation and keeps its depth, score and bound
// for the closing line.
void reportBestLine(Worker& w, int score, int depth, LineMark mark, int multiPv = 0) {
    w.session->shown = {depth, score, mark};
    reportIteration(w, score, depth, mark, nullptr, multiPv);
}

}  // namespace

RootStatus rootStatus(const Session& session) {
    const SearchCounters& counters = mainWorker().counters;
    return {session.iterationDepth.load(std::memory_order_relaxed),
            session.rootMoveCount.load(std::memory_order_relaxed),
            session.rootMovesLeft.load(std::memory_order_relaxed),
            session.startMillis.load(std::memory_order_relaxed),
            counters.movesSearched.load(std::memory_order_relaxed),
            counters.currentRootMove.load(std::memory_order_relaxed)};
}

void noteRootMoveDone(Session& session) {
    const int left = session.rootMovesLeft.load(std::memory_order_relaxed);
    if (left > 0) session.rootMovesLeft.store(left - 1, std::memory_order_relaxed);
}

void announceRootMove(const Session& session, Move move, int number, int depth) {
    // Interfaces show the move being searched; in the first second it would only flicker.
    constexpr std::uint32_t QuietMillis = 1000;
    const std::uint32_t elapsed = elapsedSinceStart(session);
    if (elapsed < QuietMillis || !session.reporter) return;
    IterationReport facts;
    facts.currentMove = true;
    facts.depth = depth;
    facts.elapsedMs = elapsed;
    facts.pv[0] = move;
    facts.multiPv = number;
    session.report(facts);
}

void sortRootMoves(Move* list) {
    std::stable_sort(list, list + listLength(list), [](Move a, Move b) { return pvWordScore(a) > pvWordScore(b); });
}

void setRootMoveScore(Move* list, Move move, int score) {
    for (int i = 0; list[i] != 0; ++i)
        if ((list[i] & 0xFFFF) == (move & 0xFFFF)) {
            list[i] = packPvWord(list[i], score);
            return;
        }
}

PvArray rootVariation(const Worker& w) {
    PvArray pv{};
    std::size_t n = 0;
    for (const PvNode* node = w.pvLists[0]; node != nullptr && n < 63; node = node->next) {
        const Move move = pvWordMove(node->word);
        if (move == 0) break;
        pv[n++] = move;
    }
    return pv;
}

void savePv(const Worker& w, const board::Position* root) {
    PvArray pv = rootVariation(w);
    if (root != nullptr) extendWithTableMoves(pv, *root, w.rootSide);
    w.session->changeVariations([&pv](Variations& v) { v.saved = v.displayed = pv; });
}

int searchFromRoot(Worker& w, SearchRoutine routine, Move move, std::uint32_t flags, int depthPlies, int alpha,
                   int beta, const board::Position& position) {
    NodeState state{};
    board::buildNodeState(position, state, w.board);
    const board::SearchBoard before = w.board;
    const int result = routine(w, move, flags, depthPlies * OnePly, alpha, beta, state);
    if (!sameBoard(before, w.board)) board::internalErrorCode(board::ErrorSearchBoardChanged);
    return result;
}

void presortRootMoves(Worker& w, int side, Move* list, board::Position& position) {
    resetRootScores(list);
    w.session->iterationDepth.store(0, std::memory_order_relaxed);
    w.extensionPlyLimit = 0;
    position.ply = 0;
    // The opponent's routine applies each root move: the score is the capture
    // search's value of the position after it.
    const SearchRoutine reply = side == board::White ? searchBlack : searchWhite;
    for (int i = 0; list[i] != 0; ++i) {
        const int result =
            searchFromRoot(w, reply, list[i] & 0xFFFF, VerifyLegality, 0, -InfiniteScore, InfiniteScore, position);
        if (w.counters.aborted) break;
        if (result != IllegalScore) list[i] = packPvWord(list[i], -result);
    }
    sortRootMoves(list);
}

namespace {

// One iteration: the root searched in a window around the previous score
// (from AspirationMinDepth on), widened after each failure. Returns the last
// score, below LowestRootScore when none came. The root list may be the tail of
// the moves not yet taken by earlier variations of the iteration. Only the main
// worker's first variation shows its progress, ranked 1 when there are several.
int searchIteration(Worker& w, SearchRoutine routine, Move* rootList, const board::Position& position, int depth,
                    int prev, int count, bool primary, int rank = 0) {
    refreshPrivateList(w, rootList);
    int alpha = -InfiniteScore;
    int beta = InfiniteScore;
    if (depth >= AspirationMinDepth) {
        alpha = std::max(prev - AspirationHalfWidth, -InfiniteScore);
        beta = std::min(prev + AspirationHalfWidth, InfiniteScore);
    }
    int delta = AspirationHalfWidth;
    int s = UnknownEval;
    for (;;) {
        w.pvLists[0]->word = (w.pvLists[0]->word & 0xFFFF) | UnknownScoreHalf;
        if (primary) w.session->rootMovesLeft.store(count - 1, std::memory_order_relaxed);
        searchFromRoot(w, routine, 0, RootNode, depth, alpha, beta, position);
        s = pvWordScore(w.pvLists[0]->word);
        if (w.counters.aborted) break;
        if (s >= LowestRootScore) {
            setRootMoveScore(rootList, pvWordMove(w.pvLists[0]->word), s);
            if (primary) savePv(w, &position);
            if (primary && s >= beta)
                reportBestLine(w, s, depth, LineMark::FailHigh, rank);
        }
        delta = delta + delta / 2 + AspirationHalfWidth;
        sortRootMoves(rootList);
        refreshPrivateList(w, rootList);
        if (s > alpha) {
            if (s < beta) break;
            beta = s + delta;
            if (beta > MateBound) beta = InfiniteScore;
        } else {
            beta = std::min((alpha + beta) / 2, InfiniteScore);
            alpha = s - delta;
            if (alpha < -MateBound) alpha = -InfiniteScore;
        }
        if (beta - alpha <= 1) break;
    }
    return s;
}

// The root list's scores cleared and the extension budget set for one iteration.
void beginIteration(Worker& w, Move* list, board::Position& position, int depth) {
    resetRootScores(list);
    position.ply = 0;
    w.extensionPlyLimit = std::min(ExtensionPliesPerIteration * depth, MaxExtensionPly);
}


}  // namespace

namespace {

// Every worker's counters started afresh for a search of the session, once the
// helpers of the last search are parked; the main worker's clock starts.
Worker& beginSearch(Session& session) {
    waitForHelpers();
    Worker& w = mainWorker();
    startCounters(w);
    w.session = &session;
    forEachHelper([&session](Worker& h) {
        startCounters(h);
        h.session = &session;
    });
    session.startMillis.store(nowMillis(), std::memory_order_relaxed);
    session.clock.scoreDropped = false;
    w.rootMoves.fill(0);
    return w;
}

}  // namespace

SearchResult playBookMove(Session& session, const Move* rootList) {
    Worker& w = beginSearch(session);
    const Move move = rootList[0] & 0xFFFF;
    const int count = listLength(rootList);
    w.counters.currentRootMove.store(move, std::memory_order_relaxed);
    session.changeVariations([move](Variations& v) {
        v.displayed.fill(0);
        v.displayed[0] = move;
    });
    w.counters.movesSearched.store(1, std::memory_order_relaxed);
    w.counters.nodes.store(1, std::memory_order_relaxed);
    reportIteration(w, 0, 2, LineMark::FailHigh);
    session.iterationDepth.store(0, std::memory_order_relaxed);
    session.rootMoveCount.store(count, std::memory_order_relaxed);
    session.rootMovesLeft.store(count - 1, std::memory_order_relaxed);
    SearchResult result;
    result.move = move;
    result.score = BookMoveScore;
    result.depth = 2;
    result.fromBook = true;
    result.nodes = 1;
    return result;
}

namespace {

// The helpers' pawn tables take their size on their own threads, all at once.
void preparePawnTable(Worker& w) {
    if (eval::pawnTableEntryCount(w.eval.pawnTable) != w.pawnEntriesWanted)
        eval::pawnTableAllocate(w.eval.pawnTable, w.pawnEntriesWanted);
}

// What every worker needs from the root before its iterations.
void prepareWorker(Worker& w, int side, std::uint32_t rootKeyHigh) {
    takeSearchHistory(w, *w.session, rootKeyHigh, side);
    clearKillers(w.tables);
    w.rootSide = side;
    w.eval.evalCount = 0;
    w.pvLists[0]->word = 0;
}

// Lazy SMP: the helpers deepen the same root on the shared table, each
// skipping depths on its own pattern so that they spread over the depths the
// main worker is about to reach and fill the table ahead of it.
constexpr std::array<int, 20> SkipSize = {1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4};
constexpr std::array<int, 20> SkipPhase = {0, 1, 0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5, 6, 7};

bool helperSkips(int id, int depth) {
    const auto i = static_cast<std::size_t>((id - 1) % 20);
    return ((depth + SkipPhase[i]) / SkipSize[i]) % 2 != 0;
}

// What the helpers start from: the prepared root, its presorted moves. Kept by
// the pool for as long as the helpers search.
struct HelperStart {
    board::Position position;
    board::MoveList rootList;
    int side;
    std::uint32_t rootKeyHigh;
    int previousScore;
};

void helperSearch(Worker& w, const HelperStart& start) {
    Session& session = *w.session;
    preparePawnTable(w);
    board::Position position = start.position;
    board::MoveList list = start.rootList;
    prepareWorker(w, start.side, start.rootKeyHigh);
    refreshPrivateList(w, list.data());
    const SearchRoutine routine = start.side == board::White ? searchWhite : searchBlack;
    const int count = listLength(list.data());
    int prev = start.previousScore;
    for (int depth = 2; depth < MaxRootDepth && depth <= session.limits.depth; ++depth) {
        if (session.stopped() || w.counters.aborted) break;
        if (helperSkips(w.id, depth)) continue;
        beginIteration(w, list.data(), position, depth);
        const int s = searchIteration(w, routine, list.data(), position, depth, prev, count, false);
        if (w.counters.aborted || s < LowestRootScore) break;
        setRootMoveScore(list.data(), pvWordMove(w.pvLists[0]->word), s);
        sortRootMoves(list.data());
        refreshPrivateList(w, list.data());
        session.postHelperIteration(w.id, {depth, s, rootVariation(w)});
        prev = s;
    }
}

// Wakes the helpers on the root; each leaves the session when it has stopped.
void launchHelpers(Session& session, HelperStart start) {
    for (int i = 1; i < threadCount(); ++i) session.helperJoins();
    startHelpers([start](Worker& h) {
        Session& own = *h.session;
        helperSearch(h, start);
        own.helperLeaves();
    });
}

// A helper iteration that went deeper than the main worker's last one with a
// better score, if any; what the helpers have posted so far, none waited for.
std::optional<FinishedIteration> deeperHelper(const Session& session, int depth, int score) {
    std::optional<FinishedIteration> best;
    for (const FinishedIteration& found : session.helperIterations())
        if (found.depth > depth && found.score > score && found.pv[0] != 0) {
            best = found;
            depth = found.depth;
            score = found.score;
        }
    return best;
}

// One of several variations of an iteration, best first.
struct Variation {
    int score;
    PvArray pv;
};

// Reports the variations of a finished iteration, best first, numbered from 1.
void reportVariations(const Worker& w, std::vector<Variation>& variations, int lines, int depth) {
    std::stable_sort(variations.begin(), variations.begin() + lines,
                     [](const Variation& a, const Variation& b) { return a.score > b.score; });
    for (int k = 0; k < lines; ++k)
        reportIteration(w, variations[static_cast<std::size_t>(k)].score, depth, LineMark::None,
                        &variations[static_cast<std::size_t>(k)].pv, k + 1);
}

// Puts the move at the head of the root list with its score.
void moveToHead(Move* list, Move move, int score) {
    for (int i = 0; list[i] != 0; ++i)
        if ((list[i] & 0xFFFF) == (move & 0xFFFF)) {
            std::rotate(list, list + i, list + i + 1);
            list[0] = packPvWord(list[0], score);
            return;
        }
}

// A root without a legal move: the game is already over, mated or stalemated.
SearchResult rootWithoutMove(const board::Position& position, int side) {
    SearchResult result;
    const Colour us = side == board::White ? board::White : board::Black;
    const int king = position.slotSquare[static_cast<std::size_t>(board::slotBase(us))];
    result.depth = 0;
    result.score = board::squareAttacked(position, king, board::opponent(us)) ? -MateScore : 0;
    return result;
}

// The iterative deepening of the main worker: its iterations, each reported,
// until a limit, a stop or a proven mate. Fills the result's score and depth.
struct Deepening {
    Worker& w;
    Session& session;
    Move* rootList;
    board::Position& position;
    int count;
    int completedDepth = 0;

    void run(SearchResult& result, int previousScore, int depthCap) {
        const SearchRoutine routine = w.rootSide == board::White ? searchWhite : searchBlack;
        const int lines = std::clamp(session.limits.multiPv, 1, count);
        std::vector<Variation> variations(static_cast<std::size_t>(lines), Variation{previousScore, {}});
        int prev = previousScore;
        int depth = 2;
        while (!session.stopped() && !w.counters.aborted && depth < depthCap) {
            beginIteration(w, rootList, position, depth);
            session.iterationDepth.store(depth, std::memory_order_relaxed);
            w.counters.currentRootMove.store(pvWordMove(w.pvLists[0]->word), std::memory_order_relaxed);
            session.rootMoveCount.store(count, std::memory_order_relaxed);
            session.rootMovesLeft.store(count - 1, std::memory_order_relaxed);

            const int s =
                searchIteration(w, routine, rootList, position, depth, prev, count, true, lines > 1 ? 1 : 0);
            if (s < LowestRootScore) break;
            result.score = s;
            if (!w.counters.aborted) updateScoreDrop(session.clock, s - prev);
            setRootMoveScore(rootList, pvWordMove(w.pvLists[0]->word), s);
            // A finished pass saved its variation already; a stopped one saves what it has.
            if (w.counters.aborted) savePv(w, &position);
            if (lines > 1 && !w.counters.aborted) searchFurtherVariations(routine, variations, s, depth);
            if (!w.counters.aborted) finishIteration(variations, lines, s, depth);
            sortRootMoves(rootList);
            refreshPrivateList(w, rootList);
            if (iterationMayStop(session, s - prev, searchedNodes()) || session.limits.depth <= depth ||
                mateProven(session, s, prev, depth))
                session.requestStop();
            prev = s;
            ++depth;
        }
        result.depth = depth - 1;
    }

    // Further variations: each searches the moves the earlier ones left.
    void searchFurtherVariations(SearchRoutine routine, std::vector<Variation>& variations, int s, int depth) {
        variations[0] = {s, rootVariation(w)};
        for (std::size_t k = 1; k < variations.size() && !w.counters.aborted; ++k) {
            const int ki = static_cast<int>(k);
            const int v =
                searchIteration(w, routine, rootList + ki, position, depth, variations[k].score, count - ki, false);
            if (w.counters.aborted || v < LowestRootScore) break;
            variations[k] = {v, rootVariation(w)};
        }
    }

    void finishIteration(std::vector<Variation>& variations, int lines, int s, int depth) {
        completedDepth = depth;
        if (lines > 1) {
            reportVariations(w, variations, lines, depth);
            session.shown = {depth, variations[0].score, LineMark::None};
            const PvArray best = variations[0].pv;
            session.changeVariations([&best](Variations& v) { v.saved = v.displayed = v.completed = best; });
        } else {
            reportBestLine(w, s, depth, LineMark::None);
            session.changeVariations([](Variations& v) { v.completed = v.saved; });
        }
    }
};

// The closing line, when the search went on after its last finished iteration
// (a stop, the clock or a node budget cut the next one, or a helper's result
// was taken): the last line shown of what the search answers, with the nodes
// of every worker and the time when it decided. Otherwise the last iteration's
// line closes the search already.
void reportClosingLine(const Worker& w, Move answer, bool severalLines) {
    const Session& session = *w.session;
    const PvArray pv = session.variations().displayed;
    if ((pv[0] & 0xFFFF) != answer || session.shown.score == NoResultScore) return;
    reportIteration(w, session.shown.score, session.shown.depth, session.shown.mark, &pv, severalLines ? 1 : 0);
}

}  // namespace

SearchResult searchRoot(Session& session, const SearchRequest& request) {
    Worker& w = beginSearch(session);
    Move* const rootList = request.rootList;
    board::Position& position = *request.position;
    const int side = request.side;

    board::computeKeys(position, side);
    const std::uint32_t rootKeyHigh = position.hashKeyHigh;
    prepareWorker(w, side, rootKeyHigh);
    // Without a legal move the list holds the pseudo-legal moves flagged illegal.
    const int count = (rootList[0] & board::IllegalFlag) != 0 ? 0 : listLength(rootList);

    board::prepareRoot(position);
    // The preparation is part of the time.
    const std::int64_t spent = nowMillis() - session.startMillis.load(std::memory_order_relaxed);
    startClock(session, session.limits.softMs - spent, session.limits.hardMs - spent);
    ttNewSearch();
    if (count == 0) return rootWithoutMove(position, side);

    int depthCap = SingleMoveDepthCap;
    if (count > 1) {
        depthCap = MaxRootDepth;
        presortRootMoves(w, side, rootList, position);
    }
    refreshPrivateList(w, rootList);

    // A single legal move is played after the shortest search: no helper for it.
    const bool helpers = count > 1 && threadCount() > 1;
    if (helpers) {
        HelperStart start{position, {}, side, rootKeyHigh, request.previousScore};
        std::copy(rootList, rootList + count + 1, start.rootList.begin());
        launchHelpers(session, start);
    }

    SearchResult result;
    Deepening deepening{w, session, rootList, position, count};
    deepening.run(result, request.previousScore, depthCap);
    const bool severalLines = std::clamp(session.limits.multiPv, 1, count) > 1;

    bool tookHelper = false;
    if (helpers) {
        // The helpers end at the stop request, which the main worker's end sets
        // if nothing else did; none is waited for. Only a single variation is
        // taken from a helper: several come from the main worker's own
        // iterations. A main worker that finished no iteration takes any
        // helper's result.
        session.requestStop();
        const int ownScore = deepening.completedDepth > 0 ? result.score : -InfiniteScore;
        const std::optional<FinishedIteration> found =
            severalLines ? std::nullopt : deeperHelper(session, deepening.completedDepth, ownScore);
        if (found) {
            moveToHead(rootList, found->pv[0], found->score);
            result.score = found->score;
            result.depth = found->depth;
            const PvArray pv = found->pv;
            session.changeVariations([&pv](Variations& v) { v.saved = v.displayed = v.completed = pv; });
            session.shown = {found->depth, found->score, LineMark::None};
            tookHelper = true;
        }
    }

    assert(boardRestored(w, position, side, rootKeyHigh));
    result.move = rootList[0] & 0xFFFF;
    result.nodes = searchedNodes();
    if (w.counters.aborted || tookHelper) reportClosingLine(w, result.move, severalLines);
    return result;
}

}  // namespace halberd::search
