#include "frontend/inputline.h"

#include <gtest/gtest.h>

#include <sstream>

namespace hf = halberd::frontend;

TEST(NormaliseLine, UpperCasesOrdinaryLines) {
    EXPECT_EQ(hf::normaliseLine("go"), "GO");
    EXPECT_EQ(hf::normaliseLine("usermove e2e4"), "USERMOVE E2E4");
    EXPECT_EQ(hf::normaliseLine("ping abc-9"), "PING ABC-9");
    EXPECT_EQ(hf::normaliseLine("isready"), "ISREADY");
    EXPECT_EQ(hf::normaliseLine(""), "");
    // Bytes outside a..z pass unchanged (no locale, no sign trouble).
    EXPECT_EQ(hf::normaliseLine("\xe9t\xc3\xa9"), "\xe9T\xc3\xa9");
}

TEST(NormaliseLine, SetupAndPathLinesKeepTheCaseOfTheirArguments) {
    EXPECT_EQ(hf::normaliseLine("setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"),
              "SETBOARD rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    EXPECT_EQ(hf::normaliseLine("SeTbOaRd 8/8 w"), "SETBOARD 8/8 w");
    EXPECT_EQ(hf::normaliseLine("egtpath nalimov /Data/TB"), "EGTPATH nalimov /Data/TB");
    EXPECT_EQ(hf::normaliseLine("POSITION startpos moves e2e4"), "position startpos moves e2e4");
    EXPECT_EQ(hf::normaliseLine("SetOption name Hash value 64"), "setoption name Hash value 64");
    // The rule looks at the first characters only: a longer word is still kept.
    EXPECT_EQ(hf::normaliseLine("setboardx Ab"), "SETBOARDx Ab");
    // A keyword cut short is an ordinary line.
    EXPECT_EQ(hf::normaliseLine("setboar abc"), "SETBOAR ABC");
    EXPECT_EQ(hf::normaliseLine("positio n"), "POSITIO N");
}

TEST(LineReader, ReadsWholeLinesOfAnyLength) {
    const std::string longLine(5000, 'x');
    std::istringstream input(longLine + "\nsecond\nlast without newline");
    hf::LineReader reader(input);
    EXPECT_EQ(reader.readLine(), longLine);
    EXPECT_EQ(reader.readLine(), "second");
    EXPECT_EQ(reader.readLine(), "last without newline");
    EXPECT_EQ(reader.readLine(), std::nullopt);
    EXPECT_EQ(reader.readLine(), std::nullopt);
}

TEST(LineReader, ALineOverOneMebibyteIsRefusedWithOneErrorAndReadingGoesOn) {
    constexpr std::size_t Limit = std::size_t{1} << 20;
    const std::string longest(Limit, 'a');
    std::istringstream input(longest + "\n" + std::string(3 * Limit, 'b') + "\nnext\n" + std::string(Limit + 1, 'c'));
    hf::LineReader reader(input);
    testing::internal::CaptureStdout();
    const auto first = reader.readLine();
    const auto second = reader.readLine();
    const auto third = reader.readLine();
    const std::string replies = testing::internal::GetCapturedStdout();
    EXPECT_EQ(first, longest);
    EXPECT_EQ(second, "next");
    EXPECT_EQ(third, std::nullopt);
    EXPECT_EQ(replies,
              "Error (line too long): more than 1048576 bytes\n"
              "Error (line too long): more than 1048576 bytes\n");
}

TEST(LineReader, EmptyLinesAreLinesAndAZeroByteEndsTheText) {
    std::istringstream input(std::string("\nab\0cd\n", 7));
    hf::LineReader reader(input);
    EXPECT_EQ(reader.readLine(), "");
    EXPECT_EQ(reader.readLine(), "ab");
    EXPECT_EQ(reader.readLine(), std::nullopt);
}

TEST(StartsWithAnyCase, ComparesOnlyThePrefix) {
    EXPECT_TRUE(hf::startsWithAnyCase("option RESIGN=0", "OPTION"));
    EXPECT_TRUE(hf::startsWithAnyCase("OPTION", "option"));
    EXPECT_FALSE(hf::startsWithAnyCase("OPTIO", "OPTION"));
    EXPECT_FALSE(hf::startsWithAnyCase("OPTXON", "OPTION"));
}
