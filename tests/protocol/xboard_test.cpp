// The xboard commands over pipes: replies, errors, set-ups and the case rules.
#include <gtest/gtest.h>

#include <fstream>

#include "diagram.h"
#include "enginepipe.h"
#include "test_data.h"

using halberd::testing::diagramOfFen;
using halberd::testing::EnginePipe;
using halberd::testing::StartDiagram;
using Lines = std::vector<std::string>;

TEST(ProtocolProtover, TwoAnnouncesTheFeaturesAndThreeIsUnknown) {
    EnginePipe engine;
    EXPECT_EQ(engine.exchange("protover 2"),
              (Lines{"feature myname=\"Halberd 4.7\" name=1 ping=1 time=1 analyze=1 setboard=1 memory=1 reuse=0 "
                     "egt=\"nalimov\"",
                     "feature draw=0 sigint=0 colors=0 nps=0 smp=1 variants=\"normal,fischerandom\"",
                     "feature option=\"RESIGN -check 1\"", "feature option=\"Ponder -check 0\"",
                     "feature option=\"MultiPV -spin 1 1 256\"", "feature option=\"USE BOOK -check 1\" done=1"}));
    EXPECT_EQ(engine.exchange("protover 3"), Lines{"Error (unknown command): PROTOVER 3"});
}

TEST(ProtocolCommands, SilentCommandsPrintNothing) {
    EnginePipe engine;
    for (const char* line :
         {"xboard", "white", "black", "hard", "easy", "name Some Opponent", "accepted ping", "rejected usermove",
          "random", "computer", "rating 2100 1850", "ics -", "reset", "new", "force", "draw", "cores 2", "nps 50000"})
        EXPECT_TRUE(engine.exchange(line).empty()) << line;
}

TEST(ProtocolPing, AnswersWithTheRestOfTheLineUnchanged) {
    EnginePipe engine;
    engine.send("ping 5");
    EXPECT_EQ(engine.readLine(), "pong 5");
    engine.send("PING");
    EXPECT_EQ(engine.readLine(), "pong");
    const std::string longArgument(5000, 'Z');
    engine.send("ping " + longArgument);
    EXPECT_EQ(engine.readLine(), "pong " + longArgument);
}

TEST(ProtocolCaseRules, LinesAreUpperCasedBeforeDispatch) {
    EnginePipe engine;
    EXPECT_EQ(engine.exchange("usermove e2e4"), Lines{"Error (unknown command): USERMOVE E2E4"});
    // UCI-only commands are unknown before the uci line.
    EXPECT_EQ(engine.exchange("isready"), Lines{"Error (unknown command): ISREADY"});
    EXPECT_EQ(engine.exchange("POSITION startpos"), Lines{"Error (unknown command): position startpos"});
    EXPECT_EQ(engine.exchange("SetOption name Hash value 8"),
              Lines{"Error (unknown command): setoption name Hash value 8"});
    EXPECT_EQ(engine.exchange("pRiNt"), StartDiagram);
    // Exact commands do not take arguments.
    EXPECT_EQ(engine.exchange("new game"), Lines{"Error (unknown command): NEW GAME"});
    // A set-up line keeps the case of its FEN whatever the keyword's case.
    const std::string fen = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    EXPECT_TRUE(engine.exchange("SetBoard " + fen).empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen(fen));
}

TEST(ProtocolLongLines, A5000ByteLineIsOneCommand) {
    EnginePipe engine;
    const std::string line(5000, 'q');
    EXPECT_EQ(engine.exchange(line), Lines{"Error (unknown command): " + std::string(5000, 'Q')});
    // A 5000-byte set-up line is read whole: its FEN is set up.
    const std::string fen = "4k3/8/8/8/8/8/8/4K2R w K - 0 1";
    const std::string padded = "setboard " + fen + std::string(5000 - 9 - fen.size(), ' ');
    ASSERT_EQ(padded.size(), 5000u);
    EXPECT_TRUE(engine.exchange(padded).empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen(fen));
}

TEST(ProtocolSetboard, RoundTripsThroughPrint) {
    EnginePipe engine;
    std::ifstream positions(halberd::testing::dataPath("perft-random.epd"));
    ASSERT_TRUE(positions.good());
    std::string line;
    int count = 0;
    while (count < 40 && std::getline(positions, line)) {
        const std::string fen = line.substr(0, line.find(';'));
        EXPECT_TRUE(engine.exchange("setboard " + fen).empty()) << fen;
        EXPECT_EQ(engine.exchange("print"), diagramOfFen(fen)) << fen;
        ++count;
    }
    EXPECT_EQ(count, 40);
    EXPECT_TRUE(engine.exchange("new").empty());
    EXPECT_EQ(engine.exchange("print"), StartDiagram);
}

