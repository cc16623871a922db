#include "frontend/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace hf = halberd::frontend;

TEST(DirectoryOfLink, KeepsTheDirectoryWithItsSlash) {
    EXPECT_EQ(hf::directoryOfLink("/usr/games/halberd"), "/usr/games/");
    EXPECT_EQ(hf::directoryOfLink("/halberd"), "/");
    EXPECT_EQ(hf::directoryOfLink("/opt/engines/"), "/opt/engines/");
    EXPECT_EQ(hf::directoryOfLink("halberd"), "");
    EXPECT_EQ(hf::directoryOfLink(""), "");
}

TEST(DirectoryOfLink, ADirectoryTooLongIsNotCutIntoAnotherPlace) {
    const std::string fits = "/" + std::string(hf::PathCapacity - 2, 'd') + "/";
    ASSERT_EQ(fits.size(), hf::PathCapacity);
    EXPECT_EQ(hf::directoryOfLink(fits + "halberd"), fits);
    const std::string tooLong = "/" + std::string(hf::PathCapacity - 1, 'd') + "/";
    EXPECT_EQ(hf::directoryOfLink(tooLong + "halberd"), "");
}

TEST(ExecutableDirectory, NamesTheDirectoryOfTheRunningProgram) {
    const std::string directory = hf::executableDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.front(), '/');
    EXPECT_EQ(directory.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(directory + "unit_tests"));
    // Kept for the run.
    EXPECT_EQ(hf::executableDirectory(), directory);
}
