#include "board/makemove.h"

#include <gtest/gtest.h>

#include <array>

#include "board/castling.h"
#include "board/fen.h"
#include "board/gameboard.h"
#include "board/keys.h"
#include "board_helpers.h"

namespace hb = halberd::board;
using halberd::testing::clearBoard;
using halberd::testing::coordinate;
using halberd::testing::findListed;
using halberd::testing::finish;
using halberd::testing::listLength;
using halberd::testing::playAll;
using halberd::testing::put;
using halberd::testing::square;
using halberd::testing::startGame;

namespace {

// Every move of the list carries IllegalFlag.
bool allFlaggedIllegal(const hb::Move* list) {
    for (; *list != 0; ++list)
        if ((*list & hb::IllegalFlag) == 0) return false;
    return true;
}

}  // namespace

TEST(CopyMake, StartPositionListsTwentyMovesInGeneratorOrder) {
    const hb::GameBoard game = startGame();
    ASSERT_EQ(listLength(game.legalMoves.data()), 20);
    // Knights come first (slots 6 and 7, +17 before +15), then the pawns a..h, single push before double.
    EXPECT_EQ(game.legalMoves[0], coordinate("b1c3"));
    EXPECT_EQ(game.legalMoves[1], coordinate("b1a3"));
    EXPECT_EQ(game.legalMoves[2], coordinate("g1h3"));
    EXPECT_EQ(game.legalMoves[3], coordinate("g1f3"));
    EXPECT_EQ(game.legalMoves[4], coordinate("a2a3"));
    EXPECT_EQ(game.legalMoves[5], coordinate("a2a4"));
    EXPECT_EQ(game.legalMoves[19], coordinate("h2h4"));
}

TEST(CopyMake, CaptureCountsMaterialAndKeepsTypeAndValueOfTheVictim) {
    hb::GameBoard game = startGame();
    ASSERT_EQ(playAll(game, {"e2e4", "d7d5"}), hb::ResultPlayed);
    const hb::Move capture = findListed(game.legalMoves.data(), coordinate("e4d5"));
    EXPECT_EQ(capture, coordinate("e4d5") | hb::CaptureMark);
    const int victim = game.board[square("d5")];
    game.scratch.pawnCount = {8, 8};
    game.scratch.materialMg = 0;
    game.scratch.materialEg = 0;
    ASSERT_EQ(hb::playGameMove(game, coordinate("e4d5")), hb::ResultPlayed);
    EXPECT_EQ(game.slotSquare[victim], hb::OffBoard);
    EXPECT_EQ(game.slotType[victim], hb::BlackPawn);
    EXPECT_EQ(game.slotValue[victim], hb::PawnValue);
    EXPECT_EQ(game.scratch.pawnCount[hb::Black], 7);
    EXPECT_EQ(game.scratch.materialMg, hb::PawnValue);
    EXPECT_EQ(game.scratch.materialEg, hb::PawnValue);
    EXPECT_EQ(game.scratch.halfmoveClock, 0);
    // The empty pseudo-slot reads as no piece of no value.
    EXPECT_EQ(game.slotType[game.board[square("e4")]], hb::NoPiece);
    EXPECT_EQ(game.slotValue[game.board[square("e4")]], 0);
}

TEST(CopyMake, EnPassantOnlyWithAPawnBesideTheArrivalSquare) {
    hb::GameBoard game = startGame();
    ASSERT_EQ(playAll(game, {"e2e4", "a7a6", "e4e5"}), hb::ResultPlayed);
    EXPECT_EQ(game.epSquare, 0);
    ASSERT_EQ(hb::playGameMove(game, coordinate("c7c6")), hb::ResultPlayed);
    ASSERT_EQ(hb::playGameMove(game, coordinate("h2h3")), hb::ResultPlayed);
    // Double step beside the e5 pawn.
    ASSERT_EQ(hb::playGameMove(game, coordinate("d7d5")), hb::ResultPlayed);
    EXPECT_EQ(game.epSquare, square("d6"));
    const hb::Move ep = hb::makeMove(square("e5"), square("d6"), hb::EnPassant) | hb::CaptureMark;
    EXPECT_EQ(findListed(game.legalMoves.data(), coordinate("e5d6")), ep);

    const int victim = game.board[square("d5")];
    ASSERT_EQ(hb::playGameMove(game, coordinate("e5d6")), hb::ResultPlayed);
    EXPECT_EQ(game.board[square("d5")], hb::EmptySlot);
    EXPECT_EQ(game.slotSquare[victim], hb::OffBoard);
    EXPECT_EQ(game.board[square("d6")], hb::FirstPawnSlot + 4);
    EXPECT_EQ(game.history[static_cast<std::size_t>(game.plyCounter)].flags & 63, victim);

    // The right lapses after one move.
    hb::GameBoard later = startGame();
    ASSERT_EQ(playAll(later, {"e2e4", "a7a6", "e4e5", "d7d5", "h2h3", "h7h6"}), hb::ResultPlayed);
    EXPECT_EQ(findListed(later.legalMoves.data(), coordinate("e5d6")), 0u);
}

