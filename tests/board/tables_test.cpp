#include "board/tables.h"

#include "board/magics.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "board_helpers.h"

namespace hb = halberd::board;
using halberd::testing::square;

namespace {

// A piece cell as (target, skip) pairs up to its terminator.
std::vector<std::pair<int, int>> entries(const hb::PieceCell& cell) {
    std::vector<std::pair<int, int>> out;
    for (const hb::RayEntry& e : cell) {
        if (e.target == hb::OffBoard) break;
        out.emplace_back(e.target, e.skip);
    }
    return out;
}

std::vector<std::pair<int, int>> ray(const char* from, int step, int length) {
    std::vector<std::pair<int, int>> out;
    for (int i = 1; i <= length; ++i) out.emplace_back(square(from) + i * step, length - i + 1);
    return out;
}

}  // namespace

TEST(MoveTables, QueenAndKnightCellsOfA1) {
    std::vector<std::pair<int, int>> expected = ray("a1", 8, 7);
    for (const auto& e : ray("a1", 1, 7)) expected.push_back(e);
    for (const auto& e : ray("a1", 9, 7)) expected.push_back(e);
    EXPECT_EQ(entries(hb::PieceMoveTable[hb::White][hb::Queen][square("a1")]), expected);
    // The knight's +10 comes before +17.
    const std::vector<std::pair<int, int>> knight = {{square("c2"), 1}, {square("b3"), 1}};
    EXPECT_EQ(entries(hb::PieceMoveTable[hb::White][hb::Knight][square("a1")]), knight);
    // Black's tables start towards White: the queen on h8 looks down the file first.
    const auto blackQueen = entries(hb::PieceMoveTable[hb::Black][hb::Queen][square("h8")]);
    ASSERT_EQ(blackQueen.size(), 21u);
    EXPECT_EQ(blackQueen[0], std::make_pair(square("h7"), 7));
    EXPECT_EQ(blackQueen[7], std::make_pair(square("g8"), 7));
    EXPECT_EQ(blackQueen[14], std::make_pair(square("g7"), 7));
}

TEST(MoveTables, SlidingCellsSkipToTheNextRay) {
    // Rook on d4: up 4, down 3, right 4, left 3 squares.
    const auto rook = entries(hb::PieceMoveTable[hb::White][hb::Rook][square("d4")]);
    ASSERT_EQ(rook.size(), 14u);
    EXPECT_EQ(rook[0], std::make_pair(square("d5"), 4));
    EXPECT_EQ(rook[0 + 4], std::make_pair(square("d3"), 3));
    EXPECT_EQ(rook[4 + 3], std::make_pair(square("e4"), 4));
    EXPECT_EQ(rook[7 + 4], std::make_pair(square("c4"), 3));
    // No ray wraps around the board edge.
    for (int colour = 0; colour < 2; ++colour)
        for (int type = hb::King; type <= hb::Knight; ++type)
            for (int s = 0; s < 64; ++s)
                for (const auto& [target, skip] : entries(hb::PieceMoveTable[colour][type][s])) {
                    EXPECT_GE(skip, 1);
                    EXPECT_NE(hb::DirectionTable[s][target], 0) << s << " " << target;
                }
    // King cells of a corner and the centre.
    EXPECT_EQ(entries(hb::PieceMoveTable[hb::White][hb::King][square("h1")]).size(), 3u);
    EXPECT_EQ(entries(hb::PieceMoveTable[hb::Black][hb::King][square("e4")]).size(), 8u);
    EXPECT_EQ(entries(hb::PieceMoveTable[hb::White][hb::Queen][square("d4")]).size(), 27u);
}

