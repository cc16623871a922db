#include "board/movegen.h"

#include <gtest/gtest.h>

#include "board/diagnostics.h"
#include "board_helpers.h"
#include "search_walk.h"

namespace halberd::board {
namespace {

// The working board the tested primitives change in place.
SearchBoard searchBoard{};

using testing::coordinate;
using testing::square;

// The node state and SearchBoard of a hand-built game position.
NodeState loadGame(GameBoard& game, int side) {
    Position p{};
    loadScratch(game, p);
    p.lastMove = game.lastMove;
    computeKeys(p, side);
    prepareRoot(p);
    NodeState state;
    buildNodeState(p, state, searchBoard);
    return state;
}

std::vector<Move> listOf(const Move* list) {
    std::vector<Move> moves;
    for (; *list != NoMove; ++list) moves.push_back(*list);
    return moves;
}

template <Colour C>
void checkPosition(const Position& position, const Move* legal, int legalCount) {
    const Position root = testing::prepared(position, C);
    NodeState state;
    buildNodeState(root, state, searchBoard);
    const int lastFrom = moveFrom(static_cast<Move>(position.lastMove));
    const int lastTo = moveTo(static_cast<Move>(position.lastMove));
    const bool checked = inCheck<C>(searchBoard);
    EXPECT_EQ(checked, squareAttacked(root, root.slotSquare[slotBase(C)], opponent(C)));

    // Pseudo-legal list filtered by the king test = copy-make's legal list, in order.
    MoveList all;
    const int n = generateAll<C>(searchBoard, all.data(), lastFrom, lastTo, checked, state.castling);
    ASSERT_EQ(all[n], NoMove);
    // Making and unmaking keep the occupied squares, all and by colour, in step with the slots.
    const auto inStep = [](const SearchBoard& sb) {
        return sb.occupied == occupiedSquares(sb.slotSquare) && sb.men[White] == sideSquares(sb.slotSquare, White) &&
               sb.men[Black] == sideSquares(sb.slotSquare, Black);
    };
    std::vector<Move> kept, keptWithHint;
    ASSERT_TRUE(inStep(searchBoard));
    for (int i = 0; i < n; ++i) {
        const Move m = all[i];
        const int captured = applySearchMove<C>(searchBoard, m);
        EXPECT_TRUE(inStep(searchBoard)) << "move 0x" << std::hex << m;
        if (!kingAttacked<C>(searchBoard, m)) kept.push_back(m);
        if (!kingAttacked<C>(searchBoard, m, checked)) keptWithHint.push_back(m);
        undoSearchMove<C>(searchBoard, m, captured);
        EXPECT_TRUE(inStep(searchBoard)) << "move 0x" << std::hex << m;
    }
    EXPECT_EQ(kept, std::vector<Move>(legal, legal + legalCount));
    EXPECT_EQ(keptWithHint, kept);
    EXPECT_EQ(countLegalMoves<C>(searchBoard, all.data(), n, checked), legalCount);

    // The capture list is the full list's captures, queen promotions and en passant,
    // in the same order, with the ordering keys of the quiescence search.
    MoveList captures;
    const int c = generateCaptures<C>(searchBoard, captures.data(), lastFrom, lastTo);
    std::vector<Move> expected;
    for (int i = 0; i < n; ++i) {
        const Move m = all[i];
        const int kind = moveKind(m);
        if (isPromotion(m) ? kind != PromoteQueen : !isCapture(m)) continue;
        const int victim = searchBoard.slotValue[searchBoard.board[moveTo(m)]];
        const int attacker = searchBoard.slotValue[searchBoard.board[moveFrom(m)]];
        int key = victim - attacker + 6000;
        if (kind == EnPassant) key = 6000;
        if (isPromotion(m)) key = victim + 10614;
        expected.push_back(m | static_cast<Move>(key) << 16);
    }
    EXPECT_EQ(std::vector<Move>(captures.begin(), captures.begin() + c), expected);

    // Gives-check before the move and checks-after once it is played agree with
    // the copy-make attack test after the move.
    const int enemyKing = searchBoard.slotSquare[slotBase(opponent(C))];
    for (int i = 0; i < legalCount; ++i) {
        const Position next = testing::copyMakeAfter(position, C, legal[i]);
        const bool checks = squareAttacked(next, next.slotSquare[slotBase(opponent(C))], C);
        EXPECT_EQ(givesCheck<C>(searchBoard, legal[i], enemyKing, state) != 0, checks)
            << "move 0x" << std::hex << legal[i];
        const int captured = applySearchMove<C>(searchBoard, legal[i]);
        EXPECT_EQ(checksAfter<C>(searchBoard, legal[i]), checks) << "move 0x" << std::hex << legal[i];
        undoSearchMove<C>(searchBoard, legal[i], captured);
    }
}

TEST(SearchGenerators, RandomGamesAgreeWithCopyMake) {
    int checks = 0;
    testing::randomWalk(testing::variedStarts(), 99u, 2500, 200,
                        [&](const Position& position, int side, const Move* legal, int count, Move, int) {
                            if (side == White)
                                checkPosition<White>(position, legal, count);
                            else
                                checkPosition<Black>(position, legal, count);
                            checks += inCheck<White>(searchBoard) || inCheck<Black>(searchBoard);
                        });
    EXPECT_GT(checks, 50);
}

TEST(SearchGenerators, NoCastlingWhenInCheck) {
    GameBoard game;
    testing::placeAll(game, {{0, "e1", King}, {2, "a1", Rook}, {3, "h1", Rook}, {16, "e8", King}, {17, "e5", Queen}},
                      {0, -1, 0, -1});
    const NodeState state = loadGame(game, White);
    MoveList list;
    generateAllWhite(searchBoard, list.data(), 0, 0, 1, state.castling);
    for (const Move m : listOf(list.data())) EXPECT_EQ(moveKind(m), Ordinary) << std::hex << m;
    generateAllWhite(searchBoard, list.data(), 0, 0, 0, state.castling);
    const auto moves = listOf(list.data());
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(moves[moves.size() - 2], WhiteCastleShort);
    EXPECT_EQ(moves.back(), WhiteCastleLong);
    // Castling out of check is refused by the king test on the king's origin.
    applySearchMoveWhite(searchBoard, WhiteCastleShort);
    EXPECT_NE(kingAttackedWhite(searchBoard, WhiteCastleShort), 0);
    undoSearchMoveWhite(searchBoard, WhiteCastleShort, EmptySlot);
}

TEST(SearchGenerators, CastlingThroughAnAttackedSquare) {
    GameBoard game;
    // The queen on d1 sees d8 but neither e8 nor the short side.
    testing::placeAll(game, {{16, "e8", King}, {18, "a8", Rook}, {19, "h8", Rook}, {0, "e1", King}, {1, "d1", Queen}},
                      {-1, 0, -1, 0});
    loadGame(game, Black);
    for (const Move m : {BlackCastleShort, BlackCastleLong}) {
        applySearchMoveBlack(searchBoard, m);
        EXPECT_EQ(kingAttackedBlack(searchBoard, m) != 0, m == BlackCastleLong);
        EXPECT_EQ(kingAttackedBlack(searchBoard, m, 0) != 0, m == BlackCastleLong);
        undoSearchMoveBlack(searchBoard, m, EmptySlot);
    }
    EXPECT_EQ(searchBoard.board[square("h8")], 19);
    EXPECT_EQ(searchBoard.board[square("a8")], 18);
}

TEST(SearchGenerators, SeventhRankPawnBetweenTwoEnemies) {
    GameBoard game;
    testing::placeAll(game,
                      {{0, "a1", King}, {16, "h1", King}, {12, "e7", WhitePawn}, {18, "d8", Rook}, {21, "f8", Bishop}});
    const NodeState state = loadGame(game, White);
    MoveList list;
    generateAllWhite(searchBoard, list.data(), 0, 0, 0, state.castling);
    int pawnMoves = 0;
    for (const Move m : listOf(list.data())) pawnMoves += moveFrom(m) == square("e7");
    EXPECT_EQ(pawnMoves, 12);
    const int n = generateCapturesWhite(searchBoard, list.data(), 0, 0);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(list[0], (makeMove(square("e7"), square("e8"), PromoteQueen) | 10614u << 16));
    EXPECT_EQ(list[1], (makeMove(square("e7"), square("d8"), PromoteQueen) | CaptureMark | (2832u + 10614) << 16));
    EXPECT_EQ(list[2], (makeMove(square("e7"), square("f8"), PromoteQueen) | CaptureMark | (1872u + 10614) << 16));
}

TEST(SearchGenerators, EnPassantOnlyRightAfterTheDoubleStep) {
    GameBoard game;
    testing::placeAll(
        game, {{0, "e1", King}, {16, "e8", King}, {11, "d5", WhitePawn}, {13, "f5", WhitePawn}, {28, "e5", BlackPawn}});
    const NodeState state = loadGame(game, White);
    MoveList list;
    const Move doubleStep = makeMove(square("e7"), square("e5"));
    generateAllWhite(searchBoard, list.data(), moveFrom(doubleStep), moveTo(doubleStep), 0, state.castling);
    auto moves = listOf(list.data());
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(moves[moves.size() - 2], makeMove(square("d5"), square("e6"), EnPassant) | CaptureMark);
    EXPECT_EQ(moves.back(), makeMove(square("f5"), square("e6"), EnPassant) | CaptureMark);
    const Move single = makeMove(square("e6"), square("e5"));
    generateAllWhite(searchBoard, list.data(), moveFrom(single), moveTo(single), 0, state.castling);
    for (const Move m : listOf(list.data())) EXPECT_NE(moveKind(m), EnPassant);
    EXPECT_EQ(generateCapturesWhite(searchBoard, list.data(), moveFrom(doubleStep), moveTo(doubleStep)), 2);
    EXPECT_EQ(list[0] >> 16, 6000u);

    // The capture removes the pawn behind the target square, and undo puts it back.
    const SearchBoard before = searchBoard;
    const Move ep = makeMove(square("d5"), square("e6"), EnPassant) | CaptureMark;
    EXPECT_EQ(applySearchMoveWhite(searchBoard, ep), 28);
    EXPECT_EQ(searchBoard.board[square("e5")], EmptySlot);
    EXPECT_EQ(searchBoard.slotSquare[28], OffBoard);
    undoSearchMoveWhite(searchBoard, ep, 28);
    EXPECT_EQ(searchBoard.board, before.board);
    EXPECT_EQ(searchBoard.slotSquare, before.slotSquare);
}

TEST(SearchGenerators, NullMoveNeverLeavesTheKingAttacked) {
    GameBoard game;
    // White is in check.
    testing::placeAll(game, {{0, "e1", King}, {16, "e8", King}, {18, "e4", Rook}});
    loadGame(game, White);
    EXPECT_TRUE(inCheckWhite(searchBoard));
    EXPECT_EQ(kingAttackedWhite(searchBoard, NoMove), 0);
}

TEST(GivesCheck, DirectAndDiscoveredChecks) {
    GameBoard game;
    // The rook on c3 stands between the bishop on b2 and a king on h8.
    testing::placeAll(game, {{0, "a1", King}, {7, "g1", Knight}, {5, "b2", Bishop}, {3, "c3", Rook}, {16, "h5", King}});
    NodeState state = loadGame(game, White);
    const int e5 = square("e5");
    EXPECT_NE(givesCheckWhite(searchBoard, coordinate("g1f3"), e5, state), 0);
    EXPECT_EQ(givesCheckWhite(searchBoard, coordinate("g1h3"), e5, state), 0);
    EXPECT_NE(givesCheckWhite(searchBoard, coordinate("g1f3"), square("g5"), state), 0);
    EXPECT_EQ(givesCheckWhite(searchBoard, coordinate("g1f3"), OffBoard, state), 0);
    // c3 leaves the long diagonal b2-h8 (the king on h8 is checked by the bishop)...
    EXPECT_NE(givesCheckWhite(searchBoard, coordinate("c3c1"), square("h8"), state), 0);
    // ...but a move along the line keeps it shut.
    EXPECT_EQ(givesCheckWhite(searchBoard, coordinate("c3d4"), square("h8"), state), 0);
    // A king behind no line: nothing discovered, the rook itself checks along the file.
    EXPECT_NE(givesCheckWhite(searchBoard, coordinate("c3c5"), square("c8"), state), 0);
    // Without pieces on the mover's side no discovered check is looked for.
    state.counts[CountWhitePieces] = 0;
    EXPECT_EQ(givesCheckWhite(searchBoard, coordinate("c3c1"), square("h8"), state), 0);
}

TEST(GivesCheck, PromotionCastlingAndEnPassantChecks) {
    GameBoard game;
    testing::placeAll(game,
                      {{0, "e1", King},
                       {3, "h1", Rook},
                       {12, "e7", WhitePawn},
                       {11, "d5", WhitePawn},
                       {1, "a5", Queen},
                       {16, "h5", King},
                       {28, "c5", BlackPawn},
                       {4, "a7", Bishop}},
                      {0, -1, -1, -1});
    const NodeState state = loadGame(game, White);
    // The promoted queen checks along the eighth rank; a knight would not.
    EXPECT_NE(givesCheckWhite(searchBoard, coordinate("e7e8q"), square("h8"), state), 0);
    EXPECT_EQ(givesCheckWhite(searchBoard, coordinate("e7e8n"), square("h8"), state), 0);
    EXPECT_NE(givesCheckWhite(searchBoard, coordinate("e7e8n"), square("f6"), state), 0);
    // The castled rook checks on the f-file.
    EXPECT_NE(givesCheckWhite(searchBoard, WhiteCastleShort, square("f2"), state), 0);
    // En passant empties both d5 and c5: the queen on a5 sees the king on h5.
    EXPECT_NE(givesCheckWhite(searchBoard, makeMove(square("d5"), square("c6"), EnPassant) | CaptureMark, square("h5"),
                              state),
              0);
    EXPECT_EQ(givesCheckWhite(searchBoard, coordinate("d5d6"), square("h5"), state), 0);
    // The captured pawn's square alone can open a line: bishop a7, c5 emptied, king on e3.
    EXPECT_NE(givesCheckWhite(searchBoard, makeMove(square("d5"), square("c6"), EnPassant) | CaptureMark, square("e3"),
                              state),
              0);
    EXPECT_EQ(givesCheckWhite(searchBoard, coordinate("d5d6"), square("e3"), state), 0);
}

TEST(HashMovePlausible, BoardFitAndErrorCode) {
    GameBoard game;
    resetGameToStart(game);
    loadGame(game, White);
    clearInternalErrors();
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("e2e4")), 1);
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("g1f3")), 1);
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("f1a6")), 1);  // blocking plays no part
    EXPECT_EQ(internalErrorCount(), 0u);
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("e4e5")), 0);  // empty from-square
    EXPECT_EQ(lastInternalErrorCode(), 3456);
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("e7e5")), 0);  // Black's pawn
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("d1d2")), 0);  // onto its own piece
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("c1c3")), 0);  // a bishop on a file
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("b1b3")), 0);  // a knight on a file
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("a1a5")), 1);
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("a1c5")), 0);  // a rook on no line at all
    EXPECT_EQ(hashMovePlausibleBlack(searchBoard, coordinate("g8f6")), 1);
    EXPECT_EQ(hashMovePlausibleBlack(searchBoard, coordinate("e2e4")), 0);
    EXPECT_EQ(internalErrorCount(), 7u);
}

