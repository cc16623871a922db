// The configuration file beside the executable and the command-line options,
// seen from outside: the memory line, the game log switch, failures and exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "diagram.h"
#include "enginepipe.h"
#include "installedengine.h"

using halberd::testing::diagramOfFen;
using halberd::testing::EnginePipe;
using halberd::testing::InstalledEngine;
using halberd::testing::Program;
using namespace std::chrono_literals;

namespace {

// The "Hash=..MB HP=..MB Sst=76" line of an engine started with the configuration and options.
std::string memoryLine(const std::string& config, std::vector<std::string> options = {}) {
    InstalledEngine installed;
    if (!config.empty()) installed.writeConfig(config);
    EnginePipe engine(Program{installed.program()}, std::move(options));
    if (!engine.stderrContains("type quit to exit\n")) return "<no start-up>";
    const std::string& text = engine.stderrText();
    const auto start = text.find("Hash=");
    if (start == std::string::npos) return "<no memory line>";
    return text.substr(start, text.find('\n', start) - start);
}

}  // namespace

TEST(ProtocolConfiguration, HashSizesFromTheFileAndTheOption) {
    // Without a file or options the tables get the smallest size, 4 MiB = 2^(18 + 4).
    const std::string smallest = memoryLine("");
    EXPECT_EQ(memoryLine("HASHTABLE=18\n"), smallest);
    // -h20 gives 2^23 bytes and HASHTABLE=20 gives 2^24.
    const std::string eight = memoryLine("HASHTABLE=19\n");
    const std::string sixteen = memoryLine("HASHTABLE=20\n");
    EXPECT_NE(eight, smallest);
    EXPECT_NE(sixteen, eight);
    EXPECT_EQ(memoryLine("", {"-h20"}), eight);
    EXPECT_EQ(memoryLine("", {"-h21"}), sixteen);
    // The option comes after the file; keys in any case, comments and CR-LF lines.
    EXPECT_EQ(memoryLine("; sizes\r\nhashtable=12\r\n", {"-h21"}), sixteen);
    EXPECT_EQ(memoryLine(" HashTable=20\r\n"), sixteen);
}

TEST(ProtocolConfiguration, BadTimeOptionIsReportedAndTheEngineGoesOn) {
    InstalledEngine installed;
    EnginePipe engine(Program{installed.program()}, {"-t0", "-tabc"});
    EXPECT_EQ(engine.readLine(), "temps??");
    EXPECT_EQ(engine.readLine(), "temps??");
    EXPECT_TRUE(engine.stderrContains("type quit to exit\n"));
    EXPECT_EQ(engine.exchange("print").size(), 8u);
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ProtocolConfiguration, UnreadableFilesEndWithStatusOne) {
    InstalledEngine installed;
    // A position file without a black king, a game file with an illegal move, and a PGN file.
    installed.writeFile("position.txt", "b\nre1\n");
    installed.writeFile("game.txt", "1. e2e4 e7e5 2. e4e5\n");
    installed.writeFile("game.pgn", "[Event \"Club game\"]\n\n1. e4 e5 2. Nf3 *\n");
    struct Case {
        std::string option, file, reason;
    };
    for (const Case& c :
         {Case{"-p", "missing.txt", "No such file or directory"},
          Case{"-f", "missing.txt", "No such file or directory"}, Case{"-p", "position.txt", "a king is missing"},
          Case{"-f", "game.txt", "an illegal move"},
          Case{"-f", "game.pgn", "not a game file (moves in coordinate notation, such as e2e4, expected)"}}) {
        EnginePipe engine(Program{installed.program()}, {c.option + installed.file(c.file)});
        EXPECT_EQ(engine.readLine(), "fichier?? " + installed.file(c.file) + ": " + c.reason) << c.option << c.file;
        EXPECT_EQ(engine.waitExit(), 1) << c.option << c.file;
    }
}

TEST(ProtocolConfiguration, OptionsOnlyFromTheFile) {
    InstalledEngine installed;
    installed.writeConfig("USE_BOOK=0\nRESIGN=0\nNULLEVAL=3\nTB_CACHE_SIZE=16\nTABLEBASE=/data/tb\n");
    EnginePipe engine(Program{installed.program()}, {});
    EXPECT_EQ(engine.exchange("protover 2"),
              (std::vector<std::string>{
                  "feature myname=\"Halberd 4.7\" name=1 ping=1 time=1 analyze=1 setboard=1 memory=1 reuse=0 "
                  "egt=\"nalimov\"",
                  "feature draw=0 sigint=0 colors=0 nps=0 smp=1 variants=\"normal,fischerandom\"",
                  "feature option=\"RESIGN -check 0\"", "feature option=\"Ponder -check 0\"",
                  "feature option=\"MultiPV -spin 1 1 256\"", "feature option=\"USE BOOK -check 0\" done=1"}));
    // The xboard option command changes them back.
    EXPECT_TRUE(engine.exchange("option USE BOOK=1 RESIGN=1 Ponder=1").empty());
    EXPECT_EQ(engine.exchange("protover 2")[2], "feature option=\"RESIGN -check 1\"");
    EXPECT_EQ(engine.exchange("protover 2")[3], "feature option=\"Ponder -check 1\"");
}

