#include "board/notation.h"

#include <gtest/gtest.h>

#include <fstream>

#include "board/fen.h"
#include "test_data.h"

namespace hb = halberd::board;

namespace {

int square(const char* name) { return hb::parseSquare(name[0], name[1]); }

hb::Move move(const char* from, const char* to, int kind = hb::Ordinary) {
    return hb::makeMove(square(from), square(to), kind);
}

struct Game {
    explicit Game(const std::string& fen) { result = hb::setupFromFen(game, fen); }
    hb::GameBoard game;
    int result = 0;

    std::string san(hb::Move m) const {
        std::string out;
        hb::writeSan(out, m, game.legalMoves.data(), game.scratch);
        return out;
    }
    hb::Move parse(const std::string& text) const {
        return hb::parseSan(text, game.sideToMove, game.legalMoves.data(), game.scratch);
    }
    hb::Move listed(hb::Move m) const {
        for (const hb::Move entry : game.legalMoves) {
            if (entry == hb::NoMove) break;
            if (hb::sameMove(entry, m)) return entry;
        }
        return hb::NoMove;
    }
};

}  // namespace

TEST(CoordinateNotation, PromotionLettersInBothLanguagesAndCases) {
    const hb::Move queen = move("e7", "e8", hb::PromoteQueen);
    for (const char* text : {"e7e8q", "E7E8Q", "e7e8=Q", "e7e8=q", "e7e8d", "E7E8=D"})
        EXPECT_EQ(hb::parseCoordinate(text, hb::White), queen) << text;
    EXPECT_EQ(hb::parseCoordinate("e7e8c", hb::White), move("e7", "e8", hb::PromoteKnight));
    EXPECT_EQ(hb::parseCoordinate("e7e8n", hb::White), move("e7", "e8", hb::PromoteKnight));
    EXPECT_EQ(hb::parseCoordinate("e7e8t", hb::White), move("e7", "e8", hb::PromoteRook));
    EXPECT_EQ(hb::parseCoordinate("e7e8r", hb::White), move("e7", "e8", hb::PromoteRook));
    EXPECT_EQ(hb::parseCoordinate("e7e8f", hb::White), move("e7", "e8", hb::PromoteBishop));
    EXPECT_EQ(hb::parseCoordinate("b2a1b", hb::Black), move("b2", "a1", hb::PromoteBishop));
    // A letter that names no piece, or "=" with nothing after it, gives no kind.
    EXPECT_EQ(hb::parseCoordinate("e7e8x", hb::White), move("e7", "e8"));
    EXPECT_EQ(hb::parseCoordinate("e7e8=", hb::White), move("e7", "e8"));
}

TEST(CoordinateNotation, SuffixesAndCastling) {
    EXPECT_EQ(hb::parseCoordinate("e2e4+", hb::White), move("e2", "e4"));
    EXPECT_EQ(hb::parseCoordinate("e2e4#", hb::White), move("e2", "e4"));
    EXPECT_EQ(hb::parseCoordinate("e2e4 ", hb::White), move("e2", "e4"));
    EXPECT_EQ(hb::parseCoordinate("e5d6ep", hb::White), move("e5", "d6", hb::EnPassant));
    EXPECT_EQ(hb::parseCoordinate("E5D6EP", hb::White), move("e5", "d6", hb::EnPassant));
    for (const char* text : {"o-o", "0-0", "O-O", "O-O+", "0-0#"}) {
        EXPECT_EQ(hb::parseCoordinate(text, hb::White), hb::WhiteCastleShort) << text;
        EXPECT_EQ(hb::parseCoordinate(text, hb::Black), hb::BlackCastleShort) << text;
    }
    for (const char* text : {"O-O-O", "o-o-o", "0-0-0", "O-O-O+"}) {
        EXPECT_EQ(hb::parseCoordinate(text, hb::White), hb::WhiteCastleLong) << text;
        EXPECT_EQ(hb::parseCoordinate(text, hb::Black), hb::BlackCastleLong) << text;
    }
    // Short or broken texts are no moves, and nothing is read past their end.
    for (const char* text : {"", "e", "e2", "e2e", "O", "0-", "O-O-", "O-O-0", "OO", "o", "i2e4", "e9e4", "e2e0",
                             "2e4e", "ee22", "\xff\xfe\xfd\xfc"})
        EXPECT_EQ(hb::parseCoordinate(text, hb::White), hb::NoMove) << text;
}

