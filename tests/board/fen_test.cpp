#include "board/fen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "board/notation.h"
#include "test_data.h"

namespace hb = halberd::board;

namespace {

const std::string StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

int countMoves(const hb::GameBoard& game) {
    int n = 0;
    while (game.legalMoves[static_cast<std::size_t>(n)] != hb::NoMove) ++n;
    return n;
}

bool listed(const hb::GameBoard& game, hb::Move move) {
    for (const hb::Move m : game.legalMoves) {
        if (m == hb::NoMove) return false;
        if (hb::sameMove(m, move)) return true;
    }
    return false;
}

int square(const char* name) { return hb::parseSquare(name[0], name[1]); }

// What the edit command "X" does.
void removePiece(hb::GameBoard& game, int sq) {
    const auto at = static_cast<std::size_t>(sq);
    game.slotSquare[static_cast<std::size_t>(game.board[at])] = hb::OffBoard;
    game.board[at] = hb::EmptySlot;
}

// Everything a set-up may touch, to prove a rejected one touched nothing.
struct Snapshot {
    explicit Snapshot(const hb::GameBoard& g) : game(g), fen(hb::writeFen(g)) {}
    hb::GameBoard game;
    std::string fen;

    void expectSameAs(const hb::GameBoard& g) const {
        EXPECT_EQ(hb::writeFen(g), fen);
        EXPECT_EQ(g.slotSquare, game.slotSquare);
        EXPECT_EQ(g.board, game.board);
        EXPECT_EQ(g.slotType, game.slotType);
        EXPECT_EQ(g.slotValue, game.slotValue);
        EXPECT_EQ(g.castling, game.castling);
        EXPECT_EQ(g.sideToMove, game.sideToMove);
        EXPECT_EQ(g.epSquare, game.epSquare);
        EXPECT_EQ(g.legalMoves, game.legalMoves);
        EXPECT_EQ(g.gameResult, game.gameResult);
        EXPECT_EQ(g.plyCounter, game.plyCounter);
        EXPECT_EQ(std::memcmp(&g.scratch, &game.scratch, sizeof(hb::Position)), 0);
    }
};

}  // namespace

