#include "search/ordering.h"

#include <gtest/gtest.h>

#include "board/board_helpers.h"
#include "board/gameboard.h"
#include "board/nodestate.h"
#include "board/search_walk.h"
#include "search/worker.h"

namespace halberd::search {
namespace {

// The worker whose tables and board the scorer reads.
Worker worker;

using namespace board;
using halberd::testing::coordinate;

int keyOf(Move m) { return static_cast<int>(m >> 16); }

// White: king e1, knight c3, pawn b7; Black: king e8, rook a8, queen d5.
void setUpBoard() {
    GameBoard game;
    halberd::testing::placeAll(game, {{0, "e1", King},
                                      {6, "c3", Knight},
                                      {9, "b7", WhitePawn},
                                      {16, "e8", King},
                                      {18, "a8", Rook},
                                      {17, "d5", Queen}});
    Position p{};
    loadScratch(game, p);
    prepareRoot(p);
    NodeState state;
    buildNodeState(p, state, worker.board);
}

TEST(ScoreMoves, CapturesPromotionsKillersAndHistory) {
    setUpBoard();
    clearHistory(worker.tables);
    clearKillers(worker.tables);
    const Move capture = coordinate("c3d5") | CaptureMark;
    const Move promotionCapture = coordinate("b7a8q") | CaptureMark;
    const Move underPromotion = coordinate("b7b8n");
    const Move quiet = coordinate("c3e4");
    const Move killer = coordinate("e1f2");
    worker.tables.history[White][Knight][moveFrom(capture)][moveTo(capture)] = 100;
    worker.tables.history[White][Knight + 7][moveFrom(quiet)][moveTo(quiet)] = -300;
    worker.tables.history[White][Knight][moveFrom(quiet)][moveTo(quiet)] = 400;     // the capture row: not read
    worker.tables.history[Black][King + 7][moveFrom(killer)][moveTo(killer)] = 50;  // the other side's table
    worker.tables.killers[3] = killer | (quiet << 16);

    std::array<Move, 6> list = {capture, promotionCapture, underPromotion, quiet, killer, NoMove};
    scoreMovesWhite(worker, list.data(), 1, 3);
    EXPECT_EQ(keyOf(list[0]), 100 + 2000 + 5616 / 4 + 512);
    EXPECT_EQ(keyOf(list[1]), 2000 + 2832 / 4 + 1404 + 512);
    EXPECT_EQ(keyOf(list[2]), 2000 + 468 + 512);
    EXPECT_EQ(keyOf(list[3]), -300 + 512);  // only the newest killer counts
    EXPECT_EQ(keyOf(list[4]), 2000 + 512);
    EXPECT_EQ(list[0] & 0xFFFF, capture);
    EXPECT_EQ(list[5], NoMove);

    // Without the killer flag (after a null move) the killer is an ordinary quiet move.
    scoreMovesWhite(worker, list.data(), 0, 3);
    EXPECT_EQ(keyOf(list[4]), 512);
    EXPECT_EQ(keyOf(list[0]), 100 + 2000 + 5616 / 4 + 512);  // old keys are replaced, not added to
}

TEST(ScoreMoves, RootPlyTakesTheRootMoveList) {
    setUpBoard();
    worker.rootMoves.fill(NoMove);
    worker.rootMoves[0] = coordinate("c3e4") | 0x7FFF0000u;
    worker.rootMoves[1] = coordinate("b7b8q");
    worker.rootMoves[2] = coordinate("e1d1");
    std::array<Move, 8> list = {coordinate("e1f1"), coordinate("e1f2"), coordinate("c3b5"),
                                coordinate("c3a4"), coordinate("c3b1"), NoMove};
    scoreMovesBlack(worker, list.data(), 1, 0);
    EXPECT_EQ(list[0], coordinate("c3e4") | 762u << 16);
    EXPECT_EQ(list[1], coordinate("b7b8q") | 761u << 16);
    EXPECT_EQ(list[2], coordinate("e1d1") | 760u << 16);
    EXPECT_EQ(list[3], NoMove);
}

TEST(ScoreMoves, ClearingTables) {
    worker.tables.history[Black][13][63][0] = 9;
    worker.tables.killers[63] = 5;
    clearHistory(worker.tables);
    clearKillers(worker.tables);
    EXPECT_EQ(worker.tables.history[Black][13][63][0], 0);
    EXPECT_EQ(worker.tables.killers[63], 0u);
}

}  // namespace
}  // namespace halberd::search
