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

std::mutex pvLock;

namespace {

PvArray saved{};
PvArray previous{};
PvArray displayed{};
PvArray completed{};

std::atomic<int> iterationDepth{0};
std::atomic<int> rootMoveCount{0};
std::atomic<int> rootMovesLeft{0};
std::atomic<std::uint32_t> searchStart{0};

BookProbe bookProbe = nullptr;
// Read by the thinking thread after its own searchRoot call.
bool bookMovePlayed = false;

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
bool mateProven(int score, int lastScore, int depth) {
    // A "go mate" search looks for its mate and nothing else.
    if (mateLimit() > 0) return score > MateBound && movesToMate(score) <= mateLimit();
    return isMateValue(score) && score == lastScore && matePlies(score) <= depth;
}

std::uint32_t elapsedSinceStart() { return nowMillis() - searchStart.load(std::memory_order_relaxed); }

// Hands the facts of an iteration, with its variation (the displayed one unless
// given) and its place among several (0 when the search keeps one), to the reporter.
void reportIteration(const Worker& w, int score, std::uint32_t elapsedMs, int depth, LineMark mark,
                     const PvArray* pv = nullptr, int multiPv = 0) {
    if (!reporterInstalled()) return;
    IterationReport facts;
    facts.depth = depth;
    facts.score = score;
    facts.mark = mark;
    facts.elapsedMs = elapsedMs;
    facts.pv = pv != nullptr ? *pv : displayedPv();
    facts.multiPv = multiPv;
    facts.hashfull = ttHashfull();
    facts.nodes = static_cast<std::uint32_t>(searchedNodes());
    facts.tbHits = tablebaseHits();
    facts.selectiveDepth = w.counters.selectiveDepth;
    report(facts);
}

}  // namespace

PvArray savedPv() {
    std::lock_guard<std::mutex> lock(pvLock);
    return saved;
}

PvArray previousPv() {
    std::lock_guard<std::mutex> lock(pvLock);
    return previous;
}

PvArray displayedPv() {
    std::lock_guard<std::mutex> lock(pvLock);
    return displayed;
}

PvArray completedPv() {
    std::lock_guard<std::mutex> lock(pvLock);
    return completed;
}

RootStatus rootStatus() {
    const SearchCounters& counters = mainWorker().counters;
    return {iterationDepth.load(std::memory_order_relaxed),
            rootMoveCount.load(std::memory_order_relaxed),
            rootMovesLeft.load(std::memory_order_relaxed),
            searchStart.load(std::memory_order_relaxed),
            counters.movesSearched.load(std::memory_order_relaxed),
            counters.currentRootMove.load(std::memory_order_relaxed)};
}

void noteRootMoveDone() {
    const int left = rootMovesLeft.load(std::memory_order_relaxed);
    if (left > 0) rootMovesLeft.store(left - 1, std::memory_order_relaxed);
}

void announceRootMove(Move move, int number, int depth) {
    // Interfaces show the move being searched; in the first second it would only flicker.
    constexpr std::uint32_t QuietMillis = 1000;
    const std::uint32_t elapsed = elapsedSinceStart();
    if (elapsed < QuietMillis || !reporterInstalled()) return;
    IterationReport facts;
    facts.currentMove = true;
    facts.depth = depth;
    facts.elapsedMs = elapsed;
    facts.pv[0] = move;
    facts.multiPv = number;
    report(facts);
}

void setBookProbe(BookProbe probe) { bookProbe = probe; }

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
    std::lock_guard<std::mutex> lock(pvLock);
    saved = pv;
    displayed = saved;
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
    iterationDepth.store(0, std::memory_order_relaxed);
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

bool playedBookMove() { return bookMovePlayed; }

