#include "frontend/thinking.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "book/bookrandom.h"
#include "frontend/enginebook.h"
#include "frontend/gamelog.h"
#include "frontend/searchreport.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/uci.h"
#include "frontend/variant.h"
#include "search/root.h"
#include "search/search.h"

namespace halberd::frontend {

std::atomic<std::uint32_t> ponderGuess{0};

namespace {

// A forced loss within five moves.
constexpr int ResignBelow = -32689;
constexpr int ResignAfterMoves = 3;
constexpr auto HoldPoll = std::chrono::milliseconds(5);

// Set by the thread once its move is chosen and no stop is awaited any more.
std::atomic<int> answering{0};
// The stop count when the search was started: a later stop ends a held answer.
std::atomic<unsigned> stopsAtStart{0};
std::atomic<std::uint64_t> nodeCeiling{0};

// The running session: kept by the thread that searches and by this record,
// which holds the last two so that a stop from a signal handler, which only
// reads the pointer, never finds one freed under it.
struct PublishedSession {
    std::mutex lock;
    std::shared_ptr<search::Session> current;
    std::shared_ptr<search::Session> previous;
};
PublishedSession& published() {
    static PublishedSession record;
    return record;
}

void publishSession(std::shared_ptr<search::Session> session) {
    PublishedSession& record = published();
    const std::lock_guard<std::mutex> guard(record.lock);
    liveSession.store(session.get());
    record.previous = std::move(record.current);
    record.current = std::move(session);
}

bool hasLegalMove(const board::GameBoard& game) {
    return game.legalMoves[0] != 0 && (game.legalMoves[0] & board::IllegalFlag) == 0;
}

// The move after `move` in the displayed variation, or in that of the last
// finished iteration when a stop cut the displayed one short; 0 when none.
board::Move replyInVariation(const search::Session& session, board::Move move) {
    if (move == board::NoMove) return board::NoMove;
    const search::Variations v = session.variations();
    for (const search::PvArray& pv : {v.displayed, v.completed})
        if (board::sameSquares(pv[0], move) && pv[1] != board::NoMove) return pv[1];
    return board::NoMove;
}

bool stoppedSinceStart() { return stopCount.load() != stopsAtStart.load(); }

// An infinite or pondering UCI search holds its answer until a stop or ponderhit.
template <typename Waiting>
void holdWhile(Waiting waiting) {
    while (waiting() && !stoppedSinceStart()) std::this_thread::sleep_for(HoldPoll);
}

// Plays and sends the engine's move; the result code, ResultResign after a resignation.
int playEngineMove(board::GameBoard& game, board::Move move, int score, bool fromBook, std::int64_t pauseMs,
                   const search::Session& session) {
    int code = 0;
    {
        const std::lock_guard<std::mutex> guard(boardLock());
        code = board::playGameMove(game, move);
    }
    const std::string text = engineMoveText(move);
    if (code != board::ResultPlayed) {
        writeReply("move " + text + "\n");
        reportResult(code, text, game);
        return code;
    }
    const MoveReply reply = applyResignRule(score, fromBook, settings().optResign.load() != 0, resignWatch());
    // The pause before a book move ends early at a stop ("?", a new command), as a search would.
    if (reply.bookPause) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(pauseMs);
        while (!session.stopped() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    writeReply("move " + text + "\n");
    if (!reply.resign) return code;
    reportResult(board::ResultResign, text, game);
    return board::ResultResign;
}

// Tells the thinking output which move the engine ponders on: a comment line
// in xboard, an info string in UCI.
void announcePondering(board::Move guess) {
    if (postMode.load() == 0 || guess == board::NoMove) return;
    if (uciMode.load() != 0)
        uciInfoString("pondering on " + uciMoveText(guess));
    else
        writeReply("# pondering on " + engineMoveText(guess) + "\n");
}

void takeBack(board::GameBoard& game) {
    const std::lock_guard<std::mutex> guard(boardLock());
    board::gotoPly(game, board::GotoBack);
}

// xboard pondering: plays the expected reply, searches on it without a time
// limit, and either returns the search's result once the reply came (the
// command loop then gave the search its time) or takes the reply back when
// the search was stopped because another move or command came.
std::optional<search::SearchResult> ponderOnReply(board::GameBoard& game, const GoRequest& request,
                                                  std::shared_ptr<search::Session>& session) {
    const board::Move guess = expectedReply(game, *session);
    if (guess == board::NoMove) return std::nullopt;
    const std::string entry = logFile() != nullptr ? logEntry(game, guess, {}) : std::string();
    int code = 0;
    {
        const std::lock_guard<std::mutex> guard(boardLock());
        code = board::playGameMove(game, guess);
    }
    if (code != board::ResultPlayed) {
        // A guess that ends the game is not pondered on.
        if (code >= board::ResultMate) takeBack(game);
        return std::nullopt;
    }
    GoRequest ponder;
    ponder.budget = {search::UnlimitedMillis, search::UnlimitedMillis, request.budget.depth};
    ponder.ponder = true;
    ponder.book = false;
    session = makeSession(game, ponder);
    publishSession(session);
    ponderGuess.store(guess);
    announcePondering(guess);
    // From here a command is no longer lost: it finds the guess and stops the
    // pondering (in the session published before it looked), or it is the
    // guessed move.
    answering.store(0);
    std::optional<search::SearchResult> found;
    const search::Session& pondering = *session;
    if (!stoppedSinceStart()) {
        found = runRootSearch(game, ponder, *session);
        holdWhile([&pondering] { return pondering.pondering(); });
    }
    if (pondering.pondering()) {
        ponderGuess.store(0);
        takeBack(game);
        return std::nullopt;
    }
    if (!entry.empty()) writeLog(entry);
    return found;
}

}  // namespace

void setPonderSwitch(bool on) {
    settings().optPonder.store(on ? 1 : 0);
    if (!on && ponderGuess.load() != board::NoMove) stopThinking();
}

std::string rootWithoutMoveLine(const board::GameBoard& game) {
    if (hasLegalMove(game)) return {};
    // Set-ups that end the game and refused ones both leave no moves: the
    // position itself tells mate and stalemate from the rest.
    board::Position position = game.scratch;
    board::loadScratch(game, position);
    if (position.slotSquare[board::KingSlot] == board::OffBoard ||
        position.slotSquare[static_cast<std::size_t>(board::slotBase(board::Black))] == board::OffBoard)
        return {};
    board::MoveList replies;
    const board::Move verdict = game.sideToMove == board::White
                                    ? board::playBlackMove(replies.data(), board::NoMove, 0, position)
                                    : board::playWhiteMove(replies.data(), board::NoMove, 0, position);
    if (verdict & board::MateFlag) return "info depth 0 score mate 0\n";
    if (verdict & board::StalemateFlag) return "info depth 0 score cp 0\n";
    return {};
}

board::Move settledPonderGuess() {
    while (thinking.load() != 0 && answering.load() != 0 && ponderGuess.load() == board::NoMove)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return ponderGuess.load();
}

GoRequest& commandLineSearch() {
    static GoRequest request;
    return request;
}

void setSearchNodeCeiling(std::uint64_t nodes) { nodeCeiling.store(nodes); }

std::shared_ptr<search::Session> makeSession(const board::GameBoard& game, const GoRequest& request) {
    return makeSession(game, request, searchLinePrinter(uciMode.load()));
}

std::shared_ptr<search::Session> makeSession(const board::GameBoard& game, const GoRequest& request,
                                             search::Reporter reporter) {
    search::SearchLimits limits;
    // The time counts from the command: starting the thread is part of the move.
    const std::int64_t spent = request.issuedMillis != 0 ? search::nowMillis() - request.issuedMillis : 0;
    limits.softMs = request.budget.softMs - spent;
    limits.hardMs = request.budget.hardMs - spent;
    limits.depth = request.budget.depth;
    limits.nodes = request.nodes;
    const std::uint64_t ceiling = nodeCeiling.load();
    if (ceiling != 0) limits.nodes = limits.nodes == 0 ? ceiling : std::min(limits.nodes, ceiling);
    limits.mateMoves = request.mateMoves;
    limits.multiPv = settings().multiPv.load();
    limits.ponder = request.ponder;
    auto session = std::make_shared<search::Session>(limits, std::move(reporter));
    session->setGameHistory(game);
    return session;
}

std::shared_ptr<search::Session> runningSession() {
    PublishedSession& record = published();
    const std::lock_guard<std::mutex> guard(record.lock);
    return record.current;
}

std::optional<search::SearchResult> runRootSearch(board::GameBoard& game, const GoRequest& request,
                                                  search::Session& session) {
    if (game.gameResult != 0 || !hasLegalMove(game)) return std::nullopt;
    board::MoveList roots{};
    std::size_t count = 0;
    for (std::size_t i = 0; game.legalMoves[i] != board::NoMove; ++i) {
        const board::Move move = game.legalMoves[i] & 0xFFFF;
        const bool chosen = request.searchMoves.empty() ||
                            std::any_of(request.searchMoves.begin(), request.searchMoves.end(),
                                        [&](board::Move wanted) { return (wanted & 0x7FFF) == (move & 0x7FFF); });
        if (chosen) roots[count++] = move;
    }
    if (count == 0) return std::nullopt;
    // The book answers before any search, from the game's position.
    if (request.book && bookRootHook(roots.data(), game)) return search::playBookMove(session, roots.data());
    board::Position& position = game.scratch;
    board::loadScratch(game, position);
    search::SearchRequest root;
    root.side = game.sideToMove;
    root.rootList = roots.data();
    root.position = &position;
    return search::searchRoot(session, root);
}

board::Move expectedReply(const board::GameBoard& game, const search::Session& session) {
    if (game.plyCounter < 0 || game.gameResult != 0) return board::NoMove;
    const board::Move reply =
        replyInVariation(session, game.history[static_cast<std::size_t>(game.plyCounter)].move);
    if (reply == board::NoMove) return board::NoMove;
    for (std::size_t i = 0; game.legalMoves[i] != board::NoMove; ++i)
        if ((game.legalMoves[i] & 0x7FFF) == (reply & 0x7FFF)) return game.legalMoves[i] & 0xFFFF;
    return board::NoMove;
}

ResignWatch& resignWatch() {
    static ResignWatch watch;
    return watch;
}

MoveReply applyResignRule(int score, bool fromBook, bool resignOption, ResignWatch& watch) {
    MoveReply reply;
    if (fromBook) {
        reply.bookPause = true;
        return reply;
    }
    if (score == search::NoResultScore) return reply;
    if (resignOption && score < ResignBelow && watch.lastScore > score) {
        ++watch.count;
        watch.lastScore = score;
        reply.resign = watch.count == ResignAfterMoves;
        return reply;
    }
    watch.count = 0;
    watch.lastScore = score;
    return reply;
}

namespace {

// The thinking thread: the search of the session on the game, then the answer.
// Clears `thinking` as its very last action.
void thinkThread(board::GameBoard& game, GoRequest request, std::shared_ptr<search::Session> session) {
    book::seedRandomFromClock();
    // A UCI "go ponder" searches on the last move of its position line, the guess.
    if (request.ponder && game.plyCounter >= 0)
        announcePondering(game.history[static_cast<std::size_t>(game.plyCounter)].move);
    std::optional<search::SearchResult> found = runRootSearch(game, request, *session);
    const bool analyze = analyzeMode.load() != 0;
    if (uciMode.load() != 0 && !analyze) {
        // A UCI interface waits for a bestmove after every go, even without a move.
        const search::Session& held = *session;
        holdWhile([&] { return request.infinite || held.pondering(); });
        answering.store(1);
        const board::Move move = found ? found->move : board::NoMove;
        if (!found) writeReply(rootWithoutMoveLine(game));
        const bool fromBook = found && found->fromBook;
        if (move != board::NoMove)
            logEngineMove(game, move, fromBook ? NoScore : found->score, found->depth, session->variations().displayed);
        uciBestMove(move, fromBook ? board::NoMove : replyInVariation(*session, move));
    }
    while (uciMode.load() == 0 && !analyze && found) {
        answering.store(1);
        const board::Move move = found->move;
        const int score = found->score;
        const bool fromBook = found->fromBook;
        logEngineMove(game, move, fromBook ? NoScore : score, found->depth, session->variations().displayed);
        if (playEngineMove(game, move, score, fromBook, request.budget.bookPauseMs, *session) !=
            board::ResultPlayed)
            break;
        if (outputGone()) break;
        if (settings().optPonder.load() == 0) break;
        found = ponderOnReply(game, request, session);
    }
    std::fflush(stdout);
    if (outputGone()) {
        // The interface is gone and the command loop may be waiting for input
        // that never comes: the game log is closed whole and the program ends.
        closeLog();
        std::_Exit(0);
    }
    // The helpers stop on their own: they are collected once the answer is out.
    session.reset();
    answering.store(0);
    thinking.store(0);
}

}  // namespace

bool startThinking(board::GameBoard& game, const GoRequest& request) {
    if (thinking.load() != 0 || game.gameResult != 0) return false;
    GoRequest issued = request;
    issued.issuedMillis = search::nowMillis();
    stopsAtStart.store(stopCount.load());
    std::shared_ptr<search::Session> session = makeSession(game, issued);
    publishSession(session);
    answering.store(0);
    thinking.store(1);
    try {
        // Detached: the command loop only ever waits on `thinking`.
        std::thread(thinkThread, std::ref(game), std::move(issued), std::move(session)).detach();
    } catch (const std::system_error&) {
        thinking.store(0);
        return false;
    }
    return true;
}

void settleFinishedSearch() {
    if (thinking.load() != 0 && (answering.load() != 0 || ponderGuess.load() != 0)) stopThinking();
}

}  // namespace halberd::frontend
