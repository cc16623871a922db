#include "search/root.h"

#include <algorithm>
#include <atomic>
#include <cassert>

#include "board/diagnostics.h"
#include "board/keys.h"
#include "board/makemove.h"
#include "board/nodestate.h"
#include "eval/evaluate.h"
#include "search/margins.h"
#include "search/ordering.h"
#include "search/report.h"
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

void refreshPrivateList(const Move* list) {
    const int n = listLength(list);
    std::copy(list, list + n + 1, rootMoveList.begin());
}

void resetRootScores(Move* list) {
    for (int i = 0; list[i] != 0; ++i) list[i] = packPvWord(list[i], UnknownEval);
}

bool sameBoard(const board::SearchBoard& a, const board::SearchBoard& b) {
    return a.slotSquare == b.slotSquare && a.board == b.board && a.slotType == b.slotType &&
           a.slotValue == b.slotValue && a.occupied == b.occupied;
}

// Whether the SearchBoard holds the root position again, its hash key the
// root's: the node routines restore it on their way out.
[[maybe_unused]] bool boardRestored(const board::Position& position, int side, std::uint32_t rootKeyHigh) {
    const board::SearchBoard root = board::searchBoardOf(position);
    board::Position now = position;
    now.slotSquare = board::searchBoard.slotSquare;
    now.board = board::searchBoard.board;
    now.slotType = board::searchBoard.slotType;
    now.slotValue = board::searchBoard.slotValue;
    board::computeKeys(now, side);
    return sameBoard(board::searchBoard, root) && now.hashKeyHigh == rootKeyHigh;
}

// Deeper iterations only repeat a mate that two iterations agree on and that
// lies within the depth searched: a mate score reaches the root only when every
// move of the losing side was searched, so the mate is forced. A "go mate"
// goal is met by any mate that short.
bool mateProven(int score, int lastScore, int depth) {
    if (score > MateBound && mateLimit() > 0 && movesToMate(score) <= mateLimit()) return true;
    return isMateValue(score) && score == lastScore && matePlies(score) <= depth;
}

std::uint32_t elapsedSinceStart() { return nowMillis() - searchStart.load(std::memory_order_relaxed); }

// Hands the facts of an iteration, with the displayed variation, to the reporter.
void reportIteration(int score, std::uint32_t elapsedMs, int depth, LineMark mark) {
    if (!reporterInstalled()) return;
    IterationReport facts;
    facts.depth = depth;
    facts.score = score;
    facts.mark = mark;
    facts.elapsedMs = elapsedMs;
    facts.pv = displayedPv();
    facts.hashfull = ttHashfull();
    facts.nodes = counters.nodes.load(std::memory_order_relaxed);
    facts.selectiveDepth = counters.selectiveDepth;
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
    return {iterationDepth.load(std::memory_order_relaxed), rootMoveCount.load(std::memory_order_relaxed),
            rootMovesLeft.load(std::memory_order_relaxed), searchStart.load(std::memory_order_relaxed)};
}

