#include "frontend/perftcommand.h"

#include <gtest/gtest.h>

#include <vector>

namespace hf = halberd::frontend;
using halberd::board::PerftMode;

namespace {

std::optional<hf::PerftRequest> parse(std::vector<std::string_view> words) { return hf::parsePerftArguments(words); }

}  // namespace

TEST(PerftArguments, DepthFenAndMode) {
    auto request = parse({"5"});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->depth, 5);
    EXPECT_EQ(request->fen, "");
    EXPECT_EQ(request->mode, PerftMode::Fast);

    request = parse({"3", "8/8/8/8/8/8/8/K6k w - - 0 1", "--slow"});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->fen, "8/8/8/8/8/8/8/K6k w - - 0 1");
    EXPECT_EQ(request->mode, PerftMode::CopyMake);

    // A FEN given as separate words is joined again.
    request = parse({"2", "--slow", "8/8/8/8/8/8/8/K6k", "w", "-", "-"});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->fen, "8/8/8/8/8/8/8/K6k w - -");
    EXPECT_EQ(request->mode, PerftMode::CopyMake);
}

TEST(PerftArguments, BadArgumentsAreRefused) {
    EXPECT_FALSE(parse({}));
    EXPECT_FALSE(parse({"x"}));
    EXPECT_FALSE(parse({"3x"}));
    EXPECT_FALSE(parse({"0"}));
    EXPECT_FALSE(parse({"-2"}));
    EXPECT_FALSE(parse({std::to_string(hf::MaxPerftDepth + 1)}));
    EXPECT_FALSE(parse({"99999999999999999999"}));
    EXPECT_FALSE(parse({"3", "--fast"}));
    EXPECT_TRUE(parse({std::to_string(hf::MaxPerftDepth)}));
}