TEST(CoordinateNotation, WrittenFormReadsBack) {
    EXPECT_EQ(hb::writeCoordinate(move("e2", "e4")), "e2e4");
    EXPECT_EQ(hb::writeCoordinate(hb::WhiteCastleShort), "e1g1");
    EXPECT_EQ(hb::writeCoordinate(hb::BlackCastleLong), "e8c8");
    EXPECT_EQ(hb::writeCoordinate(move("e5", "d6", hb::EnPassant) | hb::CaptureMark), "e5d6");
    const char* promotions[] = {"a7b8Q", "a7b8R", "a7b8B", "a7b8N"};
    for (int kind = hb::PromoteQueen; kind <= hb::PromoteKnight; ++kind) {
        const hb::Move m = move("a7", "b8", kind);
        EXPECT_EQ(hb::writeCoordinate(m), promotions[kind - hb::PromoteQueen]);
        EXPECT_EQ(hb::parseCoordinate(hb::writeCoordinate(m), hb::White), m);
    }
    for (int from = 0; from < 64; ++from)
        for (int to = 0; to < 64; ++to)
            ASSERT_EQ(hb::parseCoordinate(hb::writeCoordinate(hb::makeMove(from, to)), hb::White),
                      hb::makeMove(from, to));
}

TEST(SanNotation, WriteSanMoveForms) {
    std::string out;
    hb::writeSanMove(out, hb::WhiteCastleShort, hb::King, false, "");
    hb::writeSanMove(out, hb::BlackCastleLong, hb::King, false, "");
    hb::writeSanMove(out, move("e2", "e4"), hb::WhitePawn, false, "");
    hb::writeSanMove(out, move("e4", "d5"), hb::WhitePawn, true, "");
    hb::writeSanMove(out, move("e5", "d6", hb::EnPassant), hb::WhitePawn, false, "");
    hb::writeSanMove(out, move("b1", "d2"), hb::Knight, false, "b");
    hb::writeSanMove(out, move("a1", "a2"), hb::Rook, true, "1");
    hb::writeSanMove(out, move("e7", "e8", hb::PromoteQueen), hb::WhitePawn, false, "");
    hb::writeSanMove(out, move("d2", "e1", hb::PromoteKnight), hb::BlackPawn, true, "");
    EXPECT_EQ(out, "O-O O-O-O e4 exd5 exd6 Nbd2 R1xa2 e8=Q dxe1=N ");
}