TEST(CopyMake, EnPassantDoesNotWrapAroundTheBoardEdge) {
    // White double step to h4 with a Black pawn on a5, which is the next square number.
    hb::GameBoard game = startGame();
    ASSERT_EQ(playAll(game, {"e2e3", "a7a5", "h2h4"}), hb::ResultPlayed);
    EXPECT_EQ(game.epSquare, 0);
    for (const hb::Move* m = game.legalMoves.data(); *m != 0; ++m) EXPECT_NE(hb::moveKind(*m), hb::EnPassant);
    // On the h-file the neighbour on the g-file counts.
    hb::GameBoard other = startGame();
    ASSERT_EQ(playAll(other, {"h2h4", "e7e6", "h4h5", "g7g5"}), hb::ResultPlayed);
    EXPECT_EQ(other.epSquare, square("g6"));
    EXPECT_NE(findListed(other.legalMoves.data(), coordinate("h5g6")), 0u);
    // Black double step to a5 with a White pawn on h4 (square a5 - 1).
    hb::GameBoard wrap = startGame();
    ASSERT_EQ(playAll(wrap, {"h2h4", "a7a5"}), hb::ResultPlayed);
    EXPECT_EQ(wrap.epSquare, 0);
    for (const hb::Move* m = wrap.legalMoves.data(); *m != 0; ++m) EXPECT_NE(hb::moveKind(*m), hb::EnPassant);
}

TEST(CopyMake, MoveZeroTakesTheEnPassantRuleFromTheRecordsLastMove) {
    hb::GameBoard game = startGame();
    ASSERT_EQ(playAll(game, {"e2e4", "a7a6", "e4e5", "d7d5"}), hb::ResultPlayed);
    // A fresh list of the same position (as after a set-up) keeps the capture.
    hb::listLegalMoves(game);
    EXPECT_NE(findListed(game.legalMoves.data(), coordinate("e5d6")), 0u);
    game.scratch.lastMove = 0;
    hb::listLegalMoves(game);
    EXPECT_EQ(findListed(game.legalMoves.data(), coordinate("e5d6")), 0u);
    // A double step of the wrong colour gives nothing.
    game.scratch.lastMove = static_cast<std::int32_t>(coordinate("d2d4"));
    hb::listLegalMoves(game);
    EXPECT_EQ(findListed(game.legalMoves.data(), coordinate("e5d6")), 0u);
}

TEST(CopyMake, FoolsMateAndTheIllegalMoveAfterIt) {
    hb::GameBoard game = startGame();
    EXPECT_EQ(playAll(game, {"f2f3", "e7e5", "g2g4", "d8h4"}), hb::ResultMate);
    EXPECT_EQ(game.gameResult, hb::ResultMate);
    // The list keeps White's pseudo-legal moves, each flagged illegal.
    EXPECT_GT(listLength(game.legalMoves.data()), 0);
    EXPECT_TRUE(allFlaggedIllegal(game.legalMoves.data()));

    // Playing one of them is refused without touching the game.
    const hb::GameBoard before = game;
    EXPECT_EQ(hb::playGameMove(game, coordinate("a2a3")), hb::ResultLeavesKingAttacked);
    EXPECT_EQ(game.plyCounter, before.plyCounter);
    EXPECT_EQ(game.historyTop, before.historyTop);
    EXPECT_EQ(game.board, before.board);
    EXPECT_EQ(game.sideToMove, before.sideToMove);
    EXPECT_EQ(game.scratch.halfmoveClock, before.scratch.halfmoveClock);
    EXPECT_EQ(game.lastMove, before.lastMove);
    EXPECT_EQ(hb::playGameMove(game, coordinate("e2e5")), hb::ResultNoSuchMove);
}

