#include "frontend/benchcommand.h"

#include <gtest/gtest.h>

#include <vector>

#include "search/bench.h"

namespace hf = halberd::frontend;

namespace {

std::optional<hf::BenchRequest> parse(std::vector<std::string_view> words) { return hf::parseBenchArguments(words); }

TEST(BenchArguments, SearchDepthOrEvaluationRounds) {
    struct Case {
        std::vector<std::string_view> words;
        bool evaluationOnly;
        int amount;
    };
    const Case cases[] = {
        {{}, false, halberd::search::DefaultBenchDepth}, {{"7"}, false, 7},        {{"40"}, false, 40},
        {{"eval"}, true, hf::DefaultEvalRounds},         {{"eval", "5"}, true, 5},
    };
    for (const Case& c : cases) {
        const auto request = parse(c.words);
        ASSERT_TRUE(request) << c.words.size();
        EXPECT_EQ(request->evaluationOnly, c.evaluationOnly);
        EXPECT_EQ(request->amount, c.amount);
    }
}

TEST(BenchArguments, BadArgumentsAreRefused) {
    // A stray word used to run the default depth silently.
    for (const std::vector<std::string_view>& words : std::vector<std::vector<std::string_view>>{{"x"},
                                                                                                 {"11x"},
                                                                                                 {"0"},
                                                                                                 {"-3"},
                                                                                                 {"41"},
                                                                                                 {"8", "9", "10", "11"},
                                                                                                 {"8", "0"},
                                                                                                 {"eval", "5", "2"},
                                                                                                 {"eval", "0"},
                                                                                                 {"eval", "many"},
                                                                                                 {"eval", "3", "4"},
                                                                                                 {"99999999999"}})
        EXPECT_FALSE(parse(words)) << words[0];
}

}  // namespace