TEST(SanNotation, PawnFilesAgainstBishops) {
    const Game s("4k3/8/8/8/8/2n5/1P1B4/4K3 w - - 0 1");
    ASSERT_EQ(s.result, 0);
    const hb::Move pawnTakes = move("b2", "c3");
    const hb::Move bishopTakes = move("d2", "c3");
    ASSERT_NE(s.listed(pawnTakes), hb::NoMove);
    ASSERT_NE(s.listed(bishopTakes), hb::NoMove);
    EXPECT_EQ(s.parse("bc3"), pawnTakes);
    EXPECT_EQ(s.parse("bxc3"), pawnTakes);
    EXPECT_EQ(s.parse("Bc3"), bishopTakes);
    EXPECT_EQ(s.parse("Bxc3"), bishopTakes);
    EXPECT_EQ(s.parse("Bdc3"), bishopTakes);
    EXPECT_EQ(s.parse("Bec3"), hb::NoMove);
    EXPECT_EQ(s.parse("Pc3"), hb::NoMove);
    EXPECT_EQ(s.parse("Zc3"), hb::NoMove);
    EXPECT_EQ(s.parse("b3"), move("b2", "b3"));
    EXPECT_EQ(s.parse("kf1"), move("e1", "f1"));
    // A lower-case "b" that moves no pawn is the bishop; upper case is only ever the bishop.
    EXPECT_EQ(s.parse("bc1"), move("d2", "c1"));
    EXPECT_EQ(s.parse("bf4"), move("d2", "f4"));
    EXPECT_EQ(s.parse("bxc3+"), pawnTakes);
    EXPECT_EQ(s.parse("Bf4"), move("d2", "f4"));
    EXPECT_EQ(s.san(pawnTakes), "bxc3 ");
    EXPECT_EQ(s.san(bishopTakes), "Bxc3 ");
    // Broken texts.
    for (const char* text : {"", "B", "Bx", "N", "Bc", "Bxx", "Bc9", "B12", "bc3=Z", "Bab1c3", "x", "Bc3junk", "b"})
        EXPECT_EQ(s.parse(text), hb::NoMove) << text;
    // The form alone, as the console asks before it has a position.
    for (const char* text : {"Nf3", "e4", "exd", "Qh4xe1", "R1d2", "e8Q", "bb5", "Bxc6+"})
        EXPECT_TRUE(hb::isSanText(text)) << text;
    for (const char* text : {"", "d", "e", "hello", "Zc3", "N", "e4e", "Nf3 go"})
        EXPECT_FALSE(hb::isSanText(text)) << text;
    // A move that is not in the list writes nothing.
    EXPECT_EQ(s.san(move("d2", "a5")), "");
    EXPECT_EQ(s.san(move("e4", "e5")), "");
}

TEST(SanNotation, PromotionsNeedTheirLetter) {
    const Game s("k7/4P3/8/8/8/8/8/4K3 w - - 0 1");
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(s.parse("e8Q"), move("e7", "e8", hb::PromoteQueen));
    EXPECT_EQ(s.parse("e8b"), move("e7", "e8", hb::PromoteBishop));
    EXPECT_EQ(s.parse("e8"), hb::NoMove);  // four promotions fit
    EXPECT_EQ(s.parse("e8=Q"), move("e7", "e8", hb::PromoteQueen));
    EXPECT_EQ(s.parse("e8=D"), move("e7", "e8", hb::PromoteQueen));
    EXPECT_EQ(s.parse("e8=N+"), move("e7", "e8", hb::PromoteKnight));
    EXPECT_EQ(s.parse("e8=c"), move("e7", "e8", hb::PromoteKnight));
    EXPECT_EQ(s.parse("e7e8=R"), move("e7", "e8", hb::PromoteRook));
    EXPECT_EQ(s.parse("Kd2=Q"), hb::NoMove);
    EXPECT_EQ(s.san(move("e7", "e8", hb::PromoteBishop)), "e8=B ");
    EXPECT_EQ(s.san(move("e7", "e8")), "");  // squares of a promotion without its kind
}

TEST(SanNotation, Disambiguation) {
    {
        const Game s("4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1");
        EXPECT_EQ(s.san(move("b1", "d2")), "Nbd2 ");
        EXPECT_EQ(s.san(move("f1", "d2")), "Nfd2 ");
        EXPECT_EQ(s.san(move("b1", "c3")), "Nc3 ");
        EXPECT_EQ(s.parse("Nd2"), hb::NoMove);
        EXPECT_EQ(s.parse("Nbd2"), move("b1", "d2"));
        EXPECT_EQ(s.parse("nfd2"), move("f1", "d2"));
        EXPECT_EQ(s.parse("Nb1d2"), move("b1", "d2"));
    }
    {
        const Game s("4k3/8/8/8/8/R7/8/R3K3 w - - 0 1");
        EXPECT_EQ(s.san(move("a1", "a2")), "R1a2 ");
        EXPECT_EQ(s.san(move("a3", "a2")), "R3a2 ");
        EXPECT_EQ(s.parse("R1a2"), move("a1", "a2"));
        EXPECT_EQ(s.parse("r3a2"), move("a3", "a2"));
        EXPECT_EQ(s.parse("Ra2"), hb::NoMove);
    }
    {
        // Three queens on b2's diagonals: a1 shares a file with a3 and a rank with c1.
        const Game s("8/7k/8/8/8/Q7/8/Q1Q1K3 w - - 0 1");
        EXPECT_EQ(s.san(move("a1", "b2")), "Qa1b2 ");
        EXPECT_EQ(s.san(move("a3", "b2")), "Q3b2 ");
        EXPECT_EQ(s.san(move("c1", "b2")), "Qcb2 ");
        EXPECT_EQ(s.parse("Qa1b2"), move("a1", "b2"));
        EXPECT_EQ(s.parse("Qa1xb2"), move("a1", "b2"));
        EXPECT_EQ(s.parse("Qab2"), hb::NoMove);
        EXPECT_EQ(s.parse("Q1b2"), hb::NoMove);
    }
    {
        const Game s("7k/8/2N5/8/8/8/2N1N3/K7 w - - 0 1");
        EXPECT_EQ(s.san(move("c2", "d4")), "Nc2d4 ");
        EXPECT_EQ(s.san(move("e2", "d4")), "Ned4 ");
        EXPECT_EQ(s.san(move("c6", "d4")), "N6d4 ");
    }
}

