#include "frontend/dispatch.h"

#include <gtest/gtest.h>

namespace hf = halberd::frontend;

namespace {

// Text of the first table entry that takes the line, or "" for the move/unknown fall-back.
std::string firstMatch(std::string_view line, bool uciMode = false) {
    for (const auto& command : hf::commandTable())
        if (hf::commandMatches(command, line, uciMode)) return std::string(command.text);
    return "";
}

}  // namespace

TEST(CommandMatches, ExactPrefixAndAnyCase) {
    const hf::Command exact{"FORCE", hf::Match::Exact, false, nullptr};
    EXPECT_TRUE(hf::commandMatches(exact, "FORCE", false));
    EXPECT_FALSE(hf::commandMatches(exact, "FORCE ", false));
    EXPECT_FALSE(hf::commandMatches(exact, "FORC", false));
    const hf::Command prefix{"PING", hf::Match::Prefix, false, nullptr};
    EXPECT_TRUE(hf::commandMatches(prefix, "PING 7", false));
    EXPECT_TRUE(hf::commandMatches(prefix, "PINGPONG", false));
    EXPECT_FALSE(hf::commandMatches(prefix, "ping 7", false));
    const hf::Command anyCase{"option", hf::Match::PrefixAnyCase, false, nullptr};
    EXPECT_TRUE(hf::commandMatches(anyCase, "OPTION RESIGN=0", false));
    const hf::Command uciOnly{"ISREADY", hf::Match::Exact, true, nullptr};
    EXPECT_FALSE(hf::commandMatches(uciOnly, "ISREADY", false));
    EXPECT_TRUE(hf::commandMatches(uciOnly, "ISREADY", true));
}

TEST(CommandTable, EachLineReachesItsCommand) {
    EXPECT_EQ(firstMatch("FORCE"), "FORCE");
    EXPECT_EQ(firstMatch("SETBOARD 8/8/8/8/8/8/8/K6k w"), "SETBOARD");
    EXPECT_EQ(firstMatch("PROTOVER 2"), "PROTOVER 2");
    EXPECT_EQ(firstMatch("PING 12"), "PING");
    EXPECT_EQ(firstMatch("NAME SOMEONE"), "NAME");
    EXPECT_EQ(firstMatch("ACCEPTED PING"), "ACCEPTED");
    EXPECT_EQ(firstMatch("XBOARD"), "XBOARD");
    EXPECT_EQ(firstMatch("RESET"), "RESET");
    // Exact commands with arguments, other protocol versions and moves fall through.
    EXPECT_EQ(firstMatch("NEW GAME"), "");
    EXPECT_EQ(firstMatch("PROTOVER 3"), "");
    EXPECT_EQ(firstMatch("E2E4"), "");
    EXPECT_EQ(firstMatch("USERMOVE E2E4"), "");
    EXPECT_EQ(firstMatch("ISREADY"), "");
}

TEST(CommandTable, NoEntryHidesALaterOne) {
    const auto table = hf::commandTable();
    for (std::size_t later = 0; later < table.size(); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            const bool hidden = hf::commandMatches(table[earlier], table[later].text, true) &&
                                table[earlier].handler != table[later].handler;
            EXPECT_FALSE(hidden) << table[earlier].text << " hides " << table[later].text;
        }
    }
}
