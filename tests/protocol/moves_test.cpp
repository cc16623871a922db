// Entered moves and the result line of each outcome.
#include <gtest/gtest.h>

#include "diagram.h"
#include "enginepipe.h"

using halberd::testing::diagramOfFen;
using halberd::testing::EnginePipe;
using halberd::testing::StartDiagram;
using Lines = std::vector<std::string>;

namespace {

// An engine in force mode, so that entered moves are not answered.
struct ForcedEngine : EnginePipe {
    ForcedEngine() { send("force"); }
    // Plays the moves one by one and gathers everything printed meanwhile.
    Lines play(std::initializer_list<std::string_view> moves) {
        Lines all;
        for (const auto move : moves)
            for (auto& line : exchange(move)) all.push_back(line);
        return all;
    }
};

}  // namespace

TEST(ProtocolEnteredMoves, AMovePlaysSilentlyInForceMode) {
    ForcedEngine engine;
    EXPECT_TRUE(engine.play({"e2e4", "E7E5", "g1f3", "b8c6", "f1b5", "g8f6", "e1g1"}).empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("r1bqkb1r/pppp1ppp/2n2n2/1B2p3/4P3/5N2/PPPP1PPP/RNBQ1RK1"));
    // An en-passant capture and Black's castling, both written as plain coordinates.
    EXPECT_TRUE(engine.play({"f8c5", "d2d4", "e5d4", "c2c4", "d4c3", "b1c3", "e8g8"}).empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("r1bq1rk1/pppp1ppp/2n2n2/1Bb5/4P3/2N2N2/PP3PPP/R1BQ1RK1"));
}

TEST(ProtocolEnteredMoves, IllegalMovesInTheirThreeForms) {
    ForcedEngine engine;
    EXPECT_EQ(engine.exchange("e2e5"), Lines{"Illegal move: E2E5"});
    EXPECT_EQ(engine.exchange("e7e5"), Lines{"Illegal move: E7E5"});
    EXPECT_EQ(engine.exchange("e1e2"), Lines{"Illegal move: E1E2"});
    EXPECT_EQ(engine.exchange("print"), StartDiagram);
    // A promotion without its piece.
    EXPECT_TRUE(engine.exchange("setboard 7k/4P3/8/8/8/8/8/K7 w - - 0 1").empty());
    EXPECT_EQ(engine.exchange("e7e8"), Lines{"Illegal move (promote?): E7E8"});
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("7k/4P3/8/8/8/8/8/K7"));
    EXPECT_TRUE(engine.exchange("e7e8r").empty());
    EXPECT_EQ(engine.exchange("print")[0], "....t..R");
    // After a mate the mated side's moves leave its king attacked.
    EXPECT_TRUE(engine.exchange("new").empty());
    EXPECT_TRUE(engine.exchange("force").empty());
    EXPECT_EQ(engine.play({"f2f3", "e7e5", "g2g4", "d8h4"}), Lines{"0-1 {Black mates}"});
    EXPECT_EQ(engine.exchange("e2e3"), Lines{"Illegal move (error): E2E3"});
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR"));
}

// What a person types: SAN in either case of its first letter, with check
// signs and promotions with or without "=", beside the commands.
TEST(ProtocolEnteredMoves, StandardAlgebraicNotation) {
    ForcedEngine engine;
    EXPECT_TRUE(engine.play({"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Bxc6", "bxc6", "0-0", "d6"}).empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("r1bqkbnr/2p2ppp/p1pp4/4p3/4P3/5N2/PPPP1PPP/RNBQ1RK1"));
    EXPECT_TRUE(engine.play({"d3", "Bg4!"}).empty());
    // Both knights reach d2: ambiguous until the file is named.
    EXPECT_EQ(engine.exchange("Nd2"), Lines{"Illegal move: Nd2"});
    EXPECT_TRUE(engine.play({"Nbd2", "Bxf3", "Nxf3"}).empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("r2qkbnr/2p2ppp/p1pp4/4p3/4P3/3P1N2/PPP2PPP/R1BQ1RK1"));
    // Commands win over moves; a word that is no move is no command either.
    EXPECT_EQ(engine.exchange("d").size(), 20u);
    EXPECT_EQ(engine.exchange("hello"), Lines{"Error (unknown command): HELLO"});
    EXPECT_TRUE(engine.exchange("setboard 7k/4P3/8/8/8/8/8/K7 w - - 0 1").empty());
    EXPECT_TRUE(engine.exchange("e8Q").empty());
    EXPECT_EQ(engine.exchange("print")[0], "....d..R");
}