TEST(CopyMake, StalemateAndDeadDrawResults) {
    hb::GameBoard game;
    clearBoard(game);
    put(game, 0, "f7", hb::King);
    put(game, 1, "g5", hb::Queen);
    put(game, 16, "h8", hb::King);
    finish(game, hb::White);
    EXPECT_EQ(hb::playGameMove(game, coordinate("g5g6")), hb::ResultStalemate);
    EXPECT_EQ(game.gameResult, hb::ResultStalemate);
    EXPECT_TRUE(allFlaggedIllegal(game.legalMoves.data()));

    // The knight takes the last pawn: king and knight against king.
    clearBoard(game);
    put(game, 0, "a1", hb::King);
    put(game, 6, "c3", hb::Knight);
    put(game, 16, "h8", hb::King);
    put(game, 24, "d5", hb::BlackPawn);
    finish(game, hb::White);
    EXPECT_EQ(hb::playGameMove(game, coordinate("c3d5")), hb::ResultDeadMaterial);
    EXPECT_EQ(game.gameResult, 0);
}

TEST(CopyMake, InsufficientMaterialRules) {
    hb::GameBoard game;
    const auto dead = [&](std::initializer_list<std::pair<const char*, hb::PieceType>> white,
                          std::initializer_list<std::pair<const char*, hb::PieceType>> black) {
        clearBoard(game);
        put(game, 0, "a1", hb::King);
        put(game, 16, "h8", hb::King);
        int slot = 1;
        for (const auto& [at, type] : white) put(game, slot++, at, type);
        slot = 17;
        for (const auto& [at, type] : black) put(game, slot++, at, type);
        hb::loadScratch(game, game.scratch);
        return hb::insufficientMaterial(game.scratch);
    };
    EXPECT_TRUE(dead({}, {}));
    EXPECT_TRUE(dead({{"c3", hb::Knight}}, {}));
    EXPECT_TRUE(dead({}, {{"c3", hb::Bishop}}));
    EXPECT_FALSE(dead({{"c3", hb::WhitePawn}}, {}));
    EXPECT_FALSE(dead({{"c3", hb::Rook}}, {}));
    EXPECT_FALSE(dead({{"c3", hb::Knight}, {"d3", hb::Knight}}, {}));
    // Bishops on squares of one colour (c1 and f8 are both dark) against opposite colours.
    EXPECT_TRUE(dead({{"c1", hb::Bishop}}, {{"f8", hb::Bishop}}));
    EXPECT_FALSE(dead({{"c1", hb::Bishop}}, {{"c8", hb::Bishop}}));
    EXPECT_FALSE(dead({{"c1", hb::Knight}}, {{"f8", hb::Knight}}));
}

TEST(CopyMake, CastlingAcrossAttackedSquaresIsIllegal) {
    hb::GameBoard game;
    // White king and rooks at home with both rights; a Black rook on the given square.
    const auto setUp = [&](const char* rookAt) {
        clearBoard(game);
        put(game, 0, "e1", hb::King);
        put(game, 2, "a1", hb::Rook);
        put(game, 3, "h1", hb::Rook);
        put(game, 16, "b8", hb::King);
        put(game, 18, rookAt, hb::Rook);
        game.castling[hb::CastleWhiteShort] = 0;
        game.castling[hb::CastleWhiteLong] = 0;
        finish(game, hb::White);
        return game.scratch;
    };
    const auto legal = [](hb::Position p, hb::Move castle) {
        return (hb::playWhiteMove(nullptr, castle, 0, p) & hb::IllegalFlag) == 0;
    };
    hb::Position p = setUp("e5");  // out of check
    EXPECT_FALSE(legal(p, hb::WhiteCastleShort));
    EXPECT_FALSE(legal(p, hb::WhiteCastleLong));
    p = setUp("f5");  // through f1
    EXPECT_FALSE(legal(p, hb::WhiteCastleShort));
    EXPECT_TRUE(legal(p, hb::WhiteCastleLong));
    EXPECT_EQ(findListed(game.legalMoves.data(), hb::WhiteCastleShort), 0u);
    EXPECT_NE(findListed(game.legalMoves.data(), hb::WhiteCastleLong), 0u);
    p = setUp("g5");  // into check
    EXPECT_FALSE(legal(p, hb::WhiteCastleShort));
    EXPECT_TRUE(legal(p, hb::WhiteCastleLong));
    p = setUp("d5");  // through d1
    EXPECT_TRUE(legal(p, hb::WhiteCastleShort));
    EXPECT_FALSE(legal(p, hb::WhiteCastleLong));
    p = setUp("b5");  // only the rook passes an attacked square
    EXPECT_TRUE(legal(p, hb::WhiteCastleShort));
    EXPECT_TRUE(legal(p, hb::WhiteCastleLong));
    // The illegal result leaves the record as it was.
    const hb::Position unchanged = setUp("f5");
    p = unchanged;
    hb::MoveList list{};
    EXPECT_EQ(hb::playWhiteMove(list.data(), hb::WhiteCastleShort, 0, p), hb::WhiteCastleShort | hb::IllegalFlag);
    EXPECT_EQ(p.board, unchanged.board);
    EXPECT_EQ(list[0], 0u);
}

