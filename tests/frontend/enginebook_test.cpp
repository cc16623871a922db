#include "frontend/enginebook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "book/bookprobe.h"
#include "book/booktestfiles.h"
#include "frontend/searchreport.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/thinking.h"
#include "search/root.h"

namespace hb = halberd::board;
namespace hk = halberd::book;
namespace bt = halberd::booktest;
namespace hf = halberd::frontend;
namespace hs = halberd::search;

namespace {

// The program's game after 1. e4, with Mini.bo2 in the current directory
// answering it with e5 (Halberd.bo2 is not beside the test program).
class BookHook : public ::testing::Test {
protected:
    BookHook() : previousDirectory(std::filesystem::current_path()), game(hf::theGame()) {
        hb::resetGameToStart(game);
        hb::listLegalMoves(game);
        hb::playGameMove(game, hb::parseCoordinate("e2e4", hb::White));
        e5 = hb::parseCoordinate("e7e5", hb::Black) & 0x7FFF;
        hk::BookRecord record{hb::writeFen(game), {}};
        record.candidates[0] = {5, 5, static_cast<std::uint16_t>(e5)};
        bt::writeBytes(dir.file(hk::FallbackBookName), bt::recordBytes({record}));
        std::filesystem::current_path(dir.path());
        for (int i = 0; game.legalMoves[i] != hb::NoMove; ++i) rootList.push_back(game.legalMoves[i]);
        rootList.push_back(hb::NoMove);
    }
    ~BookHook() override {
        std::filesystem::current_path(previousDirectory);
        hf::settings().optUseBook = 1;
        hb::resetGameToStart(game);
        hb::listLegalMoves(game);
    }

    bt::TempDir dir;
    std::filesystem::path previousDirectory;
    hb::GameBoard& game;
    hb::Move e5 = 0;
    std::vector<hb::Move> rootList;
};

}  // namespace

TEST_F(BookHook, AsksTheBookOnlyWhenTheOptionIsOn) {
    ASSERT_NE(rootList[0] & 0x7FFF, e5);
    hf::settings().optUseBook = 0;
    EXPECT_FALSE(hf::bookRootHook(rootList.data(), game));
    EXPECT_NE(rootList[0] & 0x7FFF, e5);
    EXPECT_EQ(game.bookMissesLeft, hk::BookMissLimit);  // not asked, so no miss

    hf::settings().optUseBook = 1;
    EXPECT_TRUE(hf::bookRootHook(rootList.data(), game));
    EXPECT_EQ(rootList[0] & 0x7FFF, e5);
}

TEST_F(BookHook, SearchPlaysTheBookMoveWithoutSearching) {
    const int posting = hf::postMode.exchange(1);
    hf::GoRequest request;
    request.budget = {5000, 10000, 999};
    const auto session = std::make_shared<hs::Session>(hs::SearchLimits{}, hf::searchLinePrinter(hf::ProtocolXboard));
    testing::internal::CaptureStdout();
    const std::optional<hs::SearchResult> found = hf::runRootSearch(game, request, *session);
    const std::string output = testing::internal::GetCapturedStdout();
    hf::postMode = posting;
    ASSERT_TRUE(found);
    EXPECT_EQ(found->score, hs::BookMoveScore);
    EXPECT_TRUE(found->fromBook);
    EXPECT_EQ(found->move & 0x7FFF, e5);
    // One thinking line: depth 2, score 0, the book move marked "!".
    EXPECT_EQ(output.rfind("2   0 ", 0), 0u) << output;
    EXPECT_NE(output.find("\te7e5! \n"), std::string::npos) << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
}