TEST(FenSetup, StartPositionTakesTheCanonicalSlots) {
    hb::GameBoard game;
    ASSERT_EQ(hb::setupFromFen(game, StartFen), 0);
    for (int slot = 0; slot < 16; ++slot) {
        const int white = slot < 8 ? std::array{4, 3, 0, 7, 2, 5, 1, 6}[static_cast<std::size_t>(slot)] : slot;
        EXPECT_EQ(game.slotSquare[static_cast<std::size_t>(slot)], white) << slot;
        EXPECT_EQ(game.slotSquare[static_cast<std::size_t>(slot + 16)], white ^ 56) << slot;
        EXPECT_EQ(game.slotType[static_cast<std::size_t>(slot)], hb::StartSlotTypes[static_cast<std::size_t>(slot)]);
        EXPECT_EQ(game.slotValue[static_cast<std::size_t>(slot)], hb::SlotValue[static_cast<std::size_t>(slot)]);
    }
    EXPECT_EQ(game.slotType[24], hb::BlackPawn);
    EXPECT_EQ(game.slotType[32], hb::NoPiece);
    EXPECT_EQ(game.castling, (std::array<std::int32_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(game.sideToMove, hb::White);
    EXPECT_EQ(game.epSquare, 0);
    EXPECT_EQ(game.gameResult, 0);
    EXPECT_EQ(game.plyCounter, -1);
    EXPECT_EQ(countMoves(game), 20);
    EXPECT_EQ(game.scratch.materialMg, 0);
    const std::string written = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/ w KQkq -";
    EXPECT_EQ(hb::writeFen(game), written);
}

TEST(FenSetup, BareKingsAndExtraPieces) {
    hb::GameBoard game;
    ASSERT_EQ(hb::setupFromFen(game, "8/8/8/8/8/8/8/K6k w - - 0 1"), 0);
    EXPECT_EQ(countMoves(game), 3);

    // The third knight takes the top pawn slot; the h-pawn then moves one slot down.
    ASSERT_EQ(hb::setupFromFen(game, "4k3/8/8/8/8/8/7P/1NN1KN2 w - - 0 1"), 0);
    EXPECT_EQ(game.slotSquare[6], square("b1"));
    EXPECT_EQ(game.slotSquare[7], square("c1"));
    EXPECT_EQ(game.slotSquare[15], square("f1"));
    EXPECT_EQ(game.slotType[15], hb::Knight);
    EXPECT_EQ(game.slotValue[15], 1872);
    EXPECT_EQ(game.slotSquare[14], square("h2"));
    EXPECT_EQ(game.slotType[14], hb::WhitePawn);
    EXPECT_EQ(game.scratch.materialMg, 3 * 1872 + 480);
}

TEST(FenSetup, ResultsForMateAndForTheSideNotToMoveInCheck) {
    hb::GameBoard game;
    // Fool's mate: accepted, but the game is over and nothing can be played.
    EXPECT_EQ(hb::setupFromFen(game, "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"), 0);
    EXPECT_EQ(game.gameResult, 1);
    EXPECT_EQ(countMoves(game), 0);
    // Stalemate.
    EXPECT_EQ(hb::setupFromFen(game, "k7/2Q5/1K6/8/8/8/8/8 b - - 0 1"), 0);
    EXPECT_EQ(game.gameResult, 1);
    EXPECT_EQ(countMoves(game), 0);
    // Black, not to move, stands in check: accepted with the illegal flag.
    EXPECT_EQ(hb::setupFromFen(game, "4k3/8/8/8/8/8/8/4R2K w - - 0 1"), static_cast<int>(hb::IllegalFlag));
    EXPECT_EQ(game.gameResult, 1);
    EXPECT_EQ(game.slotSquare[0], square("h1"));
    EXPECT_EQ(countMoves(game), 0);
}

TEST(FenSetup, RejectedTextLeavesTheGameAsItWas) {
    hb::GameBoard game;
    ASSERT_EQ(hb::setupFromFen(game, "r3k2r/ppp2ppp/8/3pP3/8/8/PPP2PPP/R3K2R w KQkq d6 7 20"), 0);
    const Snapshot before(game);
    const std::pair<const char*, int> rejected[] = {
        {"rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ - 0 1", hb::SetupMissingKing},
        {"8/8/8/8/8/8/8/K7 w - - 0 1", hb::SetupMissingKing},
        {"k7/8/8/8/8/8/8/K6K w - - 0 1", hb::SetupNoFreeSlot},
        {"k7/8/8/8/8/P7/PPPPPPPP/K7 w - - 0 1", hb::SetupNoFreeSlot},        // ninth pawn
        {"k7/pppppppp/p7/8/8/8/8/K7 w - - 0 1", hb::SetupNoFreeSlot},        // ninth black pawn
        {"k7/8/8/8/8/N7/NNNNNNNN/KNNNNNNN w - - 0 1", hb::SetupNoFreeSlot},  // seventeen pieces
        {"k7/8/8/8/QQQQQQQ1/8/PPPPPPPP/K7 w - - 0 1", hb::SetupNoFreeSlot},  // pawns find no slot
        {"k8/8/8/8/8/8/8/K7 w - - 0 1", hb::SetupMalformed},                 // nine files
        {"k6/8/8/8/8/8/8/K7 w - - 0 1", hb::SetupMalformed},                 // seven files
        {"k7p/8/8/8/8/8/8/K7 w - - 0 1", hb::SetupMalformed},
        {"k7/8/8/8/8/8/8/8/K7 w - - 0 1", hb::SetupMalformed},  // nine ranks
        {"k7/8/8/8/8/8/K7 w - - 0 1", hb::SetupMalformed},      // seven ranks
        {"k7/8/8/8/8/8/8/K7// w - - 0 1", hb::SetupMalformed},
        {"k7/8/8/8/8/8/8/K6P w - - 0 1", hb::SetupMalformed},  // pawn on the first rank
        {"kp6/8/8/8/8/8/8/K7 w - - 0 1", hb::SetupMalformed},  // pawn on the last rank
        {"k7/8/8/8/8/8/8/K6x w - - 0 1", hb::SetupMalformed},
        {"k7/8/8/8/8/8/8/K06 w - - 0 1", hb::SetupMalformed},
        {"k7/8/8/8/8/8/8/K7 x - - 0 1", hb::SetupMalformed},
        {"k7/8/8/8/8/8/8/K7 w KX - 0 1", hb::SetupMalformed},
        {"k7/8/8/8/8/8/8/K7 w KK - 0 1", hb::SetupMalformed},
        {"k7/8/8/8/8/8/8/K7 w - z9 0 1", hb::SetupMalformed},
        {"k7/8/8/8/8/8/8/K7 w - e33 0 1", hb::SetupMalformed},
        {"", hb::SetupMalformed},
        {"   ", hb::SetupMalformed},
        {"hello world", hb::SetupMalformed},
    };
    for (const auto& [fen, code] : rejected) {
        SCOPED_TRACE(fen);
        EXPECT_EQ(hb::setupFromFen(game, fen), code);
        before.expectSameAs(game);
    }
}

TEST(FenSetup, EnPassantFieldIsKeptOnlyWhenTheCaptureExists) {
    hb::GameBoard game;
    // White e5 beside the f-pawn that has just come f7-f5.
    ASSERT_EQ(hb::setupFromFen(game, "rnbqkbnr/ppppp1pp/8/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"), 0);
    EXPECT_EQ(game.epSquare, square("f6"));
    EXPECT_EQ(game.scratch.lastMove, static_cast<std::int32_t>(hb::makeMove(square("f7"), square("f5"))));
    EXPECT_TRUE(listed(game, hb::makeMove(square("e5"), square("f6"), hb::EnPassant)));
    EXPECT_EQ(countMoves(game), 31);  // stockfish perft 1
    EXPECT_EQ(hb::writeFen(game), "rnbqkbnr/ppppp1pp/8/4Pp2/8/8/PPPP1PPP/RNBQKBNR/ w KQkq f6");

    // Black d4 takes c3 after c2-c4.
    ASSERT_EQ(hb::setupFromFen(game, "rnbqkbnr/ppp1pppp/8/8/2Pp4/8/PP1PPPPP/RNBQKBNR b KQkq c3 0 3"), 0);
    EXPECT_EQ(game.epSquare, square("c3"));
    EXPECT_TRUE(listed(game, hb::makeMove(square("d4"), square("c3"), hb::EnPassant)));
    EXPECT_EQ(hb::writeFen(game), "rnbqkbnr/ppp1pppp/8/8/2Pp4/8/PP1PPPPP/RNBQKBNR/ b KQkq c3");

    const char* ignored[] = {
        "rnbqkbnr/ppppp1pp/8/5p2/8/8/PPPPPPPP/RNBQKBNR w KQkq f6 0 2",     // nobody beside f5
        "rnbqkbnr/ppppp1pp/8/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 3",    // no pawn on c5
        "rnbqkbnr/ppppp1pp/8/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f3 0 3",    // wrong rank
        "rnbqkbnr/ppppp1pp/8/4Pp2/8/8/PPPP1PPP/RNBQKBNR b KQkq f6 0 3",    // wrong side
        "rnbqkb1r/ppppp1pp/5n2/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",  // f6 occupied
        "rnbqkbnr/pppppp1p/8/4pP2/8/8/PPPP2PP/RNBQKBNR w KQkq e6 0 3",     // e7 occupied: no double step
        "rnbqkbnr/ppppp1pp/8/4PP2/8/8/PPPP2PP/RNBQKBNR w KQkq f6 0 3",     // the pawn on f5 is White
    };
    for (const char* fen : ignored) {
        SCOPED_TRACE(fen);
        ASSERT_GE(hb::setupFromFen(game, fen), 0);
        EXPECT_EQ(game.epSquare, 0);
        EXPECT_EQ(game.scratch.lastMove, 0);
        EXPECT_EQ(hb::writeFen(game).substr(hb::writeFen(game).size() - 2), " -");
        for (const hb::Move m : game.legalMoves) {
            if (m == hb::NoMove) break;
            EXPECT_NE(hb::moveKind(m), hb::EnPassant);
        }
    }
}

TEST(FenSetup, SetUpFromMenAsFromTheFen) {
    const struct {
        const char* fen;
        int epSquare;
    } rows[] = {
        {"8/8/8/1p6/4P3/4P3/1k6/3K4 b - - 0 1", 0},
        {"8/8/8/PpP5/8/8/8/K1k5 w - b6 0 1", square("b6")},   // kept: two pawns may take
        {"4k3/8/8/4Pp2/8/8/8/4K3 b - f6 0 1", square("f6")},  // dropped: the wrong side's square
        {"8/8/8/8/8/2k5/1q6/K7 w - - 0 1", 0},                // mate
        {"1r2k1r1/8/8/8/8/8/8/R2BKB1R b - - 0 1", 0},         // slots chosen as in the FEN's order
        {"4k3/8/8/8/8/8/4Q3/4K3 w - - 0 1", 0},               // the side not to move in check
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fen);
        hb::GameBoard fromFen;
        const hb::SetupStatus status = hb::setupFromFen(fromFen, row.fen);
        ASSERT_FALSE(hb::rejected(status));
        std::vector<hb::PlacedMan> men;
        for (int rank = 7; rank >= 0; --rank)
            for (int file = 0; file < 8; ++file) {
                const int slot = fromFen.board[static_cast<std::size_t>(hb::squareOf(file, rank))];
                if (slot != hb::EmptySlot)
                    men.push_back({hb::slotColour(slot), static_cast<hb::PieceType>(fromFen.slotType[slot]),
                                   hb::squareOf(file, rank)});
            }
        hb::GameBoard fromMen;
        EXPECT_EQ(hb::setupFromMen(fromMen, men, fromFen.sideToMove, row.epSquare), status);
        Snapshot(fromFen).expectSameAs(fromMen);
        men.push_back(men.front());  // two men on one square
        EXPECT_TRUE(hb::rejected(hb::setupFromMen(fromMen, men, hb::White, 0)));
    }
}

TEST(FenSetup, HalfmoveClockAndOptionalFields) {
    hb::GameBoard game;
    ASSERT_EQ(hb::setupFromFen(game, "4k3/8/8/8/8/8/8/4K3 b - - 37 80"), 0);
    EXPECT_EQ(game.scratch.halfmoveClock, 37);
    EXPECT_EQ(game.sideToMove, hb::Black);
    ASSERT_EQ(hb::setupFromFen(game, "4k3/8/8/8/8/8/8/4K3 w - -"), 0);
    EXPECT_EQ(game.scratch.halfmoveClock, 0);
    // EPD operations after the four fields, and the fields left out altogether.
    ASSERT_EQ(hb::setupFromFen(game, "4k3/8/8/8/8/8/8/4K3 b - - ;D1 5 ;D2 25"), 0);
    EXPECT_EQ(game.scratch.halfmoveClock, 0);
    EXPECT_EQ(game.sideToMove, hb::Black);
    ASSERT_EQ(hb::setupFromFen(game, "  4k3/8/8/8/8/8/8/R3K3  "), 0);
    EXPECT_EQ(game.sideToMove, hb::White);
    EXPECT_EQ(hb::writeFen(game), "4k3/8/8/8/8/8/8/R3K3/ w - -");
    // The rest of a UCI position line.
    ASSERT_EQ(hb::setupFromFen(game, "4k3/8/8/8/8/8/8/R3K3 b moves e8d7 a1a2"), 0);
    EXPECT_EQ(hb::writeFen(game), "4k3/8/8/8/8/8/8/R3K3/ b - -");
    ASSERT_EQ(hb::setupFromFen(game, "4k3/8/8/8/8/8/8/R3K3 w - - 9 30 moves a1a2"), 0);
    EXPECT_EQ(game.scratch.halfmoveClock, 9);
    // A game file quotes the FEN.
    ASSERT_EQ(hb::setupFromFen(game, " \"4k3/8/8/8/8/8/8/4K3 b - - 12 40\"]"), 0);
    EXPECT_EQ(game.scratch.halfmoveClock, 12);
}

TEST(FenSetup, CastlingLettersNeedKingAndRookAtHome) {
    hb::GameBoard game;
    ASSERT_EQ(hb::setupFromFen(game, "r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1"), 0);
    EXPECT_EQ(game.castling, (std::array<std::int32_t, 4>{-1, -1, -1, -1}));

    // No rook on a1 or h8: Q and k are ignored, K and q stay.
    ASSERT_EQ(hb::setupFromFen(game, "r3k3/8/8/8/8/8/8/4K2R w KQkq - 0 1"), 0);
    EXPECT_EQ(game.castling[hb::CastleWhiteShort], 0);
    EXPECT_NE(game.castling[hb::CastleWhiteLong], 0);
    EXPECT_NE(game.castling[hb::CastleBlackShort], 0);
    EXPECT_EQ(game.castling[hb::CastleBlackLong], 0);
    EXPECT_EQ(hb::writeFen(game), "r3k3/8/8/8/8/8/8/4K2R/ w Kq -");
    EXPECT_TRUE(listed(game, hb::WhiteCastleShort));
    EXPECT_FALSE(listed(game, hb::WhiteCastleLong));

    // Kings away from home: no right whatever the field says; letters in any order.
    ASSERT_EQ(hb::setupFromFen(game, "r4k1r/8/8/8/8/8/8/R2K3R w qkQK - 0 1"), 0);
    EXPECT_EQ(hb::writeFen(game), "r4k1r/8/8/8/8/8/8/R2K3R/ w - -");
    EXPECT_EQ(countMoves(game), 5 + 10 + 9);

    // The h1 rook was read after the h4 rook and got the queen-side slot; the
    // castling right hands it the king-side slot that castling moves.
    ASSERT_EQ(hb::setupFromFen(game, "4k3/8/8/8/7R/8/8/4K2R w K - 0 1"), 0);
    EXPECT_EQ(game.slotSquare[3], square("h1"));
    EXPECT_EQ(game.slotSquare[2], square("h4"));
    EXPECT_TRUE(listed(game, hb::WhiteCastleShort));
    // Same with a third rook kept in a pawn slot.
    ASSERT_EQ(hb::setupFromFen(game, "r3k3/8/8/8/8/8/8/RR2K2R w KQq - 0 1"), 0);
    EXPECT_EQ(game.slotSquare[2], square("a1"));
    EXPECT_EQ(game.slotSquare[3], square("h1"));
    EXPECT_EQ(game.slotSquare[15], square("b1"));
    EXPECT_EQ(game.slotType[15], hb::Rook);
    EXPECT_TRUE(listed(game, hb::WhiteCastleShort));

    // A file letter with no rook of its side there grants nothing (d8 holds a
    // bishop); Q is then the c1 rook of a Chess960 game, written by its file so
    // that a reader not in Chess960 takes it the same way.
    ASSERT_EQ(hb::setupFromFen(game, "rqnbkbnr/ppp1p1pp/8/3pPp2/8/8/PP1PPPPP/BQRNKBNR w KQd - 0 3"), 0);
    const std::string written = hb::writeFen(game);
    EXPECT_EQ(written, "rqnbkbnr/ppp1p1pp/8/3pPp2/8/8/PP1PPPPP/BQRNKBNR/ w KC -");
    hb::GameBoard again;
    ASSERT_EQ(hb::setupFromFen(again, written), 0);
    EXPECT_EQ(hb::writeFen(again), written);
}

TEST(FenSetup, WrittenFenReadsBackAndFitsTheStartText) {
    const char* positions[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "1r1k1b1r/p1p1p1p1/1p1p1p1p/n1b1n1q1/1P1P1P1P/P1P1P1P1/1N1B1Q1B/R1NK3R b - - 0 1",
        "rnbqkbnr/pp1ppppp/8/8/2pPP3/8/PPP2PPP/RNBQKBNR b KQkq d3 0 3",
    };
    hb::GameBoard game;
    std::size_t longest = 0;
    for (const char* fen : positions) {
        SCOPED_TRACE(fen);
        ASSERT_GE(hb::setupFromFen(game, fen), 0);
        const std::string written = hb::writeFen(game);
        longest = std::max(longest, written.size());
        ASSERT_EQ(written[written.find(' ') - 1], '/');
        hb::GameBoard again;
        ASSERT_GE(hb::setupFromFen(again, written), 0);
        EXPECT_EQ(hb::writeFen(again), written);
        EXPECT_EQ(again.slotSquare, game.slotSquare);
    }
    EXPECT_EQ(game.epSquare, square("d3"));
    // Longer than a fixed 72-byte buffer would hold.
    EXPECT_GT(longest, 72u);
}

TEST(PieceSetup, SlotChoiceFollowsTheStartAssignment) {
    hb::GameBoard game;
    hb::clearForEdit(game);
    EXPECT_EQ(game.slotSquare[0], square("e1"));
    EXPECT_EQ(game.slotSquare[16], square("e8"));
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::King, square("d4")), -1);  // one king only
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::Rook, square("g3")), 3);
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::Rook, square("h2")), 2);
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::Rook, square("a2")), 15);
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::Bishop, square("a1")), 4);  // dark
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::Bishop, square("c3")), 5);
    EXPECT_EQ(hb::placePiece(game, hb::Black, hb::Bishop, square("c8")), 20);  // light
    EXPECT_EQ(hb::placePiece(game, hb::Black, hb::Bishop, square("d8")), 21);
    EXPECT_EQ(hb::placePiece(game, hb::Black, hb::Knight, square("h6")), 23);
    EXPECT_EQ(hb::placePiece(game, hb::Black, hb::Knight, square("g6")), 22);
    EXPECT_EQ(hb::placePiece(game, hb::Black, hb::Queen, square("d5")), 17);
    EXPECT_EQ(hb::placePiece(game, hb::Black, hb::Queen, square("d6")), 31);
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::WhitePawn, square("d6")), -2);
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::Queen, 64), -1);
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::Queen, -1), -1);

    // Pawns: own file, then one left, one right, two left, two right.
    EXPECT_EQ(hb::placePawn(game, hb::White, square("d2")), 11);
    EXPECT_EQ(hb::placePawn(game, hb::White, square("d3")), 10);
    EXPECT_EQ(hb::placePawn(game, hb::White, square("d4")), 12);
    EXPECT_EQ(hb::placePawn(game, hb::White, square("d5")), 9);
    EXPECT_EQ(hb::placePawn(game, hb::White, square("d6")), 13);
    EXPECT_EQ(hb::placePawn(game, hb::White, square("d7")), -1);
    EXPECT_EQ(hb::placePawn(game, hb::White, square("a8")), -1);
    EXPECT_EQ(hb::placePawn(game, hb::Black, square("b1")), -1);

    // Placing on an occupied square replaces the piece there.
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::Knight, square("d5")), 6);
    EXPECT_EQ(game.slotSquare[9], hb::OffBoard);
    EXPECT_EQ(game.board[square("d5")], 6);
    EXPECT_EQ(hb::placePawn(game, hb::Black, square("g3")), 30);
    EXPECT_EQ(game.slotSquare[3], hb::OffBoard);
}