TEST(CopyMake, CastlingMovesTheRookAndSettlesTheRights) {
    hb::GameBoard game = startGame();
    ASSERT_EQ(playAll(game, {"e2e4", "e7e5", "g1f3", "g8f6", "f1c4", "f8c5"}), hb::ResultPlayed);
    ASSERT_EQ(hb::playGameMove(game, coordinate("e1g1")), hb::ResultPlayed);
    EXPECT_EQ(game.board[square("f1")], hb::KingRookSlot);
    EXPECT_EQ(game.board[square("h1")], hb::EmptySlot);
    EXPECT_EQ(game.board[square("g1")], hb::KingSlot);
    EXPECT_EQ(game.castling[hb::CastleWhiteShort], 1);
    EXPECT_EQ(game.castling[hb::CastleWhiteLong], -1);
    // Castling does not reset the halfmove clock.
    EXPECT_EQ(game.scratch.halfmoveClock, 5);
    ASSERT_EQ(playAll(game, {"e8g8", "g1h1", "f8e8", "h1g1"}), hb::ResultPlayed);
    EXPECT_EQ(game.castling, (std::array<std::int32_t, 4>{1, 1, -1, -1}));

    // A rook move gives up its side only; the king gives up both.
    hb::GameBoard rights = startGame();
    ASSERT_EQ(playAll(rights, {"h2h4", "a7a5", "h1h3", "a8a6"}), hb::ResultPlayed);
    EXPECT_EQ(rights.castling, (std::array<std::int32_t, 4>{-1, 0, 0, -1}));
    ASSERT_EQ(playAll(rights, {"e2e3", "e7e6", "e1e2"}), hb::ResultPlayed);
    EXPECT_EQ(rights.castling, (std::array<std::int32_t, 4>{-1, 0, -1, -1}));
}

TEST(CopyMake, CapturingARookInItsCornerRemovesThatRight) {
    hb::GameBoard game;
    clearBoard(game);
    put(game, 0, "e1", hb::King);
    put(game, 3, "h1", hb::Rook);
    put(game, 16, "e8", hb::King);
    put(game, 18, "a8", hb::Rook);
    put(game, 19, "h8", hb::Rook);
    game.castling = {0, 0, -1, 0};
    finish(game, hb::White);
    ASSERT_EQ(hb::playGameMove(game, coordinate("h1h8")), hb::ResultPlayed);
    EXPECT_EQ(game.castling, (std::array<std::int32_t, 4>{-1, -1, -1, 0}));
}