TEST(ProtocolResults, MatesAndStalemate) {
    ForcedEngine engine;
    EXPECT_TRUE(engine.exchange("setboard 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1").empty());
    EXPECT_EQ(engine.exchange("a1a8"), Lines{"1-0 {White mates}"});
    EXPECT_TRUE(engine.exchange("setboard k7/8/8/1Q6/8/8/8/7K w - - 0 1").empty());
    EXPECT_EQ(engine.exchange("b5b6"), Lines{"1/2-1/2 {Stalemate}"});
    // A back-rank mate by Black.
    EXPECT_TRUE(engine.exchange("setboard 6k1/8/8/8/8/8/r4PPP/6K1 b - - 0 1").empty());
    EXPECT_EQ(engine.exchange("a2a1"), Lines{"0-1 {Black mates}"});
}

TEST(ProtocolResults, TripleRepetition) {
    ForcedEngine engine;
    // The position after e7e5 comes back twice through the knights' dance; its
    // third occurrence is the tenth half-move. The positions between occur twice only.
    EXPECT_TRUE(engine.play({"e2e4", "e7e5", "g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1"}).empty());
    EXPECT_EQ(engine.exchange("f6g8"), Lines{"1/2-1/2 {Triple repetition}"});
    // The move was played all the same, and the game goes on.
    EXPECT_EQ(engine.exchange("print")[0], "TCFDRFCT");
    EXPECT_TRUE(engine.exchange("b1c3").empty());
}

TEST(ProtocolResults, FiftyMovesWithoutCaptureOrPawnMove) {
    ForcedEngine engine;
    // Blocked a-pawns keep mating material on the board; the White king walks
    // fifty new squares while the Black king steps between h8 and g8, so no
    // position repeats and the hundredth half-move is the last.
    EXPECT_TRUE(engine.exchange("setboard 7k/8/8/8/8/p7/P7/K7 w - - 0 1").empty());
    const std::vector<std::string> walk = {"b1", "c1", "d1", "e1", "f1", "g1", "h1", "h2", "g2", "f2", "e2", "d2", "c2",
                                           "b3", "c3", "d3", "e3", "f3", "g3", "h3", "h4", "g4", "f4", "e4", "d4", "c4",
                                           "b4", "a4", "a5", "b5", "c5", "d5", "e5", "f5", "g5", "h5", "h6", "g6", "f6",
                                           "e6", "d6", "c6", "b6", "a6", "a7", "b7", "c7", "d7", "e7", "d8"};
    ASSERT_EQ(walk.size(), 50u);
    std::string from = "a1";
    Lines printed;
    for (std::size_t i = 0; i < walk.size(); ++i) {
        for (auto& line : engine.exchange(from + walk[i])) printed.push_back(line);
        from = walk[i];
        const std::string black = i % 2 == 0 ? "h8g8" : "g8h8";
        const Lines reply = engine.exchange(black);
        if (i + 1 < walk.size())
            for (auto& line : reply) printed.push_back(line);
        else
            EXPECT_EQ(reply, Lines{"1/2-1/2 {50 moves rule}"});
    }
    EXPECT_TRUE(printed.empty()) << printed.front();
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("3K3k/8/8/8/8/p7/P7/8"));
}

TEST(ProtocolResults, InsufficientMaterial) {
    ForcedEngine engine;
    EXPECT_TRUE(engine.exchange("setboard 4k3/8/8/8/8/8/3p4/4K3 w - - 0 1").empty());
    EXPECT_EQ(engine.exchange("e1d2"), Lines{"1/2-1/2 {Insufficient material}"});
    // King and knight against king: dead as well.
    EXPECT_TRUE(engine.exchange("setboard 4k3/8/8/8/8/8/3p4/4K1N1 w - - 0 1").empty());
    EXPECT_EQ(engine.exchange("e1d2"), Lines{"1/2-1/2 {Insufficient material}"});
    // A pawn left on the board keeps the game alive.
    EXPECT_TRUE(engine.exchange("setboard 4k3/8/8/8/8/8/3p3P/4K3 w - - 0 1").empty());
    EXPECT_TRUE(engine.exchange("e1d2").empty());
}