TEST(PieceSetup, FinishSetupRefusesABoardWithoutKings) {
    hb::GameBoard game;
    hb::clearForEdit(game);
    hb::placePiece(game, hb::White, hb::Rook, square("h1"));
    hb::placePiece(game, hb::Black, hb::Rook, square("a8"));
    hb::deriveCastlingStates(game);
    EXPECT_EQ(game.castling, (std::array<std::int32_t, 4>{0, -1, -1, 0}));
    EXPECT_EQ(hb::finishSetup(game, hb::Black), 0);
    EXPECT_EQ(hb::writeFen(game), "r3k3/8/8/8/8/8/8/4K2R/ b Kq -");
    EXPECT_EQ(countMoves(game), 5 + 10 + 1);

    // Rights that the board no longer backs are dropped by the finish itself.
    removePiece(game, square("h1"));
    EXPECT_EQ(hb::finishSetup(game, hb::White), 0);
    EXPECT_EQ(game.castling[hb::CastleWhiteShort], -1);

    // The edit command "#" clears the board, kings included.
    hb::clearForEdit(game);
    removePiece(game, square("e1"));
    removePiece(game, square("e8"));
    EXPECT_EQ(hb::finishSetup(game, hb::White), hb::SetupMissingKing);
    EXPECT_EQ(game.gameResult, 1);
    EXPECT_EQ(countMoves(game), 0);

    // Derived states: a king away from home counts as castled towards its wing.
    hb::clearForEdit(game);
    removePiece(game, square("e1"));
    removePiece(game, square("e8"));
    EXPECT_EQ(hb::placePiece(game, hb::White, hb::King, square("g1")), 0);
    EXPECT_EQ(hb::placePiece(game, hb::Black, hb::King, square("c8")), 16);
    hb::deriveCastlingStates(game);
    EXPECT_EQ(game.castling, (std::array<std::int32_t, 4>{1, -1, -1, 1}));
}

TEST(FenSetup, LegalMoveCountsOfReferencePositions) {
    // Stockfish's perft 1 of each line, en-passant and castling fields included.
    int positions = 0;
    for (const char* file : {"perft-random.epd", "perft-noep.epd"}) {
        std::ifstream epd(halberd::testing::dataPath(file));
        std::string line;
        while (std::getline(epd, line)) {
            const auto depthOne = line.find(";D1 ");
            if (depthOne == std::string::npos) continue;
            SCOPED_TRACE(line);
            hb::GameBoard game;
            ASSERT_EQ(hb::setupFromFen(game, line.substr(0, depthOne)), 0);
            EXPECT_EQ(countMoves(game), std::stoi(line.substr(depthOne + 4)));
            hb::GameBoard again;
            ASSERT_EQ(hb::setupFromFen(again, hb::writeFen(game)), 0);
            EXPECT_EQ(again.legalMoves, game.legalMoves);
            ++positions;
        }
    }
    EXPECT_GT(positions, 300);
}
