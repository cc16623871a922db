#include "book/pgnreader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace hk = halberd::book;

namespace {

std::vector<hk::PgnGame> readAll(const std::string& text) {
    std::istringstream in(text);
    hk::PgnReader reader(in);
    std::vector<hk::PgnGame> games;
    hk::PgnGame game;
    while (reader.next(game)) games.push_back(game);
    return games;
}

using Moves = std::vector<std::string>;

}  // namespace

TEST(PgnReader, MainLineWithoutCommentsVariationsAndAnnotations) {
    const auto games = readAll(
        "% an escaped line ( { is ignored\n"
        "[Event \"Test \\\"quoted\\\" \\\\ event\"]\n"
        "[White \"Alpha\"]\n"
        "[Black \"Beta\"]\n"
        "[Result \"1-0\"]\n"
        "\n"
        "1. e4 {a comment (with parentheses) 2. d4} e5 2.Nf3 ; rest of line 2... Nf6\n"
        "2... Nc6 $1 (2... d6 3. d4 (3. Bc4 {nested} Be7) exd4) 3. Bb5!? a6?! 4. Ba4 Nf6\n"
        "5. O-O Be7 6. Re1 b5 7. Bb3 d6 8. c3 O-O 9. h3 Nb8 10. d4 Nbd7 11. Qxd8+ Rxd8#\n"
        "1-0\n");
    ASSERT_EQ(games.size(), 1u);
    const auto& g = games[0];
    EXPECT_EQ(g.error, "");
    EXPECT_EQ(g.number, 1);
    EXPECT_EQ(g.line, 2);
    EXPECT_EQ(g.result, "1-0");
    EXPECT_EQ(hk::tagValue(g, "Event"), "Test \"quoted\" \\ event");
    EXPECT_EQ(hk::tagValue(g, "White"), "Alpha");
    EXPECT_EQ(hk::tagValue(g, "Round"), "");
    EXPECT_EQ(g.moves, (Moves{"e4", "e5",  "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6", "O-O",  "Be7",  "Re1",
                              "b5", "Bb3", "d6",  "c3",  "O-O", "h3", "Nb8", "d4",  "Nbd7", "Qxd8", "Rxd8"}));
    EXPECT_EQ(hk::describeGame(g), "game 1 (Alpha - Beta, line 2)");
}

TEST(PgnReader, SeveralGamesAndTheirResults) {
    const auto games = readAll(
        "[White \"A\"]\n[Black \"B\"]\n\n1. d4 d5 1/2-1/2\n\n"
        "[White \"C\"]\n\n1.c4 e5 0-1\n"
        "[Result \"*\"]\n1. e4 *\n"
        "1. Nf3 1-0 1. g3 0-1");  // games without tags
    ASSERT_EQ(games.size(), 5u);
    EXPECT_EQ(games[0].result, "1/2-1/2");
    EXPECT_EQ(games[0].moves, (Moves{"d4", "d5"}));
    EXPECT_EQ(games[1].result, "0-1");
    EXPECT_EQ(games[1].line, 6);
    EXPECT_EQ(hk::describeGame(games[1]), "game 2 (C - ?, line 6)");
    EXPECT_EQ(games[2].result, "*");
    EXPECT_EQ(games[3].moves, (Moves{"Nf3"}));
    EXPECT_EQ(games[4].moves, (Moves{"g3"}));
    EXPECT_EQ(games[4].number, 5);
    for (const auto& g : games) EXPECT_EQ(g.error, "") << g.number;
}

TEST(PgnReader, ResultTagStandsInForAMissingMarker) {
    const auto games = readAll("[Result \"0-1\"]\n1. f3 e5 2. g4 Qh4\n\n[Result \"1-0\"]\n1. e4\n");
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[0].error, "");
    EXPECT_EQ(games[0].result, "0-1");
    EXPECT_EQ(games[0].moves.size(), 4u);
    EXPECT_EQ(games[1].result, "1-0");
}

TEST(PgnReader, BrokenGamesAreReportedAndReadingGoesOn) {
    const auto games = readAll(
        "[White \"Bad tag]\n1. e4 e5 1-0\n"       // tag value runs to the line end
        "[White \"X\"]\n1. e4 ) e5 1-0\n"         // closing a variation never opened
        "[White \"Y\"]\n1. e4 e5 2. Nf3\n"        // no result before the next game
        "[White \"Z\"]\n1. e4 < e5 0-1\n"         // stray character
        "[White \"V\"]\n1. e4 (1. d4 d5 2. c4\n"  // unclosed variation
        "[White \"W\"]\n1. e4 {never closed\n");
    ASSERT_EQ(games.size(), 6u);
    EXPECT_NE(games[0].error.find("unterminated tag value"), std::string::npos) << games[0].error;
    EXPECT_NE(games[1].error.find("')' without a variation"), std::string::npos) << games[1].error;
    EXPECT_NE(games[2].error.find("no result"), std::string::npos) << games[2].error;
    EXPECT_NE(games[3].error.find("unexpected character '<'"), std::string::npos) << games[3].error;
    EXPECT_NE(games[4].error.find("unclosed variation"), std::string::npos) << games[4].error;
    EXPECT_NE(games[5].error.find("unterminated comment"), std::string::npos) << games[5].error;
    EXPECT_EQ(hk::tagValue(games[2], "White"), "Y");
    EXPECT_EQ(hk::tagValue(games[3], "White"), "Z");
    EXPECT_EQ(games[3].number, 4);
    EXPECT_EQ(games[3].line, 7);
}

TEST(PgnReader, ALineOverOneMebibyteRefusesItsGameAndReadingGoesOn) {
    const std::string overlong(std::size_t{3} << 20, 'e');
    const auto games = readAll("[White \"" + overlong + "\"]\n1. e4 e5 1-0\n\n1. d4 {" + overlong +
                               "} d5 *\n\n[White \"Gamma\"]\n1. c4 c5 1/2-1/2\n");
    ASSERT_EQ(games.size(), 3u);
    EXPECT_EQ(games[0].error, "line 1 is longer than 1048576 bytes");
    EXPECT_EQ(games[1].error, "line 4 is longer than 1048576 bytes");
    EXPECT_EQ(games[2].error, "");
    EXPECT_EQ(games[2].moves, (Moves{"c4", "c5"}));
    EXPECT_EQ(games[2].line, 6);
    // A last line cut at the end of the input.
    EXPECT_EQ(readAll("1. e4 " + overlong).at(0).error, "line 1 is longer than 1048576 bytes");
}

TEST(PgnReader, EmptyInputHasNoGame) {
    EXPECT_TRUE(readAll("").empty());
    EXPECT_TRUE(readAll("\n\n  \n% only an escape line\n").empty());
}