TEST(HashMovePlausible, SpecialKindsNeedTheirPieces) {
    // Kinds that move or retype a second piece are refused unless it is in place,
    // so that a stray table move cannot corrupt the board.
    GameBoard game;
    testing::placeAll(game, {{0, "e1", King},
                             {2, "a1", Rook},
                             {16, "e8", King},
                             {8, "a7", WhitePawn},
                             {9, "b5", WhitePawn},
                             {26, "c5", BlackPawn},
                             {3, "d4", Rook}},
                            {-1, -1, 0, -1});
    loadGame(game, White);
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, WhiteCastleLong), 1);
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, WhiteCastleShort), 0);  // no rook on h1
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("a7a8q")), 1);
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("a7a8")), 0);   // a pawn on the last rank
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("d4d8q")), 0);  // a rook cannot promote
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, makeMove(square("b5"), square("c6"), EnPassant)), 1);
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, makeMove(square("b5"), square("a6"), EnPassant)),
              0);  // no pawn on a5
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, makeMove(square("d4"), square("e5"), EnPassant)), 0);  // not a pawn
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, makeMove(square("d4"), square("d6"), CastleShort)), 0);
    EXPECT_EQ(hashMovePlausibleWhite(searchBoard, coordinate("d4e5")), 0);  // a rook on a diagonal
}

}  // namespace
}  // namespace halberd::board