TEST(ProtocolSetboard, RejectedPositionsAreReportedAndLeaveTheGame) {
    EnginePipe engine;
    const std::string kept = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
    EXPECT_TRUE(engine.exchange("setboard " + kept).empty());
    // No kings at all, then a missing White king.
    EXPECT_EQ(engine.exchange("setboard 8/8/8/8/8/8/8/8 w - - 0 1"),
              Lines{"tellusererror Illegal position -3: no white king"});
    EXPECT_EQ(engine.exchange("setboard 4k3/8/8/8/8/8/8/8 w - - 0 1"),
              Lines{"tellusererror Illegal position -3: no white king"});
    // The rule each refused placement breaks is named.
    EXPECT_EQ(engine.exchange("setboard 4k2P/8/8/8/8/8/8/4K3 w - - 0 1"),
              Lines{"tellusererror Illegal position -2: a pawn on the first or last rank"});
    EXPECT_EQ(engine.exchange("setboard 4k3/8/8/8/8/8/8/3KK3 w - - 0 1"),
              Lines{"tellusererror Illegal position -2: more than one white king"});
    EXPECT_EQ(engine.exchange("setboard 4k3/8/8/8/8/8/8/4K3 x - - 0 1"),
              Lines{"tellusererror Illegal position -2: the side to move is neither w nor b"});
    // A set-up line without a FEN is refused too (its code is the FEN reader's).
    const Lines empty = engine.exchange("setboard");
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].rfind("tellusererror Illegal position -", 0), 0u) << empty[0];
    // Ten White queens: more pieces than slots.
    EXPECT_EQ(engine.exchange("setboard QQQQQQQQ/QQ6/8/8/8/8/8/K6k w - - 0 1"),
              Lines{"tellusererror Illegal position -2: too many white pieces for the pawns that could have promoted"});
    // White to move while the Black king is in check.
    EXPECT_EQ(engine.exchange("setboard 4k3/8/8/8/8/8/8/4RK2 w - - 0 1"),
              Lines{"tellusererror Illegal position 524288: the side not to move is in check"});
    EXPECT_EQ(engine.exchange("print"), diagramOfFen(kept));
    // The game goes on from the kept position.
    EXPECT_TRUE(engine.exchange("force").empty());
    EXPECT_TRUE(engine.exchange("f1c4").empty());
    EXPECT_EQ(engine.exchange("print")[7], "tcfdr..t");
}

TEST(ProtocolUndoRemove, TakeBacksAndTheirErrors) {
    EnginePipe engine;
    EXPECT_EQ(engine.exchange("undo"), Lines{"Error (command not legal now): undo"});
    EXPECT_EQ(engine.exchange("remove"), Lines{"Error (command not legal now): remove"});
    EXPECT_TRUE(engine.exchange("force").empty());
    EXPECT_TRUE(engine.exchange("e2e4").empty());
    EXPECT_TRUE(engine.exchange("undo").empty());
    EXPECT_EQ(engine.exchange("print"), StartDiagram);
    EXPECT_TRUE(engine.exchange("e2e4").empty());
    EXPECT_TRUE(engine.exchange("e7e5").empty());
    EXPECT_TRUE(engine.exchange("g1f3").empty());
    EXPECT_TRUE(engine.exchange("remove").empty());
    const Lines afterTwo = engine.exchange("print");
    EXPECT_EQ(afterTwo[4], "....p...");
    EXPECT_EQ(afterTwo[1], "PPPPPPPP");
    // One half-move left: the first take-back succeeds, the second fails.
    EXPECT_EQ(engine.exchange("remove"), Lines{"Error (command not legal now): remove"});
    EXPECT_EQ(engine.exchange("print"), StartDiagram);
}

TEST(ProtocolEdit, PlacesPiecesAndKeepsTheSideToMove) {
    EnginePipe engine;
    EXPECT_TRUE(engine.exchange("force").empty());
    EXPECT_TRUE(engine.exchange("e2e4").empty());
    for (const char* line : {"edit", "#", "Ke1", "Ra1", "Pb5", "c", "Ke8", "Qd8", "Pb6", "."}) engine.send(line);
    EXPECT_EQ(engine.exchange("print"),
              (Lines{"...DR...", "........", ".P......", ".p......", "........", "........", "........", "t...r..."}));
    // Black is still to move; White may castle long, read from where king and rook stand.
    EXPECT_EQ(engine.exchange("e1c1"), Lines{"Illegal move: E1C1"});
    EXPECT_TRUE(engine.exchange("d8b8").empty());
    EXPECT_TRUE(engine.exchange("e1c1").empty());
    EXPECT_EQ(engine.exchange("print")[7], "..rt....");
}

TEST(ProtocolEdit, ARejectedEditIsReportedAndLeavesTheGame) {
    EnginePipe engine;
    for (const char* line : {"edit", "#", "Ke1", "Qd1", "."}) engine.send(line);
    EXPECT_EQ(engine.readLine(), "tellusererror Illegal position -3: a king is missing");
    EXPECT_EQ(engine.exchange("print"), StartDiagram);
    // White to move with the Black king in check.
    for (const char* line : {"edit", "#", "Ke1", "Qe7", "c", "Ke8", "."}) engine.send(line);
    EXPECT_EQ(engine.readLine(), "tellusererror Illegal position 524288: the side not to move is in check");
    EXPECT_EQ(engine.exchange("print"), StartDiagram);
}
