#include "book/bookprobe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "book/bookrandom.h"
#include "booktestfiles.h"

namespace hb = halberd::board;
namespace hk = halberd::book;
namespace bt = halberd::booktest;

namespace {

class BookProbe : public ::testing::Test {
protected:
    BookProbe() : paths{dir.file("Halberd.bo2"), dir.file("Mini.bo2"), {}} {
        hb::resetGameToStart(game);
        hb::listLegalMoves(game);
    }

    void play(const char* coordinate) {
        ASSERT_EQ(hb::playGameMove(game, hb::parseCoordinate(coordinate, game.sideToMove)), hb::ResultPlayed)
            << coordinate;
    }
    void setUp(const std::string& fen) { ASSERT_EQ(hb::setupFromFen(game, fen), 0) << fen; }

    // The root list as the search hands it over: legal moves with a score in the high half.
    std::vector<hb::Move> rootList() const {
        std::vector<hb::Move> list;
        for (int i = 0; game.legalMoves[i] != hb::NoMove; ++i) list.push_back(game.legalMoves[i] | 0x12340000u);
        list.push_back(hb::NoMove);
        return list;
    }

    void writeBook(const std::string& path, const std::vector<hk::BookRecord>& records) {
        bt::writeBytes(path, bt::recordBytes(records));
    }

    bt::TempDir dir;
    hk::BookPaths paths;
    hb::GameBoard game;
};

std::uint16_t coordinateMove(const char* text, hb::Colour side) {
    return static_cast<std::uint16_t>(hb::parseCoordinate(text, side) & 0x7FFF);
}

hk::BookRecord recordFor(const std::string& key, std::initializer_list<hk::BookCandidate> candidates) {
    hk::BookRecord record{key, {}};
    int i = 0;
    for (const auto& c : candidates) record.candidates[i++] = c;
    return record;
}

}  // namespace

TEST_F(BookProbe, StartPositionSplitsSixtyFortyWhateverTheRecordSays) {
    // The record offers only Nf3, and it won every game.
    writeBook(paths.main, {recordFor(hb::writeFen(game), {{50, 100, coordinateMove("g1f3", hb::White)}})});
    ASSERT_EQ(hk::BookE2E4, coordinateMove("e2e4", hb::White));
    ASSERT_EQ(hk::BookD2D4, coordinateMove("d2d4", hb::White));

    constexpr int Draws = 10000;
    hk::seedRandom(12345);
    std::mt19937 reference(12345);
    int e4 = 0, d4 = 0, expectedE4 = 0;
    for (int i = 0; i < Draws; ++i) {
        const std::uint16_t move = hk::bookProbe(game, paths);
        e4 += move == hk::BookE2E4;
        d4 += move == hk::BookD2D4;
        expectedE4 += static_cast<std::uint32_t>(reference()) % 100 < 60;
    }
    EXPECT_EQ(e4 + d4, Draws);
    EXPECT_EQ(e4, expectedE4);  // one draw per probe, taken mod 100
    EXPECT_NEAR(e4, Draws * 6 / 10, Draws / 50);
}

TEST_F(BookProbe, StartPositionNeedsItsRecord) {
    writeBook(paths.main, {recordFor("some other key", {{1, 1, 1804}})});
    EXPECT_EQ(hk::bookProbe(game, paths), 0);
}

TEST_F(BookProbe, RecordChoiceOutsideTheStartPosition) {
    play("e2e4");
    const std::uint16_t c5 = coordinateMove("c7c5", hb::Black);
    const std::uint16_t e5 = coordinateMove("e7e5", hb::Black);
    // c5 won all its games (11 slots), e5 none (1 slot).
    writeBook(paths.fallback,
              {recordFor("unrelated", {{1, 1, 1}}), recordFor(hb::writeFen(game), {{10, 20, c5}, {10, 0, e5}})});
    hk::seedRandom(77);
    std::mt19937 reference(77);
    for (int i = 0; i < 300; ++i) {
        auto list = rootList();
        ASSERT_EQ(hk::bookRootMove(list.data(), game, paths), 1);
        const std::uint16_t expected = static_cast<std::uint32_t>(reference()) % 12 < 11 ? c5 : e5;
        ASSERT_EQ(list[0] & 0xFFFF, expected) << i;
        ASSERT_EQ(list[0] >> 16, 0x1234u);  // the whole root word moves to the front
        ASSERT_EQ(list.size(), rootList().size());
    }
    EXPECT_EQ(game.bookMissesLeft, hk::BookMissLimit);
}