TEST(MoveTables, PawnCellsOfA2AndH7) {
    const hb::PawnCell& a2 = hb::PawnMoveTable[hb::White][square("a2")];
    EXPECT_EQ(a2[0].target, square("a3"));
    EXPECT_EQ(a2[0].skip, 2);
    EXPECT_EQ(a2[0].flags, hb::PawnPush);
    EXPECT_EQ(a2[1].target, square("a4"));
    EXPECT_EQ(a2[1].skip, 1);
    EXPECT_EQ(a2[1].flags, hb::PawnPush);
    EXPECT_EQ(a2[2].target, square("b3"));
    EXPECT_EQ(a2[2].skip, 1);
    EXPECT_EQ(a2[2].flags, 0);
    EXPECT_EQ(a2[3].target, hb::OffBoard);

    const hb::PawnCell& h7 = hb::PawnMoveTable[hb::White][square("h7")];
    EXPECT_EQ(h7[0].target, square("h8"));
    EXPECT_EQ(h7[0].skip, 1);
    EXPECT_EQ(h7[0].flags, hb::PawnPush | hb::PawnPromotes);
    EXPECT_EQ(h7[1].target, square("g8"));
    EXPECT_EQ(h7[1].skip, 1);
    EXPECT_EQ(h7[1].flags, hb::PawnPromotes);
    EXPECT_EQ(h7[2].target, hb::OffBoard);

    // Black mirrored: double step from the 7th rank, captures to the lower file first.
    const hb::PawnCell& e7 = hb::PawnMoveTable[hb::Black][square("e7")];
    EXPECT_EQ(e7[0].target, square("e6"));
    EXPECT_EQ(e7[0].skip, 2);
    EXPECT_EQ(e7[1].target, square("e5"));
    EXPECT_EQ(e7[2].target, square("d6"));
    EXPECT_EQ(e7[3].target, square("f6"));
    const hb::PawnCell& b2 = hb::PawnMoveTable[hb::Black][square("b2")];
    EXPECT_EQ(b2[0].flags, hb::PawnPush | hb::PawnPromotes);
    EXPECT_EQ(b2[1].flags, hb::PawnPromotes);
    EXPECT_EQ(b2[2].flags, hb::PawnPromotes);
}

TEST(MoveTables, DirectionsLineKindsAndKingDistance) {
    EXPECT_EQ(hb::DirectionTable[square("e1")][square("e8")], 8);
    EXPECT_EQ(hb::DirectionTable[square("e8")][square("e1")], -8);
    EXPECT_EQ(hb::DirectionTable[square("a1")][square("h8")], 9);
    EXPECT_EQ(hb::DirectionTable[square("h1")][square("a8")], 7);
    EXPECT_EQ(hb::DirectionTable[square("h1")][square("a1")], -1);
    EXPECT_EQ(hb::DirectionTable[square("g1")][square("f3")], 15);
    EXPECT_EQ(hb::DirectionTable[square("a1")][square("c2")], 10);
    EXPECT_EQ(hb::DirectionTable[square("a1")][square("b4")], 0);
    EXPECT_EQ(hb::DirectionTable[square("d4")][square("d4")], 0);
    // h1 and a2 are neighbours by number only.
    EXPECT_EQ(hb::DirectionTable[square("h1")][square("a2")], 0);

    EXPECT_EQ(hb::lineKindOf(8), hb::LineOrthogonal);
    EXPECT_EQ(hb::lineKindOf(-1), hb::LineOrthogonal);
    EXPECT_EQ(hb::lineKindOf(-7), hb::LineDiagonal);
    EXPECT_EQ(hb::lineKindOf(9), hb::LineDiagonal);
    for (const int jump : {6, -10, 15, -17}) EXPECT_EQ(hb::lineKindOf(jump), hb::LineKnight);
    EXPECT_EQ(hb::lineKindOf(0), 0);
    EXPECT_EQ(hb::lineKindOf(16), 0);

    EXPECT_EQ(hb::KingDistance[square("a1")][square("h8")], 7);
    EXPECT_EQ(hb::KingDistance[square("e4")][square("f6")], 2);
    EXPECT_EQ(hb::KingDistance[square("c3")][square("c3")], 0);
    EXPECT_EQ(hb::KingDistance[square("h1")][square("a2")], 7);
}

// The lookup by multiplier against walking the lines square by square, for
// random sets of men on every square: a multiplier that maps two sets with
// different reaches to one slot would show here.
TEST(MoveTables, SliderLookupsMatchWalkingTheLines) {
    const auto walk = [](int from, std::uint64_t men, bool diagonal) {
        std::uint64_t reach = 0;
        for (const auto& [df, dr] : diagonal ? std::vector<std::pair<int, int>>{{1, 1}, {1, -1}, {-1, 1}, {-1, -1}}
                                             : std::vector<std::pair<int, int>>{{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
            for (int f = from % 8 + df, r = from / 8 + dr; f >= 0 && f < 8 && r >= 0 && r < 8; f += df, r += dr) {
                reach |= std::uint64_t{1} << (8 * r + f);
                if (men >> (8 * r + f) & 1) break;
            }
        return reach;
    };
    std::uint64_t seed = 12345;
    const auto random = [&seed] {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return seed;
    };
    for (int from = 0; from < 64; ++from)
        for (int round = 0; round < 400; ++round) {
            // Sparse and dense boards alike.
            const std::uint64_t men = round % 2 ? random() & random() : random() | random();
            ASSERT_EQ(hb::rookReach(from, men), walk(from, men, false)) << from << " " << men;
            ASSERT_EQ(hb::bishopReach(from, men), walk(from, men, true)) << from << " " << men;
        }
}