TEST(ProtocolGameFile, PartieLoadsAGameWhoseNameKeepsItsCase) {
    InstalledEngine installed;
    installed.writeFile("Opening.Game", "[Event \"x\"]\n1. e2e4 e7e5 2. g1f3 b8c6\n");
    EnginePipe engine(Program{installed.program()}, {});
    EXPECT_TRUE(engine.exchange("partie " + installed.file("Opening.Game")).empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R"));
    // A file that cannot be read changes nothing and says nothing.
    EXPECT_TRUE(engine.exchange("partie " + installed.file("opening.game")).empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R"));
    // A game with a set-up line and a bad move stops at the bad move.
    installed.writeFile("endgame.txt", "[FEN 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\n1. e2e4 e8d7 2. e4e6 d7d6\n");
    EXPECT_TRUE(engine.exchange("partie " + installed.file("endgame.txt")).empty());
    EXPECT_EQ(engine.exchange("print"), diagramOfFen("8/3k4/8/8/4P3/8/8/4K3"));
}

TEST(ProtocolGameLog, HeaderMovesResultsFlushedAsWritten) {
    InstalledEngine installed;
    installed.writeConfig("LOGFILE=1\n");
    EnginePipe engine(Program{installed.program()}, {});
    EXPECT_TRUE(engine.exchange("new").empty());
    EXPECT_TRUE(engine.exchange("force").empty());
    EXPECT_TRUE(engine.exchange("e2e4").empty());
    EXPECT_TRUE(engine.exchange("e7e5").empty());
    EXPECT_TRUE(engine.exchange("g1f3").empty());
    EXPECT_EQ(engine.exchange("e1e3"), std::vector<std::string>{"Illegal move: E1E3"});
    EXPECT_TRUE(engine.exchange("result 1-0 {Black resigns}").empty());
    // Read while the engine still runs: every entry is on disk already.
    const std::string log = installed.log();
    const auto body = log.find("]\n", log.find("[Date")) + 2;
    EXPECT_EQ(log.rfind("[Event \"Computer chess game\"]\n[Date \"", 0), 0u) << log;
    EXPECT_EQ(log.substr(body), "1.   e4 ({})\n1... e5 ({})\n2.   Nf3 ({})\n1-0 {BLACK RESIGNS}\n");
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ProtocolGameLog, ALogThatCannotBeWrittenIsReportedOnce) {
    InstalledEngine installed;
    installed.writeConfig("LOGFILE=1\n");
    std::filesystem::create_directory(installed.program() + ".log");
    EnginePipe engine(Program{installed.program()}, {});
    for (const char* line : {"new", "force", "e2e4", "result 1-0 {adjourned}"}) engine.exchange(line);
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
    const std::string told = "The game log " + installed.program() + ".log cannot be written: Is a directory\n";
    const std::string& err = engine.stderrText();
    ASSERT_NE(err.find(told), std::string::npos) << err;
    EXPECT_EQ(err.find(told, err.find(told) + 1), std::string::npos);
}

TEST(ProtocolGameLog, NoLogUnlessTheFileAsksForIt) {
    InstalledEngine installed;
    EnginePipe engine(Program{installed.program()}, {});
    EXPECT_TRUE(engine.exchange("new").empty());
    EXPECT_TRUE(engine.exchange("result 1-0").empty());
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
    EXPECT_FALSE(std::filesystem::exists(installed.file("halberd.log")));
}

TEST(ProtocolGameLog, EngineMovesAndAnalysisEntries) {
    InstalledEngine installed;
    installed.writeConfig("LOGFILE=1\nUSE_BOOK=0\n");
    EnginePipe engine(Program{installed.program()}, {});
    EXPECT_TRUE(engine.exchange("new").empty());
    EXPECT_TRUE(engine.exchange("level 40 1 0").empty());
    EXPECT_TRUE(engine.exchange("time 1000").empty());
    engine.send("e2e4");
    std::optional<std::string> reply;
    while ((reply = engine.readLine(20s)) && !reply->starts_with("move ")) {}
    ASSERT_TRUE(reply);
    engine.exchange("analyze");
    engine.exchange("exit");
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
    const std::string log = installed.log();
    const auto body = log.find("]\n", log.find("[Date")) + 2;
    const std::string entries = log.substr(body);
    // "1.   e4 ({})", then the answer with its score and variation, then the
    // move-less entry of the analysis.
    ASSERT_EQ(entries.rfind("1.   e4 ({})\n1... ", 0), 0u) << entries;
    const auto second = entries.find('\n') + 1;
    const std::string answer = entries.substr(second, entries.find('\n', second) - second);
    EXPECT_TRUE(answer.find("({+") != std::string::npos || answer.find("({-") != std::string::npos) << answer;
    const std::string engineMove = reply->substr(5, 4);
    EXPECT_NE(answer.find(engineMove), std::string::npos) << answer;
    EXPECT_TRUE(answer.ends_with(" })")) << answer;
    EXPECT_TRUE(entries.ends_with("\n2.   ({})\n")) << entries;
}
