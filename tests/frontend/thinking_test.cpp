#include "frontend/thinking.h"

#include <gtest/gtest.h>

#include "search/root.h"

namespace halberd::frontend {
namespace {

TEST(ResignRule, ThirdMoveInARowCloserToMateResigns) {
    ResignWatch game;
    EXPECT_FALSE(applyResignRule(-32690, false, true, game).resign);
    EXPECT_EQ(game.count, 1);
    // Neither a book move nor a search without result counts or resets.
    EXPECT_TRUE(applyResignRule(search::BookMoveScore, true, true, game).bookPause);
    EXPECT_FALSE(applyResignRule(search::NoResultScore, false, true, game).resign);
    EXPECT_EQ(game.count, 1);
    EXPECT_EQ(game.lastScore, -32690);
    EXPECT_FALSE(applyResignRule(-32692, false, true, game).resign);
    EXPECT_TRUE(applyResignRule(-32694, false, true, game).resign);
    EXPECT_EQ(game.count, 3);
    EXPECT_FALSE(applyResignRule(-32696, false, true, game).resign) << "only the third move resigns";

    // A searched score equal to the book's is an ordinary score: no pause, and it resets.
    const MoveReply searched = applyResignRule(search::BookMoveScore, false, true, game);
    EXPECT_FALSE(searched.bookPause);
    EXPECT_EQ(game.count, 0);
    EXPECT_EQ(game.lastScore, search::BookMoveScore);
}

TEST(ResignRule, AnyOtherMoveResetsTheCount) {
    ResignWatch game;
    applyResignRule(-32690, false, true, game);
    applyResignRule(-32690, false, true, game);
    EXPECT_EQ(game.count, 0) << "a mate that came no closer";
    EXPECT_EQ(game.lastScore, -32690);
    applyResignRule(-32692, false, true, game);
    applyResignRule(-500, false, true, game);
    EXPECT_EQ(game.count, 0);
    EXPECT_EQ(game.lastScore, -500);
    // A forced loss six moves away is no reason to resign.
    applyResignRule(-32688, false, true, game);
    EXPECT_EQ(game.count, 0);
}

TEST(ResignRule, OptionOffNeverResigns) {
    ResignWatch game;
    for (int score : {-32690, -32692, -32694, -32696}) EXPECT_FALSE(applyResignRule(score, false, false, game).resign);
    EXPECT_EQ(game.count, 0);
}

}  // namespace
}  // namespace halberd::frontend