TEST(CopyMake, PromotionsAreListedFourTimesAndNeedAKind) {
    hb::GameBoard game;
    clearBoard(game);
    put(game, 0, "e1", hb::King);
    put(game, 9, "b7", hb::WhitePawn);
    put(game, 16, "h8", hb::King);
    put(game, 18, "a8", hb::Rook);
    put(game, 21, "c8", hb::Bishop);
    finish(game, hb::White);
    hb::loadScratch(game, game.scratch);
    game.scratch.pawnCount = {1, 0};
    game.scratch.pieceCount = {0, 2};
    game.scratch.materialMg = hb::PawnValue - 2832 - 1872;
    game.scratch.materialEg = game.scratch.materialMg;
    game.scratch.nonPawnMaterial = {0, 2832 + 1872};
    // Pawn moves: four pushes, then four captures on a8 and on c8, each with the capture mark.
    std::vector<hb::Move> pawnMoves;
    for (const hb::Move* m = game.legalMoves.data(); *m != 0; ++m)
        if (hb::moveFrom(*m) == square("b7")) pawnMoves.push_back(*m);
    ASSERT_EQ(pawnMoves.size(), 12u);
    const int kinds[] = {hb::PromoteQueen, hb::PromoteRook, hb::PromoteBishop, hb::PromoteKnight};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pawnMoves[static_cast<std::size_t>(i)], hb::makeMove(square("b7"), square("b8"), kinds[i]));
        EXPECT_EQ(pawnMoves[static_cast<std::size_t>(4 + i)],
                  hb::makeMove(square("b7"), square("a8"), kinds[i]) | hb::CaptureMark);
        EXPECT_EQ(pawnMoves[static_cast<std::size_t>(8 + i)],
                  hb::makeMove(square("b7"), square("c8"), kinds[i]) | hb::CaptureMark);
    }

    const hb::GameBoard before = game;
    EXPECT_EQ(hb::playGameMove(game, coordinate("b7a8")), hb::ResultNeedsPromotion);
    EXPECT_EQ(game.board, before.board);
    EXPECT_EQ(game.plyCounter, before.plyCounter);
    EXPECT_EQ(game.sideToMove, hb::White);

    ASSERT_EQ(hb::playGameMove(game, coordinate("b7a8n")), hb::ResultPlayed);
    EXPECT_EQ(game.slotType[9], hb::Knight);
    EXPECT_EQ(game.slotValue[9], 1872);
    EXPECT_EQ(game.scratch.pawnCount[hb::White], 0);
    EXPECT_EQ(game.scratch.pieceCount[hb::White], 1);
    EXPECT_EQ(game.scratch.pieceCount[hb::Black], 1);
    EXPECT_EQ(game.scratch.nonPawnMaterial[hb::White], 1872);
    EXPECT_EQ(game.scratch.nonPawnMaterial[hb::Black], 1872);
    EXPECT_EQ(game.scratch.materialMg, 1872 - 1872);
    EXPECT_EQ(game.scratch.materialEg, 0);
}

namespace {

using Snapshot = halberd::testing::GameSnapshot;
constexpr auto snapshot = halberd::testing::snapshotOf;

}  // namespace

TEST(Navigation, BackAndForwardRestoreEveryPositionOfTheGame) {
    // Captures, en passant, castling on both sides.
    const std::vector<const char*> moves = {"e2e4", "g8f6", "e4e5", "d7d5", "e5d6", "c7d6", "g1f3",
                                            "b8c6", "f1c4", "c8g4", "e1g1", "d8d7", "d2d3", "e8c8"};
    hb::GameBoard game = startGame();
    std::vector<Snapshot> seen = {snapshot(game)};
    for (const char* m : moves) {
        ASSERT_EQ(hb::playGameMove(game, coordinate(m)), hb::ResultPlayed) << m;
        seen.push_back(snapshot(game));
    }
    const int end = static_cast<int>(moves.size());
    ASSERT_EQ(seen[4].epSquare, square("d6"));

    for (int t = end; t >= 0; --t) {
        ASSERT_EQ(hb::gotoPly(game, t), 0);
        EXPECT_TRUE(snapshot(game) == seen[static_cast<std::size_t>(t)]) << "back to " << t;
        EXPECT_EQ(game.lastMove, 0);
    }
    for (int t = 1; t <= end; ++t) {
        ASSERT_EQ(hb::gotoPly(game, hb::GotoForward), 0);
        EXPECT_TRUE(snapshot(game) == seen[static_cast<std::size_t>(t)]) << "forward to " << t;
    }
    for (int t = end - 1; t >= 0; --t) {
        ASSERT_EQ(hb::gotoPly(game, hb::GotoBack), 0);
        EXPECT_TRUE(snapshot(game) == seen[static_cast<std::size_t>(t)]) << "one back to " << t;
    }
    ASSERT_EQ(hb::gotoPly(game, 5), 0);
    EXPECT_TRUE(snapshot(game) == seen[5]);
    ASSERT_EQ(hb::gotoPly(game, hb::GotoEnd), 0);
    EXPECT_TRUE(snapshot(game) == seen[static_cast<std::size_t>(end)]);
    EXPECT_EQ(game.historyTop, end - 1);
}

