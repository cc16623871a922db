#include "book/bookchoice.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "book/bookrandom.h"

namespace hk = halberd::book;

namespace {

hk::BookRecord recordOf(std::initializer_list<hk::BookCandidate> candidates) {
    hk::BookRecord record{std::string(1, 'k'), {}};
    int i = 0;
    for (const auto& c : candidates) record.candidates[i++] = c;
    return record;
}

std::map<std::uint16_t, int> countChoices(const hk::BookRecord& record, int draws) {
    std::map<std::uint16_t, int> counts;
    for (int i = 0; i < draws; ++i) ++counts[hk::bookChoose(record)];
    return counts;
}

}  // namespace

TEST(BookChoice, SlotsGrowWithTheScoreRate) {
    EXPECT_EQ(hk::candidateSlots({0, 0, 1}), 6);     // unplayed: taken as 50%
    EXPECT_EQ(hk::candidateSlots({10, 20, 1}), 11);  // every point won
    EXPECT_EQ(hk::candidateSlots({10, 0, 1}), 1);    // nothing won
    EXPECT_EQ(hk::candidateSlots({10, 10, 1}), 6);
    EXPECT_EQ(hk::candidateSlots({3, 2, 1}), 4);  // 33.3% truncates to 3, plus one
    EXPECT_EQ(hk::candidateSlots({7, 9, 1}), 7);  // 64.3%
}

TEST(BookChoice, ScoreAboveTwiceTheGamesIsHeldToTheAllWonWeight) {
    EXPECT_EQ(hk::candidateSlots({10, 21, 1}), hk::MaxCandidateSlots);
    EXPECT_EQ(hk::candidateSlots({1, 65535, 1}), hk::MaxCandidateSlots);
    const auto inflated = recordOf({{1, 65535, 10}, {1, 65535, 11}, {1, 65535, 12}, {1, 65535, 13}, {1, 65535, 14}});
    EXPECT_EQ(hk::totalSlots(inflated), 55);
    hk::seedRandom(7);
    const auto counts = countChoices(inflated, 5000);
    EXPECT_EQ(counts.size(), 5u);  // every draw lands on one of the five moves
    for (const auto& [move, n] : counts) {
        EXPECT_GE(move, 10);
        EXPECT_LE(move, 14);
        EXPECT_GT(n, 800);
    }
}

TEST(BookChoice, EmptyRecordGivesNoMove) {
    EXPECT_EQ(hk::bookChoose(recordOf({})), 0);
    EXPECT_EQ(hk::totalSlots(recordOf({})), 0);
    // A candidate after the first empty one is not in use.
    hk::BookRecord gap = recordOf({});
    gap.candidates[1] = {5, 5, 1804};
    EXPECT_EQ(hk::bookChoose(gap), 0);
}

TEST(BookChoice, DrawnSlotPicksItsOwner) {
    // 11 slots for the winning move, 1 for the losing one: slot 11 alone belongs to the second.
    const auto record = recordOf({{10, 20, 100}, {10, 0, 200}});
    ASSERT_EQ(hk::totalSlots(record), 12);
    hk::seedRandom(2024);
    std::mt19937 reference(2024);
    for (int i = 0; i < 2000; ++i) {
        const std::uint32_t slot = static_cast<std::uint32_t>(reference()) % 12;
        ASSERT_EQ(hk::bookChoose(record), slot < 11 ? 100 : 200) << i;
    }
}

TEST(BookChoice, UnplayedCandidatesHaveEqualChances) {
    const auto record = recordOf({{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}, {0, 0, 5}});
    EXPECT_EQ(hk::totalSlots(record), 30);
    hk::seedRandom(99);
    const auto counts = countChoices(record, 30000);
    ASSERT_EQ(counts.size(), 5u);
    for (const auto& [move, n] : counts) EXPECT_NEAR(n, 6000, 400) << move;
}

TEST(BookChoice, SameSeedRepeatsTheSameChoices) {
    const auto record = recordOf({{4, 5, 1}, {9, 3, 2}, {0, 0, 3}});
    hk::seedRandom(5);
    std::vector<std::uint16_t> first;
    for (int i = 0; i < 50; ++i) first.push_back(hk::bookChoose(record));
    hk::seedRandom(5);
    for (int i = 0; i < 50; ++i) ASSERT_EQ(hk::bookChoose(record), first[i]) << i;
}

TEST(BookChoice, ReseedsWithinOneSecondDrawAnew) {
    // Every thinking thread reseeds from the clock; quick moves must not repeat one draw.
    std::set<std::uint32_t> firstDraws;
    for (int i = 0; i < 8; ++i) {
        hk::seedRandomFromClock();
        firstDraws.insert(hk::drawRandom());
    }
    EXPECT_GT(firstDraws.size(), 4u);
}