TEST_F(BookProbe, TenMissesThenTheBookIsLeftAloneUntilAReset) {
    play("e2e4");
    const std::string key = hb::writeFen(game);
    const hk::BookRecord record = recordFor(key, {{3, 3, coordinateMove("e7e5", hb::Black)}});
    writeBook(paths.main, {recordFor("unrelated", {{1, 1, 1}})});
    for (int miss = 1; miss <= hk::BookMissLimit; ++miss) {
        auto list = rootList();
        EXPECT_EQ(hk::bookRootMove(list.data(), game, paths), 0);
        EXPECT_EQ(game.bookMissesLeft, hk::BookMissLimit - miss);
    }
    // The position is in the book now, but the book is no longer read.
    writeBook(paths.main, {record});
    auto list = rootList();
    EXPECT_EQ(hk::bookRootMove(list.data(), game, paths), 0);
    EXPECT_EQ(game.bookMissesLeft, 0);

    // A take-back early in the game, a new set-up and a new game each give the book another ten tries.
    play("e7e5");
    game.bookMissesLeft = 0;
    ASSERT_EQ(hb::gotoPly(game, hb::GotoBack), 0);
    EXPECT_EQ(game.bookMissesLeft, hk::BookMissLimit);
    list = rootList();
    EXPECT_EQ(hk::bookRootMove(list.data(), game, paths), 1);

    game.bookMissesLeft = 0;
    setUp("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
    ASSERT_EQ(hb::writeFen(game), key);
    EXPECT_EQ(game.bookMissesLeft, hk::BookMissLimit);
    list = rootList();
    EXPECT_EQ(hk::bookRootMove(list.data(), game, paths), 1);
    EXPECT_EQ(list[0] & 0xFFF, coordinateMove("e7e5", hb::Black));

    game.bookMissesLeft = 0;
    hb::resetGameToStart(game);
    EXPECT_EQ(game.bookMissesLeft, hk::BookMissLimit);
}

TEST_F(BookProbe, MissesCountWithoutAFileAndForAnEmptyRecord) {
    auto list = rootList();
    EXPECT_EQ(hk::bookRootMove(list.data(), game, paths), 0);  // neither file exists
    EXPECT_EQ(game.bookMissesLeft, hk::BookMissLimit - 1);

    play("d2d4");
    writeBook(paths.main, {recordFor(hb::writeFen(game), {})});
    list = rootList();
    EXPECT_EQ(hk::bookRootMove(list.data(), game, paths), 0);
    EXPECT_EQ(game.bookMissesLeft, hk::BookMissLimit - 2);
}

TEST_F(BookProbe, BookMoveMissingFromTheRootListIsNoMissAndChangesNothing) {
    play("e2e4");
    writeBook(paths.main, {recordFor(hb::writeFen(game), {{1, 2, coordinateMove("e7e4", hb::Black)}})});
    auto list = rootList();
    const auto before = list;
    EXPECT_EQ(hk::bookRootMove(list.data(), game, paths), 0);
    EXPECT_EQ(list, before);
    EXPECT_EQ(game.bookMissesLeft, hk::BookMissLimit);
}

TEST_F(BookProbe, BookMoveOnPromotionSquaresTakesTheFirstPromotionListed) {
    setUp("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    const hb::Move push = hb::makeMove(hb::squareOf(1, 6), hb::squareOf(1, 7));
    writeBook(paths.main, {recordFor(hb::writeFen(game), {{4, 8, static_cast<std::uint16_t>(push)}})});
    auto list = rootList();
    // A king move first, so that the book move has to be brought forward.
    const auto kingMove = std::find_if(list.begin(), list.end(), [](hb::Move m) { return hb::moveFrom(m) == 4; });
    ASSERT_NE(kingMove, list.end());
    std::iter_swap(list.begin(), kingMove);
    const auto firstPromotion =
        std::find_if(list.begin(), list.end(), [&](hb::Move m) { return m != 0 && hb::sameSquares(m, push); });
    ASSERT_NE(firstPromotion, list.end());
    const hb::Move expected = *firstPromotion;
    ASSERT_TRUE(hb::isPromotion(expected));
    ASSERT_EQ(std::count_if(list.begin(), list.end(), [&](hb::Move m) { return m != 0 && hb::sameSquares(m, push); }),
              4);
    EXPECT_EQ(hk::bookRootMove(list.data(), game, paths), 1);
    EXPECT_EQ(list[0], expected);
}
