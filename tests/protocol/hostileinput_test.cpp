// Input meant to hurt, seen from outside: lines longer than any purpose needs in
// the configuration and game files, and an interface that closes the engine's
// output while the engine still has something to say.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "diagram.h"
#include "enginepipe.h"
#include "installedengine.h"

using halberd::testing::diagramOfFen;
using halberd::testing::EnginePipe;
using halberd::testing::InstalledEngine;
using halberd::testing::Program;
using namespace std::chrono_literals;

TEST(ProtocolHostileInput, OverlongFileLinesAreSkippedWithOneMessageAndReadingGoesOn) {
    InstalledEngine installed;
    const std::string overlong(std::size_t{3} << 20, '7');
    installed.writeConfig("HASHTABLE=20" + overlong + "\nLOGFILE=1\n");
    installed.writeFile("game.txt", "e2e4 " + overlong + "\n1. e2e4 e7e5\n");
    EnginePipe engine(Program{installed.program()}, {});
    ASSERT_TRUE(engine.stderrContains("type quit to exit\n"));
    const std::string cfgMessage = "halberd.cfg: line 1 is longer than 1048576 bytes; skipped\n";
    EXPECT_NE(engine.stderrText().find(cfgMessage), std::string::npos) << engine.stderrText();
    // The sizes of the default hash exponent: the HASHTABLE line was not applied.
    EXPECT_NE(engine.stderrText().find("Hash=3MB HP=0MB"), std::string::npos) << engine.stderrText();
    EXPECT_TRUE(engine.exchange("partie " + installed.file("game.txt")).empty());
    EXPECT_TRUE(engine.stderrContains("game.txt: line 1 is longer than 1048576 bytes; skipped\n"));
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR"));
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
    // The line after the long one switched the log on.
    EXPECT_TRUE(std::filesystem::exists(installed.file("halberd.log")));
}

TEST(ProtocolHostileInput, AClosedOutputEndsTheEngineWithStatusZeroAndItsLogWhole) {
    // Idle, the next reply finds the output gone; searching, the engine's move does.
    for (const bool searching : {false, true}) {
        InstalledEngine installed;
        installed.writeConfig("LOGFILE=1\nUSE_BOOK=0\n");
        EnginePipe engine(Program{installed.program()}, {});
        EXPECT_TRUE(engine.exchange("new").empty());
        EXPECT_TRUE(engine.exchange("force").empty());
        EXPECT_TRUE(engine.exchange("e2e4").empty());
        engine.closeOutput();
        if (searching) {
            engine.send("st 1");
            engine.send("go");
        } else {
            engine.send("print");
        }
        // Standard input stays open: the engine must notice by itself.
        EXPECT_EQ(engine.waitExit(20s), 0) << (searching ? "searching" : "idle");
        const std::string log = installed.log();
        EXPECT_NE(log.find("1.   e4 ({})\n"), std::string::npos) << log;
        if (searching) {
            EXPECT_NE(log.find("\n1... "), std::string::npos) << log;
        }
    }
}