void noteRootMoveDone() {
    const int left = rootMovesLeft.load(std::memory_order_relaxed);
    if (left > 0) rootMovesLeft.store(left - 1, std::memory_order_relaxed);
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

void savePv() {
    std::lock_guard<std::mutex> lock(pvLock);
    int n = 0;
    for (const PvNode* node = pvLists[0]; node != nullptr && n < 63; node = node->next) {
        const Move move = pvWordMove(node->word);
        if (move == 0) break;
        saved[static_cast<std::size_t>(n++)] = move;
    }
    saved[static_cast<std::size_t>(n)] = 0;
    displayed = saved;
}

int searchFromRoot(SearchRoutine routine, Move move, std::uint32_t flags, int depthPlies, int alpha, int beta,
                   const board::Position& position) {
    NodeState state{};
    board::buildNodeState(position, state);
    board::setPromotedQueenMask(state);
    const board::SearchBoard before = board::searchBoard;
    const int result = routine(move, flags, depthPlies * OnePly, alpha, beta, state);
    if (!sameBoard(before, board::searchBoard)) board::internalErrorCode(board::ErrorSearchBoardChanged);
    return result;
}

void presortRootMoves(int side, Move* list, board::Position& position) {
    resetRootScores(list);
    iterationDepth.store(0, std::memory_order_relaxed);
    extensionPlyLimit = 0;
    position.ply = 0;
    // The opponent's routine applies each root move: the score is the capture
    // search's value of the position after it.
    const SearchRoutine reply = side == board::White ? searchBlack : searchWhite;
    for (int i = 0; list[i] != 0; ++i) {
        const int result =
            searchFromRoot(reply, list[i] & 0xFFFF, VerifyLegality, 0, -InfiniteScore, InfiniteScore, position);
        if (counters.aborted) break;
        if (result != IllegalScore) list[i] = packPvWord(list[i], -result);
    }
    sortRootMoves(list);
}

bool playedBookMove() { return bookMovePlayed; }

namespace {

// The book's move, when the book has one: shown as a depth-2 line, as if
// searched, and played without a search.
bool playBookMove(const SearchRequest& request, int count) {
    if (bookProbe == nullptr || count == 0 || !bookProbe(request.rootList)) return false;
    const Move move = request.rootList[0] & 0xFFFF;
    counters.currentRootMove.store(move, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> lock(pvLock);
        displayed.fill(0);
        displayed[0] = move;
    }
    counters.movesSearched.store(1, std::memory_order_relaxed);
    counters.nodes.store(1, std::memory_order_relaxed);
    reportIteration(0, 1, 2, LineMark::FailHigh);
    iterationDepth.store(0, std::memory_order_relaxed);
    rootMoveCount.store(count, std::memory_order_relaxed);
    rootMovesLeft.store(count - 1, std::memory_order_relaxed);
    clearSearchHistory();
    bookMovePlayed = true;
    return true;
}

// One iteration: the root searched in a window around the previous score
// (from AspirationMinDepth on), widened after each failure. Returns the last
// score, below LowestRootScore when none came.
int searchIteration(SearchRoutine routine, const SearchRequest& request, int depth, int prev, int count) {
    Move* const rootList = request.rootList;
    int alpha = -InfiniteScore;
    int beta = InfiniteScore;
    if (depth >= AspirationMinDepth) {
        alpha = std::max(prev - AspirationHalfWidth, -InfiniteScore);
        beta = std::min(prev + AspirationHalfWidth, InfiniteScore);
    }
    int delta = AspirationHalfWidth;
    int s = UnknownEval;
    for (;;) {
        pvLists[0]->word = (pvLists[0]->word & 0xFFFF) | UnknownScoreHalf;
        rootMovesLeft.store(count - 1, std::memory_order_relaxed);
        searchFromRoot(routine, 0, RootNode, depth, alpha, beta, *request.position);
        s = pvWordScore(pvLists[0]->word);
        if (counters.aborted) break;
        if (s >= LowestRootScore) {
            setRootMoveScore(rootList, pvWordMove(pvLists[0]->word), s);
            savePv();
            if (s >= beta) reportIteration(s, elapsedSinceStart(), depth, LineMark::FailHigh);
        }
        delta = delta + delta / 2 + AspirationHalfWidth;
        sortRootMoves(rootList);
        refreshPrivateList(rootList);
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

}  // namespace

SearchResult searchRoot(const SearchRequest& request) {
    Move* const rootList = request.rootList;
    board::Position& position = *request.position;
    const int side = request.side;
    SearchResult result;
    result.depth = request.depthLimit;
    bookMovePlayed = false;
    startCounters();
    eval::evalCount = 0;
    searchStart.store(nowMillis(), std::memory_order_relaxed);
    clearScoreDrop();
    rootMoveList.fill(0);

    {
        std::lock_guard<std::mutex> lock(pvLock);
        if (request.clearPv) saved.fill(0);
        completed.fill(0);
    }
    pvLists[0]->word = 0;

    board::computeKeys(position, side);
    [[maybe_unused]] const std::uint32_t rootKeyHigh = position.hashKeyHigh;
    anchorSearchHistory(position.hashKeyHigh, side);
    // Without a legal move the list holds the pseudo-legal moves flagged illegal.
    const int count = (rootList[0] & board::IllegalFlag) != 0 ? 0 : listLength(rootList);

    if (playBookMove(request, count)) {
        result.move = rootList[0] & 0xFFFF;
        result.score = BookMoveScore;
        result.fromBook = true;
        return result;
    }

    board::prepareRoot(position);
    // The book probe and the preparation are part of the time.
    const std::int64_t spent = nowMillis() - searchStart.load(std::memory_order_relaxed);
    startClock(request.softLimitMs - spent, request.hardLimitMs - spent);
    ttNewSearch();
    clearKillers();
    rootSide = side;
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
        presortRootMoves(side, rootList, position);
    }
    refreshPrivateList(rootList);

    const SearchRoutine routine = side == board::White ? searchWhite : searchBlack;
    int prev = request.previousScore;
    int depth = 2;
    while (stopRequest.load(std::memory_order_relaxed) == 0 && !counters.aborted && depth < depthCap) {
        resetRootScores(rootList);
        position.ply = 0;
        iterationDepth.store(depth, std::memory_order_relaxed);
        extensionPlyLimit = std::min(ExtensionPliesPerIteration * depth, MaxExtensionPly);
        counters.currentRootMove.store(pvWordMove(pvLists[0]->word), std::memory_order_relaxed);
        rootMoveCount.store(count, std::memory_order_relaxed);
        rootMovesLeft.store(count - 1, std::memory_order_relaxed);

        const int s = searchIteration(routine, request, depth, prev, count);
        if (s < LowestRootScore) break;
        result.score = s;
        if (!counters.aborted) updateScoreDrop(s - prev);
        setRootMoveScore(rootList, pvWordMove(pvLists[0]->word), s);
        savePv();
        if (!counters.aborted) {
            reportIteration(s, elapsedSinceStart(), depth, LineMark::None);
            std::lock_guard<std::mutex> lock(pvLock);
            completed = saved;
        }
        sortRootMoves(rootList);
        refreshPrivateList(rootList);
        if (iterationMayStop(s - prev) || request.depthLimit <= depth || mateProven(s, prev, depth))
            stopRequest.store(1, std::memory_order_relaxed);
        prev = s;
        ++depth;
    }

    assert(boardRestored(position, side, rootKeyHigh));
    result.depth = depth - 1;
    result.move = rootList[0] & 0xFFFF;
    clearSearchHistory();
    return result;
}

}  // namespace halberd::search
