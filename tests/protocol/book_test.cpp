// The "book" word of the command line: making a book from games and showing a record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "enginepipe.h"

using halberd::testing::EnginePipe;
using namespace std::chrono_literals;

namespace {

class ProtocolBookCommand : public ::testing::Test {
protected:
    ProtocolBookCommand() {
        std::string pattern = (std::filesystem::temp_directory_path() / "halberd-bookcli-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) dir = pattern;
        std::ofstream(pgn()) << "[White \"Ann\"]\n[Black \"Bob\"]\n1. e4 e5 2. Nf3 1-0\n"
                                "[White \"Cy\"]\n[Black \"Di\"]\n1. e4 c5 0-1\n"
                                "[White \"Ed\"]\n[Black \"Flo\"]\n1. e4 Ke7?? 2. d4 1-0\n";
    }
    ~ProtocolBookCommand() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string pgn() const { return (dir / "games.pgn").string(); }
    std::string book() const { return (dir / "test.bo2").string(); }

    std::vector<std::string> linesUntilExit(EnginePipe& engine) {
        std::vector<std::string> lines;
        while (auto line = engine.readLine(5s)) lines.push_back(*line);
        return lines;
    }

    std::filesystem::path dir;
};

}  // namespace

TEST_F(ProtocolBookCommand, MakeThenShow) {
    {
        EnginePipe engine({"book", "make", pgn(), "-o", book()});
        const auto lines = linesUntilExit(engine);
        EXPECT_EQ(engine.waitExit(), 0);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], "2 games used, 0 unfinished, 1 skipped; 3 positions written to " + book());
        EXPECT_TRUE(engine.stderrContains("skipped game 3 (Ed - Flo, line 7): illegal move 1... Ke7"));
    }
    EXPECT_EQ(std::filesystem::file_size(book()), 300u);

    EnginePipe engine(
        {"book", "show", "-b", book(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR", "b", "KQkq", "-"});
    const auto lines = linesUntilExit(engine);
    EXPECT_EQ(engine.waitExit(), 0);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "key: rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR/ b KQkq -");
    // Equal games: the better-scoring move first.
    EXPECT_EQ(lines[1], "c7c5   c5       games     1  score 100.0%  chance 92% (11 of 12 slots)");
    EXPECT_EQ(lines[2], "e7e5   e5       games     1  score   0.0%  chance 8% (1 of 12 slots)");
    EXPECT_TRUE(lines[3].starts_with("chance: ")) << lines[3];
}

TEST_F(ProtocolBookCommand, FailuresWriteNoBook) {
    EnginePipe engine({"book", "make", (dir / "absent.pgn").string(), "-o", book()});
    EXPECT_EQ(engine.waitExit(), 1);
    EXPECT_TRUE(engine.stderrContains("cannot read"));
    EXPECT_FALSE(std::filesystem::exists(book()));

    EnginePipe usage({"book", "make", pgn()});
    EXPECT_EQ(usage.waitExit(), 2);
    EXPECT_TRUE(usage.stderrContains("usage: halberd book make"));
}

// The shipped book is weighed by how many opening lines use each move: the main
// line takes most of the chances, not an equal share with the side lines.
TEST_F(ProtocolBookCommand, ShippedBookPrefersMainLines) {
    for (const auto& [fen, main] : std::vector<std::pair<std::string, std::string>>{
             {"rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", "g1f3"},
             {"rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -", "b8c6"},
             {"rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", "g1f3"},
         }) {
        std::vector<std::string> arguments{"book", "show"};
        std::istringstream words(fen);
        for (std::string word; words >> word;) arguments.push_back(word);
        EnginePipe engine(halberd::testing::Program{HALBERD_SHIPPED_PROGRAM}, arguments);
        const auto lines = linesUntilExit(engine);
        EXPECT_EQ(engine.waitExit(), 0) << fen;
        ASSERT_GE(lines.size(), 3u) << fen;
        // The most used move comes first and has at least half of the chances.
        EXPECT_TRUE(lines[1].starts_with(main)) << lines[1];
        EXPECT_GE(std::stod(lines[1].substr(lines[1].rfind("chance") + 6)), 50.0) << lines[1];
    }
}