TEST(SanNotation, EnPassantAndCastling) {
    const Game ep("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    const hb::Move capture = move("e5", "d6");
    ASSERT_NE(ep.listed(move("e5", "d6", hb::EnPassant)), hb::NoMove);
    EXPECT_EQ(ep.san(ep.listed(move("e5", "d6", hb::EnPassant))), "exd6 ");
    EXPECT_EQ(ep.san(capture), "exd6 ");
    EXPECT_EQ(ep.parse("exd6"), capture);
    EXPECT_EQ(ep.parse("exd6ep"), capture);
    EXPECT_EQ(ep.parse("exd6 e.p."), capture);
    EXPECT_EQ(ep.parse("exd"), capture);

    const Game castle("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    EXPECT_EQ(castle.san(hb::BlackCastleShort), "O-O ");
    EXPECT_EQ(castle.san(move("e8", "c8")), "O-O-O ");
    EXPECT_EQ(castle.parse("O-O"), hb::BlackCastleShort);
    EXPECT_EQ(castle.parse("0-0-0"), hb::BlackCastleLong);
    EXPECT_EQ(castle.parse("Kg8"), move("e8", "g8"));
    EXPECT_EQ(castle.parse("Kf7"), move("e8", "f7"));
}

TEST(SanNotation, EveryLegalMoveRoundTrips) {
    std::vector<std::string> fens = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
        "7k/8/2N5/8/8/8/2N1N3/K7 w - - 0 1",
    };
    std::ifstream epd(halberd::testing::dataPath("perft-random.epd"));
    std::string line;
    for (int i = 0; i < 60 && std::getline(epd, line); ++i) fens.push_back(line.substr(0, line.find(';')));
    ASSERT_GT(fens.size(), 60u);

    int checked = 0;
    for (const std::string& fen : fens) {
        SCOPED_TRACE(fen);
        const Game s(fen);
        ASSERT_GE(s.result, 0);
        for (const hb::Move m : s.game.legalMoves) {
            if (m == hb::NoMove) break;
            const std::string san = s.san(m);
            ASSERT_FALSE(san.empty()) << hb::writeCoordinate(m);
            EXPECT_EQ(san.back(), ' ');
            const hb::Move parsed = s.parse(san);
            EXPECT_TRUE(hb::sameSquares(parsed, m)) << san;
            EXPECT_FALSE(hb::isCapture(parsed)) << san;
            const bool kindKept =
                hb::isPromotion(m) || hb::moveKind(m) == hb::CastleShort || hb::moveKind(m) == hb::CastleLong;
            EXPECT_EQ(hb::moveKind(parsed), kindKept ? hb::moveKind(m) : hb::Ordinary) << san;
            const hb::Move coordinate = hb::parseCoordinate(hb::writeCoordinate(m), s.game.sideToMove);
            EXPECT_TRUE(hb::sameSquares(coordinate, m));
            EXPECT_EQ(hb::isPromotion(coordinate), hb::isPromotion(m));
            if (hb::isPromotion(m)) {
                EXPECT_TRUE(hb::sameMove(coordinate, m));
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 1000);
}
