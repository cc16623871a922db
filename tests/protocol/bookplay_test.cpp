// The engine answering from its opening book over xboard and UCI. The book is
// Mini.bo2 in the engine's current directory, written here from the record layout.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "enginepipe.h"
#include "installedengine.h"

namespace {

using halberd::testing::EnginePipe;
using halberd::testing::InstalledEngine;
using halberd::testing::Program;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* StartKey = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/ w KQkq -";
constexpr const char* AfterE4Key = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR/ b KQkq -";

std::uint16_t moveCode(int from, int to) { return static_cast<std::uint16_t>(from | (to << 6)); }

// 100 bytes: key text, then five candidates of three little-endian words (games, score, move).
std::array<char, 100> record(const std::string& key, std::uint16_t move) {
    std::array<char, 100> bytes{};
    key.copy(bytes.data(), key.size());
    const std::uint16_t words[3] = {4, 4, move};
    for (int i = 0; i < 3; ++i) {
        bytes[70 + 2 * i] = static_cast<char>(words[i] & 0xFF);
        bytes[71 + 2 * i] = static_cast<char>(words[i] >> 8);
    }
    return bytes;
}

// Runs the engine in a scratch directory that holds Mini.bo2.
class ProtocolBookPlay : public ::testing::Test {
protected:
    ProtocolBookPlay() : previous(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "halberd-bookplay-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) dir = pattern;
        std::ofstream book(dir / "Mini.bo2", std::ios::binary);
        // The start position offers only Nf3 (g1f3) and 1. e4 only 1... h6 (h7h6),
        // a move the search would not choose.
        for (const auto& r : {record(StartKey, moveCode(6, 21)), record(AfterE4Key, moveCode(55, 47))})
            book.write(r.data(), static_cast<std::streamsize>(r.size()));
        book.close();
        std::filesystem::current_path(dir);
    }
    ~ProtocolBookPlay() override {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::optional<std::string> waitFor(EnginePipe& engine, std::string_view prefix, std::vector<std::string>& passed) {
        while (auto line = engine.readLine(20s)) {
            if (line->starts_with(prefix)) return line;
            passed.push_back(*line);
        }
        return std::nullopt;
    }

    std::filesystem::path previous;
    std::filesystem::path dir;
};

}  // namespace

TEST_F(ProtocolBookPlay, XboardPlaysTheBookMoveAfterAPause) {
    EnginePipe engine;
    engine.exchange("xboard");
    engine.exchange("protover 2");
    engine.exchange("new");
    engine.exchange("post");
    const auto start = Clock::now();
    engine.send("e2e4");
    std::vector<std::string> lines;
    const auto move = waitFor(engine, "move ", lines);
    ASSERT_TRUE(move);
    EXPECT_EQ(*move, "move h7h6");
    EXPECT_GE(Clock::now() - start, 300ms);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "2   0     0       1\th7h6! ");
}

TEST_F(ProtocolBookPlay, XboardStartPositionPlaysE4OrD4NotTheRecord) {
    EnginePipe engine;
    engine.exchange("xboard");
    engine.exchange("new");
    engine.send("go");
    std::vector<std::string> lines;
    const auto move = waitFor(engine, "move ", lines);
    ASSERT_TRUE(move);
    EXPECT_TRUE(*move == "move e2e4" || *move == "move d2d4") << *move;
}

TEST_F(ProtocolBookPlay, XboardBookOptionOffSearches) {
    EnginePipe engine;
    engine.exchange("xboard");
    engine.exchange("new");
    engine.exchange("option USE BOOK=0");
    engine.exchange("st 1");
    engine.exchange("post");
    engine.send("e2e4");
    std::vector<std::string> lines;
    const auto move = waitFor(engine, "move ", lines);
    ASSERT_TRUE(move);
    EXPECT_NE(*move, "move h7h6");
    for (const auto& line : lines) EXPECT_EQ(line.find("h7h6!"), std::string::npos) << line;
}