namespace {

// The book's move, when the book has one: shown as a depth-2 line, as if
// searched, and played without a search.
bool playBookMove(Worker& w, const SearchRequest& request, int count) {
    if (bookProbe == nullptr || count == 0 || !bookProbe(request.rootList)) return false;
    const Move move = request.rootList[0] & 0xFFFF;
    w.counters.currentRootMove.store(move, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> lock(pvLock);
        displayed.fill(0);
        displayed[0] = move;
    }
    w.counters.movesSearched.store(1, std::memory_order_relaxed);
    w.counters.nodes.store(1, std::memory_order_relaxed);
    reportIteration(w, 0, 1, 2, LineMark::FailHigh);
    iterationDepth.store(0, std::memory_order_relaxed);
    rootMoveCount.store(count, std::memory_order_relaxed);
    rootMovesLeft.store(count - 1, std::memory_order_relaxed);
    clearSearchHistory();
    bookMovePlayed = true;
    return true;
}

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
        if (primary) rootMovesLeft.store(count - 1, std::memory_order_relaxed);
        searchFromRoot(w, routine, 0, RootNode, depth, alpha, beta, position);
        s = pvWordScore(w.pvLists[0]->word);
        if (w.counters.aborted) break;
        if (s >= LowestRootScore) {
            setRootMoveScore(rootList, pvWordMove(w.pvLists[0]->word), s);
            if (primary) savePv(w, &position);
            if (primary && s >= beta)
                reportIteration(w, s, elapsedSinceStart(), depth, LineMark::FailHigh, nullptr, rank);
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

// What every worker needs from the root before its iterations.
void prepareWorker(Worker& w, int side, std::uint32_t rootKeyHigh) {
    takeSearchHistory(w, rootKeyHigh, side);
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

// What the helpers start from: the prepared root, its presorted moves.
struct HelperStart {
    board::Position position;
    board::MoveList rootList;
    int side;
    std::uint32_t rootKeyHigh;
    int previousScore;
    int depthLimit;
};

void helperSearch(Worker& w, const HelperStart& start) {
    board::Position position = start.position;
    board::MoveList list = start.rootList;
    prepareWorker(w, start.side, start.rootKeyHigh);
    refreshPrivateList(w, list.data());
    const SearchRoutine routine = start.side == board::White ? searchWhite : searchBlack;
    const int count = listLength(list.data());
    int prev = start.previousScore;
    for (int depth = 2; depth < MaxRootDepth && depth <= start.depthLimit; ++depth) {
        if (stopRequest.load(std::memory_order_relaxed) != 0 || w.counters.aborted) break;
        if (helperSkips(w.id, depth)) continue;
        beginIteration(w, list.data(), position, depth);
        const int s = searchIteration(w, routine, list.data(), position, depth, prev, count, false);
        if (w.counters.aborted || s < LowestRootScore) break;
        setRootMoveScore(list.data(), pvWordMove(w.pvLists[0]->word), s);
        sortRootMoves(list.data());
        refreshPrivateList(w, list.data());
        w.finished = {depth, s, rootVariation(w)};
        prev = s;
    }
}

// A helper that finished a deeper iteration with a better score than the
// main worker's last one, if any.
const Worker* deeperHelper(int depth, int score) {
    const Worker* best = nullptr;
    forEachHelper([&](Worker& h) {
        if (h.finished.depth > depth && h.finished.score > score && h.finished.pv[0] != 0) {
            best = &h;
            depth = h.finished.depth;
            score = h.finished.score;
        }
    });
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
        reportIteration(w, variations[static_cast<std::size_t>(k)].score, elapsedSinceStart(), depth, LineMark::None,
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

}  // namespace

SearchResult searchRoot(const SearchRequest& request) {
    Worker& w = mainWorker();
    Move* const rootList = request.rootList;
    board::Position& position = *request.position;
    const int side = request.side;
    SearchResult result;
    result.depth = request.depthLimit;
    bookMovePlayed = false;
    startCounters(w);
    forEachHelper([](Worker& h) {
        startCounters(h);
        h.finished = FinishedIteration{};
    });
    searchStart.store(nowMillis(), std::memory_order_relaxed);
    clearScoreDrop();
    w.rootMoves.fill(0);

    {
        std::lock_guard<std::mutex> lock(pvLock);
        if (request.clearPv) saved.fill(0);
        completed.fill(0);
    }

    board::computeKeys(position, side);
    const std::uint32_t rootKeyHigh = position.hashKeyHigh;
    prepareWorker(w, side, rootKeyHigh);
    // Without a legal move the list holds the pseudo-legal moves flagged illegal.
    const int count = (rootList[0] & board::IllegalFlag) != 0 ? 0 : listLength(rootList);

    if (playBookMove(w, request, count)) {
        result.move = rootList[0] & 0xFFFF;
        result.score = BookMoveScore;
        result.fromBook = true;
        result.nodes = 1;
        return result;
    }

    board::prepareRoot(position);
    // The book probe and the preparation are part of the time.
    const std::int64_t spent = nowMillis() - searchStart.load(std::memory_order_relaxed);
    startClock(request.softLimitMs - spent, request.hardLimitMs - spent);
    ttNewSearch();
    {
        std::lock_guard<std::mutex> lock(pvLock);
        previous = saved;
    }

    if (count == 0) {
        // Nothing to choose: the game is already over at the root.
        const Colour us = side == board::White ? board::White : board::Black;
        const int king = position.slotSquare[static_cast<std::size_t>(board::slotBase(us))];
        result.depth = 0;
        clearSearchHistory();
        result.score = board::squareAttacked(position, king, board::opponent(us)) ? -MateScore : 0;
        return result;
    }

    int depthCap = SingleMoveDepthCap;
    if (count > 1) {
        depthCap = MaxRootDepth;
        presortRootMoves(w, side, rootList, position);
    }
    refreshPrivateList(w, rootList);

    // A single legal move is played after the shortest search: no helper for it.
    const bool helpers = count > 1 && threadCount() > 1;
    HelperStart start{position, {}, side, rootKeyHigh, request.previousScore, request.depthLimit};
    std::copy(rootList, rootList + count + 1, start.rootList.begin());
    const std::function<void(Worker&)> helperRun = [&start](Worker& h) { helperSearch(h, start); };
    if (helpers) startHelpers(helperRun);

    const SearchRoutine routine = side == board::White ? searchWhite : searchBlack;
    int prev = request.previousScore;
    int depth = 2;
    int completedDepth = 0;
    const int lines = std::clamp(request.multiPv, 1, count);
    std::vector<Variation> variations(static_cast<std::size_t>(lines), Variation{request.previousScore, {}});
    while (stopRequest.load(std::memory_order_relaxed) == 0 && !w.counters.aborted && depth < depthCap) {
        beginIteration(w, rootList, position, depth);
        iterationDepth.store(depth, std::memory_order_relaxed);
        w.counters.currentRootMove.store(pvWordMove(w.pvLists[0]->word), std::memory_order_relaxed);
        rootMoveCount.store(count, std::memory_order_relaxed);
        rootMovesLeft.store(count - 1, std::memory_order_relaxed);

        const int s = searchIteration(w, routine, rootList, position, depth, prev, count, true, lines > 1 ? 1 : 0);
        if (s < LowestRootScore) break;
        result.score = s;
        if (!w.counters.aborted) updateScoreDrop(s - prev);
        setRootMoveScore(rootList, pvWordMove(w.pvLists[0]->word), s);
        // A finished pass saved its variation already; a stopped one saves what it has.
        if (w.counters.aborted) savePv(w, &position);
        // Further variations: each searches the moves the earlier ones left.
        if (lines > 1 && !w.counters.aborted) {
            variations[0] = {s, rootVariation(w)};
            for (int k = 1; k < lines && !w.counters.aborted; ++k) {
                const auto at = static_cast<std::size_t>(k);
                const int v =
                    searchIteration(w, routine, rootList + k, position, depth, variations[at].score, count - k, false);
                if (w.counters.aborted || v < LowestRootScore) break;
                variations[at] = {v, rootVariation(w)};
            }
        }
        if (!w.counters.aborted && lines > 1) {
            completedDepth = depth;
            reportVariations(w, variations, lines, depth);
            std::lock_guard<std::mutex> lock(pvLock);
            saved = variations[0].pv;
            displayed = saved;
            completed = saved;
        } else if (!w.counters.aborted) {
            completedDepth = depth;
            reportIteration(w, s, elapsedSinceStart(), depth, LineMark::None);
            std::lock_guard<std::mutex> lock(pvLock);
            completed = saved;
        }
        sortRootMoves(rootList);
        refreshPrivateList(w, rootList);
        if (iterationMayStop(s - prev, searchedNodes()) || request.depthLimit <= depth || mateProven(s, prev, depth))
            stopRequest.store(1, std::memory_order_relaxed);
        prev = s;
        ++depth;
    }
    result.depth = depth - 1;

    if (helpers) {
        // The helpers end at the stop request, which the main worker's end sets
        // if nothing else did.
        stopRequest.store(1, std::memory_order_relaxed);
        joinHelpers();
        // Only a single variation is taken from a helper: several come from the
        // main worker's own iterations. A main worker that finished no iteration
        // takes any helper's result.
        const int ownScore = completedDepth > 0 ? result.score : -InfiniteScore;
        const Worker* helper = lines == 1 ? deeperHelper(completedDepth, ownScore) : nullptr;
        if (helper != nullptr) {
            const FinishedIteration& found = helper->finished;
            moveToHead(rootList, found.pv[0], found.score);
            result.score = found.score;
            result.depth = found.depth;
            {
                std::lock_guard<std::mutex> lock(pvLock);
                saved = found.pv;
                displayed = found.pv;
                completed = found.pv;
            }
            reportIteration(w, found.score, elapsedSinceStart(), found.depth, LineMark::None);
        }
    }

    assert(boardRestored(w, position, side, rootKeyHigh));
    result.move = rootList[0] & 0xFFFF;
    result.nodes = searchedNodes();
    clearSearchHistory();
    return result;
}

}  // namespace halberd::search