TEST(Navigation, TakingBackToASetUpPositionRestoresWhatTheSetUpGaveIt) {
    // The en-passant right and the halfmove clock come from the FEN, not from a move of the game.
    hb::GameBoard game = startGame();
    ASSERT_EQ(hb::setupFromFen(game, "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"), 0);
    const Snapshot start = snapshot(game);
    ASSERT_NE(findListed(game.legalMoves.data(), coordinate("e5f6")), 0u);
    ASSERT_EQ(playAll(game, {"g1f3", "b8c6"}), hb::ResultPlayed);
    ASSERT_EQ(hb::gotoPly(game, 0), 0);
    EXPECT_TRUE(snapshot(game) == start);
    ASSERT_EQ(hb::gotoPly(game, hb::GotoForward), 0);
    ASSERT_EQ(hb::gotoPly(game, hb::GotoBack), 0);
    EXPECT_TRUE(snapshot(game) == start);
    EXPECT_EQ(hb::writeFen(game), "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR/ w KQkq f6");

    ASSERT_EQ(hb::setupFromFen(game, "4k3/8/8/8/8/8/8/R3K3 w - - 37 60"), 0);
    ASSERT_EQ(playAll(game, {"a1a2"}), hb::ResultPlayed);
    ASSERT_EQ(hb::gotoPly(game, hb::GotoBack), 0);
    EXPECT_EQ(game.scratch.halfmoveClock, 37);
}

TEST(Navigation, ImpossibleTargetsChangeNothing) {
    hb::GameBoard game = startGame();
    EXPECT_EQ(hb::gotoPly(game, hb::GotoBack), 1);
    EXPECT_EQ(hb::gotoPly(game, hb::GotoForward), 1);
    ASSERT_EQ(playAll(game, {"e2e4", "e7e5"}), hb::ResultPlayed);
    const Snapshot before = snapshot(game);
    EXPECT_EQ(hb::gotoPly(game, hb::GotoForward), 1);
    EXPECT_EQ(hb::gotoPly(game, 3), 1);
    EXPECT_EQ(hb::gotoPly(game, -4), 1);
    EXPECT_TRUE(snapshot(game) == before);
    // The current position itself is a valid target.
    EXPECT_EQ(hb::gotoPly(game, 2), 0);
    EXPECT_TRUE(snapshot(game) == before);
}

TEST(Navigation, TakeBackResetsGameWordsAndANewMoveDropsTheRedoHistory) {
    hb::GameBoard game = startGame();
    EXPECT_EQ(playAll(game, {"f2f3", "e7e5", "g2g4", "d8h4"}), hb::ResultMate);
    game.bookMissesLeft = 0;
    ASSERT_EQ(hb::gotoPly(game, hb::GotoBack), 0);
    EXPECT_EQ(game.gameResult, 0);
    EXPECT_EQ(game.scratch.halfmoveClock, 0);
    EXPECT_EQ(game.bookMissesLeft, 10);
    EXPECT_EQ(game.plyCounter, 2);
    EXPECT_EQ(game.historyTop, 3);
    // Forward again onto the mate.
    ASSERT_EQ(hb::gotoPly(game, hb::GotoForward), 0);
    EXPECT_EQ(game.gameResult, hb::ResultMate);
    ASSERT_EQ(hb::gotoPly(game, 2), 0);
    ASSERT_EQ(hb::gotoPly(game, hb::GotoForward), 0);
    ASSERT_EQ(hb::playGameMove(game, coordinate("d8g5")), hb::ResultPlayed);
    EXPECT_EQ(game.historyTop, 3);
    EXPECT_EQ(game.plyCounter, 3);
    EXPECT_EQ(hb::gotoPly(game, hb::GotoForward), 1);
}

TEST(Navigation, TakingBackAPromotingCaptureRestoresPawnAndVictim) {
    hb::GameBoard game;
    clearBoard(game);
    put(game, 0, "e1", hb::King);
    put(game, 9, "b7", hb::WhitePawn);
    put(game, 16, "e8", hb::King);
    put(game, 18, "a8", hb::Rook);
    game.castling[hb::CastleBlackLong] = 0;
    finish(game, hb::White);
    const Snapshot before = snapshot(game);
    ASSERT_EQ(hb::playGameMove(game, coordinate("b7a8q")), hb::ResultPlayed);
    EXPECT_EQ(game.castling[hb::CastleBlackLong], -1);
    EXPECT_EQ(game.slotValue[9], 5616);
    ASSERT_EQ(hb::gotoPly(game, hb::GotoBack), 0);
    EXPECT_TRUE(snapshot(game) == before);
    EXPECT_EQ(game.slotType[9], hb::WhitePawn);
    EXPECT_EQ(game.slotValue[9], hb::PawnValue);
    EXPECT_EQ(game.board[square("a8")], 18);
}