TEST_F(ProtocolBookPlay, UciAnswersBestmoveFromTheBook) {
    EnginePipe engine;
    engine.send("uci");
    std::vector<std::string> lines;
    ASSERT_TRUE(waitFor(engine, "uciok", lines));
    engine.send("position startpos moves e2e4");
    engine.send("go wtime 60000 btime 60000");
    lines.clear();
    const auto best = waitFor(engine, "bestmove ", lines);
    ASSERT_TRUE(best);
    EXPECT_EQ(*best, "bestmove h7h6");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("info depth 2 score cp 0 ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("pv h7h6"), std::string::npos) << lines[0];
}

// An analysis searches a book position; the book answers only a move to play.
// A search of the position shows its third iteration; a book answer would end at
// its one line of depth 2. The waits are for lines, not for time, so that a
// slow (sanitized, loaded) build passes as well.
TEST_F(ProtocolBookPlay, AnalysesSearchBookPositions) {
    for (const std::vector<std::string>& setup :
         std::vector<std::vector<std::string>>{{"go infinite", "stop"},
                                               {"setoption name UCI_AnalyseMode value true", "go movetime 1000"},
                                               {"setoption name OwnBook value false", "go movetime 1000"}}) {
        EnginePipe engine;
        engine.send("uci");
        std::vector<std::string> lines;
        ASSERT_TRUE(waitFor(engine, "uciok", lines));
        engine.send("position startpos moves e2e4");
        engine.send(setup[0]);
        // An analysis runs until "stop": its third iteration comes before the stop.
        const bool untilStop = setup[1] == "stop";
        if (untilStop) {
            EXPECT_TRUE(waitFor(engine, "info depth 3 ", lines)) << setup[0];
        }
        engine.send(setup[1]);
        if (!untilStop) {
            EXPECT_TRUE(waitFor(engine, "info depth 3 ", lines)) << setup[0];
        }
        ASSERT_TRUE(waitFor(engine, "bestmove ", lines)) << setup[0];
    }
    EnginePipe engine;
    for (const char* line : {"xboard", "new", "force", "e2e4", "post"}) engine.exchange(line);
    // Sent without a ping: the answer to one may come after the first lines of
    // the analysis, and the exchange would swallow them.
    engine.send("analyze");
    std::vector<std::string> lines;
    EXPECT_TRUE(waitFor(engine, "3 ", lines));
    engine.exchange("exit");
}

TEST_F(ProtocolBookPlay, BookMoveIsLoggedWithoutAScore) {
    InstalledEngine installed;
    installed.writeConfig("LOGFILE=1\n");
    EnginePipe engine(Program{installed.program()}, {});
    engine.exchange("xboard");
    engine.exchange("new");
    engine.send("e2e4");
    std::vector<std::string> lines;
    ASSERT_EQ(waitFor(engine, "move ", lines), "move h7h6");
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
    const std::string log = installed.log();
    EXPECT_NE(log.find("1... h6 ({ h7h6 })"), std::string::npos) << log;
}

TEST_F(ProtocolBookPlay, BkAndHintFromTheBook) {
    EnginePipe engine;
    engine.exchange("xboard");
    engine.exchange("force");
    // At the start the engine's own rule plays e2e4 or d2d4, whatever the book holds.
    EXPECT_EQ(engine.exchange("bk"),
              (std::vector<std::string>{"\tg1f3  0% (start rule), 4 games, score 50%",
                                        "\tstart position: the engine's own rule chooses, not the book's weights: "
                                        "e2e4 in 60% of its games, d2d4 in the others",
                                        ""}));
    engine.exchange("e2e4");
    EXPECT_EQ(engine.exchange("hint"), std::vector<std::string>{"Hint: h7h6"});
    EXPECT_EQ(engine.exchange("bk"),
              (std::vector<std::string>{
                  "\th7h6  100% (6 of 6 slots), 4 games, score 50%",
                  "\tchance: a move's slots over all slots; a move has 1 + a tenth of its score rate in slots", ""}));
    engine.exchange("e7e5");
    EXPECT_EQ(engine.exchange("bk"), (std::vector<std::string>{"\tno book moves", ""}));
}

// A position whose book key is longer than a record holds: the note about it
// must not land in the protocol stream.
TEST_F(ProtocolBookPlay, AKeyTooLongForTheBookStaysOffStandardOutput) {
    EnginePipe engine;
    engine.exchange("xboard");
    engine.exchange("post");
    engine.exchange("sd 3");
    EXPECT_TRUE(
        engine.exchange("setboard r1b1k1n1/p1p1p1p1/1p1p1p1p/1q1r1b1n/Q1R1B1N1/P1P1P1P1/1P1P1P1P/R1B1K1N1 w - - 0 1")
            .empty());
    engine.send("go");
    std::vector<std::string> lines;
    ASSERT_TRUE(waitFor(engine, "move ", lines));
    for (const std::string& line : lines) EXPECT_NE(line, "too long");
    EXPECT_TRUE(engine.stderrContains("too long"));
}
