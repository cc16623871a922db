#include "board/nodestate.h"

#include <gtest/gtest.h>

#include "board/keys.h"
#include "board/movegen.h"
#include "board_helpers.h"
#include "search_walk.h"

namespace halberd::board {
namespace {

// The working board the tested primitives change in place.
SearchBoard searchBoard{};

using testing::square;

// The fields the search keeps current move by move (the stage follows its own
// rule inside the tree and is checked separately).
void expectSameMaintainedFields(const NodeState& got, const NodeState& want, Move move) {
    SCOPED_TRACE(::testing::Message() << "move 0x" << std::hex << move);
    EXPECT_EQ(got.castling, want.castling);
    EXPECT_EQ(got.counts, want.counts);
    EXPECT_EQ(got.hashKeyLow, want.hashKeyLow);
    EXPECT_EQ(got.hashKeyHigh, want.hashKeyHigh);
    EXPECT_EQ(got.pawnKeyLow, want.pawnKeyLow);
    EXPECT_EQ(got.pawnKeyHigh, want.pawnKeyHigh);
    EXPECT_EQ(got.materialMg, want.materialMg);
    EXPECT_EQ(got.materialEg, want.materialEg);
    EXPECT_EQ(got.pstMg, want.pstMg);
    EXPECT_EQ(got.pstEg, want.pstEg);
    EXPECT_EQ(got.nonPawnMaterial, want.nonPawnMaterial);
    EXPECT_EQ(got.pawnFiles, want.pawnFiles);
    EXPECT_EQ(got.promotedQueenMask, want.promotedQueenMask);
    EXPECT_EQ(got.halfmoveClock, want.halfmoveClock);
}

bool sameBoard(const SearchBoard& board, const Position& position) {
    return board.slotSquare == position.slotSquare && board.board == position.board &&
           board.slotType == position.slotType && board.slotValue == position.slotValue;
}

bool sameBoard(const SearchBoard& a, const SearchBoard& b) {
    return a.slotSquare == b.slotSquare && a.board == b.board && a.slotType == b.slotType && a.slotValue == b.slotValue;
}

template <Colour C>
void checkEveryMove(const Position& position, const Move* legal, int count) {
    const Position root = testing::prepared(position, C);
    NodeState parent;
    buildNodeState(root, parent, searchBoard);
    const SearchBoard before = searchBoard;
    for (int i = 0; i < count; ++i) {
        const Move move = legal[i];
        const int captured = applySearchMove<C>(searchBoard, move);
        NodeState child = parent;
        updateNodeState<C>(searchBoard, child, move, captured);

        Position next = testing::prepared(testing::copyMakeAfter(position, C, move), opponent(C));
        ASSERT_TRUE(sameBoard(searchBoard, next)) << "apply differs from copy-make for move 0x" << std::hex << move;
        const SearchBoard applied = searchBoard;
        NodeState fresh;
        buildNodeState(next, fresh, searchBoard);
        searchBoard = applied;
        expectSameMaintainedFields(child, fresh, move);
        EXPECT_EQ(child.lastMove, move & 0xFFFF);
        EXPECT_EQ(child.ply, parent.ply);
        if (captured != EmptySlot || isPromotion(move))
            EXPECT_EQ(child.stageCode, searchStage(fresh));
        else
            EXPECT_EQ(child.stageCode, parent.stageCode);

        undoSearchMove<C>(searchBoard, move, captured);
        ASSERT_TRUE(sameBoard(searchBoard, before)) << "undo left the board changed after 0x" << std::hex << move;
    }
}

TEST(NodeStateUpdate, EveryMoveOfRandomGamesMatchesTheStateBuiltFromScratch) {
    int captures = 0, promotions = 0, castles = 0, enPassant = 0;
    testing::randomWalk(testing::variedStarts(), 20240611u, 3000, 160,
                        [&](const Position& position, int side, const Move* legal, int count, Move, int) {
                            for (int i = 0; i < count; ++i) {
                                captures += isCapture(legal[i]);
                                promotions += isPromotion(legal[i]);
                                castles += moveKind(legal[i]) == CastleShort || moveKind(legal[i]) == CastleLong;
                                enPassant += moveKind(legal[i]) == EnPassant;
                            }
                            if (side == White)
                                checkEveryMove<White>(position, legal, count);
                            else
                                checkEveryMove<Black>(position, legal, count);
                        });
    // The walk must reach the special moves to mean anything.
    EXPECT_GT(captures, 1000);
    EXPECT_GT(promotions, 20);
    EXPECT_GT(castles, 50);
    EXPECT_GT(enPassant, 5);
}

TEST(NodeStateUpdate, StateCarriedAlongAGameStaysEqualToTheRebuiltOne) {
    // Incremental updates chained over whole games, as in the search's tree.
    NodeState chained{};
    int compared = 0;
    testing::randomWalk(testing::variedStarts(), 7u, 2000, 120,
                        [&](const Position& position, int side, const Move*, int, Move chosen, int ply) {
                            const Position root = testing::prepared(position, side);
                            NodeState rebuilt;
                            buildNodeState(root, rebuilt, searchBoard);
                            // Later positions of a game come from the chain.
                            if (ply == 0) {
                                chained = rebuilt;
                            } else {
                                expectSameMaintainedFields(chained, rebuilt, static_cast<Move>(position.lastMove));
                                ++compared;
                            }
                            const int captured = side == White ? applySearchMoveWhite(searchBoard, chosen)
                                                               : applySearchMoveBlack(searchBoard, chosen);
                            if (side == White)
                                updateNodeStateWhite(searchBoard, chained, chosen, captured);
                            else
                                updateNodeStateBlack(searchBoard, chained, chosen, captured);
                        });
    EXPECT_GT(compared, 1900);
}

TEST(NodeStateUpdate, NullMoveFlipsOnlyTheSideToMove) {
    const testing::WalkStart start = testing::startPosition();
    Position root = testing::prepared(start.position, White);
    NodeState state;
    buildNodeState(root, state, searchBoard);
    state.halfmoveClock = 7;
    state.lastMove = 0x1234;
    NodeState after = state;
    updateNodeStateNull(after);
    Position blackToMove = root;
    computeKeys(blackToMove, Black);
    EXPECT_EQ(after.hashKeyLow, blackToMove.hashKeyLow);
    EXPECT_EQ(after.hashKeyHigh, blackToMove.hashKeyHigh);
    EXPECT_EQ(after.pawnKeyLow, state.pawnKeyLow);
    EXPECT_EQ(after.halfmoveClock, 0);
    EXPECT_EQ(after.lastMove, 0);
}

// A hand-built game position prepared as a search root.
Position preparedGame(const GameBoard& game) {
    Position p{};
    loadScratch(game, p);
    prepareRoot(p);
    return p;
}

TEST(PrepareRoot, PromotedQueenMaskAndCanonicalSlots) {
    // A promoted queen and a promoted rook in White's pawn slots, a third black
    // knight in a pawn slot, and an off-board canonical slot with a stray type.
    GameBoard game;
    testing::placeAll(game, {{0, "e1", King},
                             {16, "e8", King},
                             {9, "b8", Queen},
                             {12, "c6", Rook},
                             {27, "h5", Knight},
                             {22, "g8", Knight}});
    game.slotType[17] = King;
    Position p = preparedGame(game);
    EXPECT_EQ(p.slotType[17], Queen);
    EXPECT_EQ(p.slotType[27], Knight);
    EXPECT_EQ(p.slotSquare[23], OffBoard);
    EXPECT_EQ(p.pieceCount[White], 2);
    EXPECT_EQ(p.pieceCount[Black], 2);
    EXPECT_EQ(p.pawnCount[White] + p.pawnCount[Black], 0);
    EXPECT_EQ(p.nonPawnMaterial[White], 5616 + 2832);
    EXPECT_EQ(p.nonPawnMaterial[Black], 2 * 1872);
    EXPECT_EQ(p.materialMg, 5616 + 2832 - 2 * 1872);
    EXPECT_EQ(p.slotValue[EmptySlot], 0);
    EXPECT_EQ(p.slotType[EmptySlot], NoPiece);

    NodeState state;
    buildNodeState(p, state, searchBoard);
    EXPECT_EQ(state.promotedQueenMask, 1u << 9);
    EXPECT_EQ(searchBoard.board, p.board);
    EXPECT_EQ(state.excludedMove, 0);
}

TEST(PrepareRoot, StageRules) {
    GameBoard game;
    resetGameToStart(game);
    Position p{};
    loadScratch(game, p);
    EXPECT_EQ(prepareRoot(p), StageOpening);
    EXPECT_EQ(p.stageCode, StageOpening);
    p.castling = {-1, 1, -1, -1};  // every right gone: the middlegame
    EXPECT_EQ(prepareRoot(p), StageMiddlegame);
    EXPECT_EQ(p.pawnFiles[White], 0xFF);
    EXPECT_EQ(p.pawnFiles[Black], 0xFF);
    EXPECT_EQ(p.pstMg, 0);  // a symmetric position sums to zero
    EXPECT_EQ(p.pieceCount[White], 7);
    EXPECT_EQ(p.pawnCount[Black], 8);

    const auto removeSlot = [&p](int slot) {
        p.board[p.slotSquare[slot]] = EmptySlot;
        p.slotSquare[slot] = OffBoard;
    };
    for (int slot : {1, 17, 2, 18}) removeSlot(slot);
    EXPECT_EQ(prepareRoot(p), StageMiddlegame);  // ten pieces, 10320 each
    removeSlot(4);
    EXPECT_EQ(prepareRoot(p), StageLateMiddlegame);  // nine pieces; White still has 8448
    removeSlot(3);
    removeSlot(19);
    EXPECT_EQ(prepareRoot(p), StageEndgame);  // both below a queen and a rook
    for (int slot = 8; slot < 16; ++slot) removeSlot(slot);
    for (int slot = 24; slot < 32; ++slot) removeSlot(slot);
    EXPECT_EQ(prepareRoot(p), StageEndgame);  // seven pieces and no pawns
    EXPECT_EQ(p.pawnFiles[White], 0);
    for (int slot : {5, 6, 20, 21}) removeSlot(slot);
    EXPECT_EQ(prepareRoot(p), StagePawnless);  // three pieces, no pawns
    for (int slot : {7, 22, 23}) removeSlot(slot);
    EXPECT_EQ(prepareRoot(p), StagePawnless);  // bare kings
    p.board[square("e4")] = 8;
    p.slotSquare[8] = square("e4");
    EXPECT_EQ(prepareRoot(p), StagePawnEnding);
    EXPECT_EQ(p.pawnFiles[White], 1 << 4);
}

TEST(SearchStage, RuleInsideTheTree) {
    NodeState s{};
    s.counts = {7, 7, 8, 8};
    s.nonPawnMaterial = {15024, 15024};
    EXPECT_EQ(searchStage(s), StageOpening);  // stage 1 never arises in the tree
    s.nonPawnMaterial = {8447, 8447};
    EXPECT_EQ(searchStage(s), StageEndgame);
    s.counts = {4, 5, 8, 8};
    s.nonPawnMaterial = {8448, 0};
    EXPECT_EQ(searchStage(s), StageLateMiddlegame);
    s.counts = {0, 0, 3, 1};
    EXPECT_EQ(searchStage(s), StagePawnEnding);
    s.counts = {3, 2, 0, 0};
    EXPECT_EQ(searchStage(s), StagePawnless);  // pawnless in the tree whatever the pieces
    s.counts = {0, 0, 0, 0};
    EXPECT_EQ(searchStage(s), StagePawnless);
}

TEST(CastlingStates, MovesAndCapturesGiveUpRights) {
    std::array<std::int16_t, 4> c = {0, 0, 0, 0};
    updateCastlingStates<White>(c, WhiteCastleShort, KingSlot, EmptySlot);
    EXPECT_EQ(c, (std::array<std::int16_t, 4>{1, 0, -1, 0}));
    updateCastlingStates<Black>(c, makeMove(square("h8"), square("h5")), 19, EmptySlot);
    EXPECT_EQ(c, (std::array<std::int16_t, 4>{1, -1, -1, 0}));
    // Taking the rook on a8 loses Black's long right; a castled state never returns to 0.
    updateCastlingStates<White>(c, makeMove(square("a6"), square("a8")) | CaptureMark, 4, 18);
    EXPECT_EQ(c, (std::array<std::int16_t, 4>{1, -1, -1, -1}));
    std::array<std::int16_t, 4> d = {0, 0, 0, 0};
    updateCastlingStates<Black>(d, BlackCastleLong, 16, EmptySlot);
    EXPECT_EQ(d, (std::array<std::int16_t, 4>{0, -1, 0, 1}));
    updateCastlingStates<White>(d, makeMove(square("e1"), square("e2")), KingSlot, EmptySlot);
    EXPECT_EQ(d, (std::array<std::int16_t, 4>{-1, -1, -1, 1}));
}

TEST(NodeStateUpdate, PromotionCaptureAndCapturedPromotedQueen) {
    // White pawn b7 takes the rook on a8 and promotes to a queen; Black then takes it.
    GameBoard game;
    testing::placeAll(game,
                      {{0, "e1", King},
                       {16, "e8", King},
                       {9, "b7", WhitePawn},
                       {18, "a8", Rook},
                       {17, "d5", Queen},
                       {24, "h7", BlackPawn}},
                      {-1, -1, -1, 0});
    Position root = preparedGame(game);
    computeKeys(root, White);
    NodeState state;
    buildNodeState(root, state, searchBoard);
    const int stageBefore = state.stageCode;

    const Move promote = makeMove(square("b7"), square("a8"), PromoteQueen) | CaptureMark;
    const int captured = applySearchMoveWhite(searchBoard, promote);
    EXPECT_EQ(captured, 18);
    NodeState child = state;
    updateNodeStateWhite(searchBoard, child, promote, captured);
    EXPECT_EQ(child.promotedQueenMask, 1u << 9);
    EXPECT_EQ(child.castling[CastleBlackLong], -1);
    EXPECT_EQ(child.counts, (std::array<std::int16_t, 4>{1, 1, 0, 1}));
    EXPECT_EQ(child.materialMg, state.materialMg + 2832 + 5616 - 480);
    EXPECT_EQ(child.pawnFiles[White], 0);
    EXPECT_EQ(child.halfmoveClock, 0);
    EXPECT_EQ(child.stageCode, StageEndgame);
    EXPECT_NE(child.stageCode, stageBefore);

    const Move recapture = makeMove(square("d5"), square("a8")) | CaptureMark;
    const int queen = applySearchMoveBlack(searchBoard, recapture);
    EXPECT_EQ(queen, 9);
    NodeState grandchild = child;
    updateNodeStateBlack(searchBoard, grandchild, recapture, queen);
    EXPECT_EQ(grandchild.promotedQueenMask, 0u);
    EXPECT_EQ(grandchild.nonPawnMaterial[White], 0);
    EXPECT_EQ(grandchild.stageCode, StageEndgame);
    undoSearchMoveBlack(searchBoard, recapture, queen);
    undoSearchMoveWhite(searchBoard, promote, captured);
    EXPECT_EQ(searchBoard.slotType[9], WhitePawn);
    EXPECT_EQ(searchBoard.slotValue[9], 480);
    EXPECT_EQ(searchBoard.board[square("a8")], 18);
}

}  // namespace
}  // namespace halberd::board