TEST(GameResults, RepetitionFromTheThirdOccurrenceAndFiftyMovesAtExactly100) {
    hb::GameBoard game = startGame();
    const char* shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int ply = 0; ply < 7; ++ply)
        EXPECT_EQ(hb::playGameMove(game, coordinate(shuffle[ply % 4])), hb::ResultPlayed) << ply;
    // The start position stands on the board for the third time.
    EXPECT_EQ(hb::playGameMove(game, coordinate("f6g8")), hb::ResultRepetition);
    EXPECT_EQ(hb::playGameMove(game, coordinate("g1f3")), hb::ResultRepetition);

    // The position a pawn move reached is its own first occurrence.
    hb::GameBoard other = startGame();
    ASSERT_EQ(playAll(other, {"e2e4", "g8f6", "g1f3", "f6g8", "f3g1", "g8f6", "g1f3", "f6g8"}), hb::ResultPlayed);
    EXPECT_EQ(hb::playGameMove(other, coordinate("f3g1")), hb::ResultRepetition);

    hb::GameBoard fifty = startGame();
    fifty.scratch.halfmoveClock = 98;
    EXPECT_EQ(hb::playGameMove(fifty, coordinate("g1f3")), hb::ResultPlayed);
    EXPECT_EQ(hb::playGameMove(fifty, coordinate("g8f6")), hb::ResultFiftyMoves);
    EXPECT_EQ(fifty.scratch.halfmoveClock, 100);
    EXPECT_EQ(hb::playGameMove(fifty, coordinate("b1c3")), hb::ResultPlayed);
    EXPECT_EQ(hb::playGameMove(fifty, coordinate("e7e5")), hb::ResultPlayed);
    EXPECT_EQ(fifty.scratch.halfmoveClock, 0);
}

TEST(CopyMake, ResetsClockIrreversibleAndEnPassantSquareTests) {
    hb::GameBoard game = startGame();
    ASSERT_EQ(playAll(game, {"e2e4", "d7d5"}), hb::ResultPlayed);
    const hb::Position& p = game.scratch;
    EXPECT_TRUE(hb::resetsHalfmoveClock(coordinate("a2a3"), p));
    EXPECT_TRUE(hb::resetsHalfmoveClock(coordinate("e4d5"), p));
    EXPECT_FALSE(hb::resetsHalfmoveClock(coordinate("g1f3"), p));
    EXPECT_TRUE(hb::isIrreversible(game, coordinate("a2a3"), hb::White));
    EXPECT_TRUE(hb::isIrreversible(game, coordinate("e4d5"), hb::White));
    EXPECT_TRUE(hb::isIrreversible(game, coordinate("e1e2"), hb::White));
    EXPECT_FALSE(hb::isIrreversible(game, coordinate("g1f3"), hb::White));
    EXPECT_FALSE(hb::isIrreversible(game, coordinate("f1e2"), hb::White));
    EXPECT_EQ(hb::enPassantSquare(coordinate("c2c4"), p), 0);
    ASSERT_EQ(playAll(game, {"e4e5", "a7a6"}), hb::ResultPlayed);
    EXPECT_EQ(hb::enPassantSquare(coordinate("f2f4"), p), 0);
    ASSERT_EQ(playAll(game, {"h2h3", "d5d4"}), hb::ResultPlayed);
    EXPECT_EQ(hb::enPassantSquare(coordinate("c2c4"), p), square("c3"));
    EXPECT_EQ(hb::enPassantSquare(coordinate("b2b4"), p), 0);

    // Rook moves are irreversible only while they carry a right.
    hb::GameBoard rooks = startGame();
    ASSERT_EQ(playAll(rooks, {"a2a4", "a7a5", "h2h4", "h7h5"}), hb::ResultPlayed);
    EXPECT_TRUE(hb::isIrreversible(rooks, coordinate("a1a3"), hb::White));
    EXPECT_TRUE(hb::isIrreversible(rooks, coordinate("h1h3"), hb::White));
    ASSERT_EQ(playAll(rooks, {"h1h3", "h8h6"}), hb::ResultPlayed);
    EXPECT_FALSE(hb::isIrreversible(rooks, coordinate("h3h2"), hb::White));
    EXPECT_TRUE(hb::isIrreversible(rooks, coordinate("a1a3"), hb::White));
    ASSERT_EQ(playAll(rooks, {"a1a3", "a8a6", "e2e3", "e7e6"}), hb::ResultPlayed);
    EXPECT_FALSE(hb::isIrreversible(rooks, coordinate("e1e2"), hb::White));
    EXPECT_FALSE(hb::isIrreversible(rooks, coordinate("a3a1"), hb::White));
}

