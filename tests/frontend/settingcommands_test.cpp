#include "frontend/settingcommands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "board/gameboard.h"
#include "frontend/memory.h"
#include "frontend/settings.h"
#include "search/transposition.h"

namespace hf = halberd::frontend;
namespace hb = halberd::board;

namespace {

// The settings are process-wide: each test puts back what it changed.
class SettingCommands : public ::testing::Test {
protected:
    void SetUp() override {
        keptPath_ = hf::settings().tbPath;
        keptCache_ = hf::settings().tbCacheBytes;
        hb::resetGameToStart(game_);
    }
    void TearDown() override {
        hf::settings().tbPath = keptPath_;
        hf::settings().tbCacheBytes = keptCache_;
        hf::settings().optUseBook.store(1);
        hf::settings().optResign.store(1);
    }
    void run(hf::Next (*handler)(hf::LoopState&), const std::string& line) {
        state_.line = hf::normaliseLine(line);
        EXPECT_EQ(handler(state_), hf::Next::ReadLine);
    }

private:
    std::string keptPath_;
    int keptCache_ = 0;
    std::istringstream none_;
    hf::LineReader reader_{none_};
    hb::GameBoard game_;
    hf::LoopState state_{reader_, game_, {}, false};
};

}  // namespace

TEST(TablebaseCacheForMemory, WhatTheSizeHasBeyondItsPowerOfTwo) {
    EXPECT_EQ(hf::tablebaseCacheForMemory(128), 4 << 20);
    EXPECT_EQ(hf::tablebaseCacheForMemory(200), 72 << 20);
    EXPECT_EQ(hf::tablebaseCacheForMemory(131), 4 << 20);
    EXPECT_EQ(hf::tablebaseCacheForMemory(1), 4 << 20);
    EXPECT_EQ(hf::tablebaseCacheForMemory(0), 4 << 20);
    EXPECT_EQ(hf::tablebaseCacheForMemory(-5), 4 << 20);
    EXPECT_EQ(hf::tablebaseCacheForMemory(1000), 488 << 20);
    // 100000 - 65536 MiB would not fit an int of bytes.
    EXPECT_EQ(hf::tablebaseCacheForMemory(100000), 2047 << 20);
}

TEST_F(SettingCommands, MemorySizesTheHashAndTheTablebaseCache) {
    run(hf::xboardMemory, "memory 200");
    EXPECT_EQ(hf::settings().tbCacheBytes, 72 << 20);
    EXPECT_GT(halberd::search::ttBytes(), 160u << 20);
    EXPECT_LE(halberd::search::ttBytes(), 200u << 20);
    run(hf::xboardMemory, "memory 0");
    EXPECT_EQ(hf::settings().tbCacheBytes, 4 << 20);
    EXPECT_LE(halberd::search::ttBytes(), 4u << 20);
    EXPECT_GT(halberd::search::ttBytes(), 0u);
}

TEST_F(SettingCommands, EgtpathAddsNalimovDirectoriesOnly) {
    hf::settings().tbPath = "/exe";
    run(hf::xboardEgtpath, "egtpath nalimov /data/tb/");
    EXPECT_EQ(hf::settings().tbPath, "/exe;/data/tb");
    // The path keeps its case; the kind is compared in any case.
    run(hf::xboardEgtpath, "EGTPATH Nalimov /Data/TB5");
    EXPECT_EQ(hf::settings().tbPath, "/exe;/data/tb;/Data/TB5");
    run(hf::xboardEgtpath, "egtpath scorpio /data/bitbases");
    run(hf::xboardEgtpath, "egtpath nalimov");
    run(hf::xboardEgtpath, "egtpath");
    EXPECT_EQ(hf::settings().tbPath, "/exe;/data/tb;/Data/TB5");
    // A directory that does not fit is ignored, with a word on standard error.
    testing::internal::CaptureStderr();
    run(hf::xboardEgtpath, "egtpath nalimov /" + std::string(300, 'x'));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "TbPath: /" + std::string(300, 'x') +
                  " does not fit in the directory list (299 characters at most); not added\n");
    EXPECT_EQ(hf::settings().tbPath, "/exe;/data/tb;/Data/TB5");
    hf::settings().tbPath.clear();
    run(hf::xboardEgtpath, "egtpath nalimov /tb\r");
    EXPECT_EQ(hf::settings().tbPath, "/tb");
}

TEST_F(SettingCommands, OptionLinesSetBookAndResign) {
    run(hf::xboardOption, "option USE BOOK=0");
    EXPECT_EQ(hf::settings().optUseBook.load(), 0);
    EXPECT_EQ(hf::settings().optResign.load(), 1);
    run(hf::xboardOption, "option RESIGN=0 USE BOOK=1");
    EXPECT_EQ(hf::settings().optUseBook.load(), 1);
    EXPECT_EQ(hf::settings().optResign.load(), 0);
    run(hf::xboardOption, "option Resign=7");
    EXPECT_EQ(hf::settings().optResign.load(), 1);
    run(hf::xboardOption, "option Hash=64");
    EXPECT_EQ(hf::settings().optUseBook.load(), 1);
    EXPECT_EQ(hf::settings().optResign.load(), 1);
}