TEST(CopyMake, CapturesOnlyListHasNoQuietMovesNoMarksAndNoGameEnd) {
    hb::GameBoard game;
    clearBoard(game);
    put(game, 0, "e1", hb::King);
    put(game, 3, "h1", hb::Rook);
    put(game, 9, "b7", hb::WhitePawn);
    put(game, 12, "e5", hb::WhitePawn);
    put(game, 16, "g8", hb::King);
    put(game, 18, "a8", hb::Rook);
    put(game, 27, "d5", hb::BlackPawn);
    game.castling[hb::CastleWhiteShort] = 0;
    finish(game, hb::White);
    hb::Position p = game.scratch;
    p.lastMove = static_cast<std::int32_t>(coordinate("d7d5"));
    hb::MoveList list{};
    EXPECT_EQ(hb::playBlackMove(list.data(), 0, 1, p), 0u);
    const std::vector<hb::Move> expected = {hb::makeMove(square("b7"), square("b8"), hb::PromoteQueen),
                                            hb::makeMove(square("b7"), square("b8"), hb::PromoteRook),
                                            hb::makeMove(square("b7"), square("b8"), hb::PromoteBishop),
                                            hb::makeMove(square("b7"), square("b8"), hb::PromoteKnight),
                                            hb::makeMove(square("b7"), square("a8"), hb::PromoteQueen),
                                            hb::makeMove(square("b7"), square("a8"), hb::PromoteRook),
                                            hb::makeMove(square("b7"), square("a8"), hb::PromoteBishop),
                                            hb::makeMove(square("b7"), square("a8"), hb::PromoteKnight),
                                            hb::makeMove(square("e5"), square("d6"), hb::EnPassant)};
    EXPECT_EQ(std::vector<hb::Move>(list.begin(), list.begin() + listLength(list.data())), expected);
    // The full list has the same moves with capture marks, plus quiet moves and castling.
    EXPECT_EQ(findListed(game.legalMoves.data(), coordinate("b7a8q")), coordinate("b7a8q") | hb::CaptureMark);
    EXPECT_NE(findListed(game.legalMoves.data(), hb::WhiteCastleShort), 0u);
    // King 5, rook 9, b-pawn 8, e-pawn 1, castling 1 (no en passant: the set-up has no last move).
    EXPECT_EQ(listLength(game.legalMoves.data()), 5 + 9 + 8 + 1 + 1);

    // No capture at all is no stalemate.
    clearBoard(game);
    put(game, 0, "e1", hb::King);
    put(game, 8, "a2", hb::WhitePawn);
    put(game, 16, "e8", hb::King);
    put(game, 24, "a3", hb::BlackPawn);
    finish(game, hb::White);
    p = game.scratch;
    EXPECT_EQ(hb::playBlackMove(list.data(), 0, 1, p), 0u);
    EXPECT_EQ(list[0], 0u);
}

TEST(CopyMake, SetUpAfterADoubleStepListsTheEnPassantCapture) {
    hb::GameBoard game;
    hb::resetGameToStart(game);
    ASSERT_EQ(hb::setupFromFen(game, "rnbqkbnr/1pp1pppp/p7/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3"), 0);
    EXPECT_NE(findListed(game.legalMoves.data(), coordinate("e5d6")), 0u);
    ASSERT_EQ(hb::playGameMove(game, coordinate("e5d6")), hb::ResultPlayed);
    EXPECT_EQ(game.board[square("d5")], hb::EmptySlot);
    ASSERT_EQ(hb::setupFromFen(game, "rnbqkbnr/1pp1pppp/p7/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3"), 0);
    EXPECT_EQ(findListed(game.legalMoves.data(), coordinate("e5d6")), 0u);
}

TEST(CopyMake, CastlingNeedsKingAndRookInPlaceWhateverTheState) {
    // Each right's rook stands on the other wing; then the king leaves the back rank.
    for (const auto& [king, longRook, shortRook] :
         {std::array<const char*, 3>{"e1", "h1", "a1"}, std::array<const char*, 3>{"e2", "a1", "h1"}}) {
        hb::GameBoard game;
        clearBoard(game);
        put(game, 0, king, hb::King);
        put(game, 2, longRook, hb::Rook);
        put(game, 3, shortRook, hb::Rook);
        put(game, 16, "e8", hb::King);
        game.castling[hb::CastleWhiteShort] = 0;
        game.castling[hb::CastleWhiteLong] = 0;
        finish(game, hb::White);
        for (const hb::Move* m = game.legalMoves.data(); *m != 0; ++m) EXPECT_FALSE(hb::isCastle(*m)) << king;
    }
}
