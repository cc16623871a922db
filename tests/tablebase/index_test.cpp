#include "tablebase/index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tablebase/classes.h"
#include "tablebase/worktable.h"

namespace tb = halberd::tablebase;

namespace {

int applySymmetry(int square, int symmetry) {
    int s = square ^ ((symmetry & 1) ? 7 : 0) ^ ((symmetry & 2) ? 56 : 0);
    return (symmetry & 4) ? (s & 7) * 8 + (s >> 3) : s;
}

// One side's men through a symmetry, sorted within each type's places, so
// that two lists compare as sets of men.
tb::PieceList menOf(const tb::PieceList& list, int symmetry) {
    constexpr std::array<int, 7> ranges = {0, 1, 4, 7, 10, 13, 17};
    tb::PieceList men = list;
    for (int& s : men) s = s < 0 ? 99 : applySymmetry(s, symmetry);
    for (int r = 0; r + 1 < 7; ++r) std::sort(men.begin() + ranges[r], men.begin() + ranges[r + 1]);
    return men;
}

// True when `b` is `a` under one of the board symmetries the class allows
// (all eight without pawns, the file mirror with pawns).
bool sameUnderSymmetry(const tb::TablePosition& a, const tb::TablePosition& b, bool pawns) {
    for (int symmetry = 0; symmetry < 8; ++symmetry) {
        if (pawns && (symmetry & 6) != 0) continue;
        const int ep = a.epSquare < 0 ? -1 : applySymmetry(a.epSquare, symmetry);
        if (ep == b.epSquare && menOf(a.stronger, symmetry) == menOf(b.stronger, 0) &&
            menOf(a.weaker, symmetry) == menOf(b.weaker, 0))
            return true;
    }
    return false;
}

bool hasPawns(int cls) { return tb::tableClass(cls).name.find('p') != std::string_view::npos; }

// The board turned upside down with the colours exchanged: the stronger
// material is Black's, as the probe hands it over with `inverted` set.
tb::TablePosition upsideDown(const tb::TablePosition& p) {
    tb::TablePosition q = p;
    for (int& s : q.stronger) s = s < 0 ? s : s ^ 56;
    for (int& s : q.weaker) s = s < 0 ? s : s ^ 56;
    if (q.epSquare >= 0) q.epSquare ^= 56;
    return q;
}

std::uint32_t indexOf(int cls, int side, const tb::TablePosition& p, bool inverted = false) {
    return tb::tableIndex(cls, side, p.stronger, p.weaker, p.epSquare, inverted);
}

// Decodes every index in [from, to) and checks that each possible position
// encodes back to its index, also with the board turned for pawn classes.
void roundTrip(int cls, int side, const std::vector<std::uint64_t>& indices) {
    for (const std::uint64_t i : indices) {
        tb::TablePosition p;
        ASSERT_TRUE(tb::decodeIndex(cls, side, i, p));
        if (!tb::holdsPosition(side, p)) continue;
        const std::uint32_t j = indexOf(cls, side, p);
        if (j != i) {
            // Two pawns beside the one that stepped twice: the entry of the
            // other capturer stands for the same position and is never used.
            tb::TablePosition q;
            ASSERT_TRUE(tb::decodeIndex(cls, side, j, q))
                << tb::tableClass(cls).name << " side " << side << " index " << i;
            ASSERT_TRUE(p.epSquare >= 0 && sameUnderSymmetry(p, q, true))
                << tb::tableClass(cls).name << " side " << side << " index " << i;
        }
        if (hasPawns(cls)) {
            ASSERT_EQ(indexOf(cls, side, upsideDown(p), true), j) << tb::tableClass(cls).name;
        }
    }
}

void roundTripAll(int cls, int side) {
    const std::uint32_t size = tb::tableClass(cls).size[side];
    std::vector<std::uint64_t> chunk;
    for (std::uint64_t i = 0; i < size; ++i) {
        chunk.push_back(i);
        if (chunk.size() == 1 << 16 || i + 1 == size) {
            roundTrip(cls, side, chunk);
            if (::testing::Test::HasFatalFailure()) return;
            chunk.clear();
        }
    }
}

}  // namespace

TEST(TablebaseClasses, NamesNumbersAndMaterialLookup) {
    EXPECT_EQ(tb::classNumberOf("kqkr"), 19);
    EXPECT_EQ(tb::classNumberOf("kppkp"), 36);
    EXPECT_EQ(tb::classNumberOf("kqqkq"), 110);
    EXPECT_EQ(tb::classNumberOf("kkq"), 0);
    for (int c = 1; c <= tb::ClassCount; ++c) EXPECT_EQ(tb::classNumberOf(tb::tableClass(c).name), c);
    struct Case {
        tb::MaterialCounts counts;
        int cls;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 1, 0, 0, 0, 1, 0}, 19},   // White queen against a rook
        {{0, 0, 0, 1, 0, 0, 0, 0, 0, 1}, -19},  // Black queen against a rook
        {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0}, 6},    // kpkp reads the same from both sides
        {{0, 1, 1, 0, 0, 0, 0, 0, 0, 0}, 25},   // kbnk
        {{0, 0, 0, 0, 0, 0, 1, 1, 0, 0}, -25}, {{2, 0, 0, 0, 0, 1, 0, 0, 0, 0}, 36},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},    // bare kings: no table
        {{1, 0, 0, 0, 0, 1, 1, 0, 0, 0}, -41},  // Black's knight and pawn against a pawn
        {{1, 1, 0, 0, 0, 1, 1, 0, 0, 0}, 0},    // six men
        {{4, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},    // beyond the bounds
        {{0, 0, 0, 0, -1, 0, 0, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(tb::classLookup(c.counts), c.cls);
}

// Every table's numbering spans more values than its file holds only by a
// run of impossible positions: the last value of the file is a possible
// position, every value beyond it is not.
TEST(TablebaseIndex, EveryTableEndsAtItsLastPossiblePosition) {
    for (int cls = 1; cls <= tb::ClassCount; ++cls)
        for (int side = 0; side < 2; ++side) {
            const std::uint32_t size = tb::tableClass(cls).size[side];
            const std::uint64_t raw = tb::rawTableSize(cls, side);
            ASSERT_GE(raw, size) << tb::tableClass(cls).name << " side " << side;
            tb::TablePosition p;
            ASSERT_TRUE(tb::decodeIndex(cls, side, size - 1, p));
            EXPECT_TRUE(tb::holdsPosition(side, p)) << tb::tableClass(cls).name << " side " << side;
            EXPECT_EQ(indexOf(cls, side, p), size - 1);
            for (std::uint64_t i = size; i < raw; ++i) {
                ASSERT_TRUE(tb::decodeIndex(cls, side, i, p));
                ASSERT_FALSE(tb::holdsPosition(side, p))
                    << tb::tableClass(cls).name << " side " << side << " index " << i;
            }
            EXPECT_FALSE(tb::decodeIndex(cls, side, raw, p));
        }
}

// Every placement of three men: each legal position gets an index below the
// size, decoding it gives the same position up to a board symmetry, and every
// index decodes to a position that encodes back.
TEST(TablebaseIndex, ThreeMenEveryPositionAndEveryIndex) {
    for (int cls = 1; cls <= 5; ++cls)
        for (int side = 0; side < 2; ++side) {
            const bool pawn = cls == 1;
            const int place = std::array<int, 6>{
                0, tb::PawnPlace, tb::KnightPlace, tb::BishopPlace, tb::RookPlace, tb::QueenPlace}[cls];
            for (int wk = 0; wk < 64; ++wk)
                for (int bk = 0; bk < 64; ++bk)
                    for (int man = 0; man < 64; ++man) {
                        if (wk == bk || man == wk || man == bk || (pawn && (man < 8 || man > 55))) continue;
                        if (std::abs((wk & 7) - (bk & 7)) <= 1 && std::abs((wk >> 3) - (bk >> 3)) <= 1) continue;
                        tb::TablePosition p{};
                        p.stronger.fill(-1);
                        p.weaker.fill(-1);
                        p.stronger[0] = wk;
                        p.weaker[0] = bk;
                        p.stronger[place] = man;
                        p.epSquare = -1;
                        if (!tb::holdsPosition(side, p)) continue;
                        const std::uint32_t i = indexOf(cls, side, p);
                        ASSERT_LT(i, tb::tableClass(cls).size[side]);
                        tb::TablePosition back;
                        ASSERT_TRUE(tb::decodeIndex(cls, side, i, back));
                        ASSERT_TRUE(sameUnderSymmetry(p, back, pawn))
                            << tb::tableClass(cls).name << " " << wk << " " << bk << " " << man;
                    }
            roundTripAll(cls, side);
        }
}

TEST(TablebaseIndexSlow, FourMenEveryIndexRoundTrips) {
    for (int cls = 6; cls <= 35; ++cls)
        for (int side = 0; side < 2; ++side) {
            roundTripAll(cls, side);
            if (HasFatalFailure()) return;
        }
}

TEST(TablebaseIndex, FiveMenRandomIndicesRoundTrip) {
    std::mt19937 random(4711);
    for (int cls = 36; cls <= tb::ClassCount; ++cls)
        for (int side = 0; side < 2; ++side) {
            std::uniform_int_distribution<std::uint64_t> pick(0, tb::tableClass(cls).size[side] - 1);
            std::vector<std::uint64_t> indices(400);
            for (auto& i : indices) i = pick(random);
            // The en-passant entries sit at the end: sample them too.
            const std::uint64_t raw = tb::rawTableSize(cls, side);
            for (std::uint64_t i = 0; i < 100 && i < raw; ++i)
                indices.push_back(tb::tableClass(cls).size[side] - 1 - i * 37);
            roundTrip(cls, side, indices);
            if (HasFatalFailure()) return;
        }
}

// Random legal positions of four and five men, with and without an
// en-passant capture at hand, get an index below the size that decodes to the
// same position up to a symmetry.
TEST(TablebaseIndex, RandomPositionsGetTheirIndex) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> square(0, 63), pawnSquare(8, 55), file(0, 7);
    for (int cls = 6; cls <= tb::ClassCount; ++cls) {
        std::array<std::array<int, 5>, 2> men{};
        ASSERT_TRUE(tb::namedMaterial(tb::tableClass(cls).name, men));
        const bool pawns = hasPawns(cls);
        const bool bothPawns = men[0][0] > 0 && men[1][0] > 0;
        for (int side = 0; side < 2; ++side)
            for (int trial = 0, found = 0; trial < 20000 && found < 300; ++trial) {
                tb::TablePosition p{};
                p.stronger.fill(-1);
                p.weaker.fill(-1);
                p.epSquare = -1;
                std::array<bool, 64> used{};
                const auto put = [&](int s) {
                    if (used[s]) return false;
                    used[s] = true;
                    return true;
                };
                bool ok = put(p.stronger[0] = square(random)) && put(p.weaker[0] = square(random));
                int pawnsPlaced[2] = {0, 0};
                if (ok && bothPawns && trial % 2 == 0) {
                    // The side not to move has just stepped a pawn twice past
                    // the square `e`, and a pawn of the side to move stands beside it.
                    const int f = file(random);
                    const int cf = f == 0 ? 1 : f == 7 ? 6 : (trial % 4 == 0 ? f - 1 : f + 1);
                    const int steppedRank = side == 0 ? 32 : 24;
                    const int e = side == 0 ? steppedRank + f + 8 : steppedRank + f - 8;
                    const int origin = side == 0 ? e + 8 : e - 8;
                    tb::PieceList& mover = side == 0 ? p.stronger : p.weaker;
                    tb::PieceList& other = side == 0 ? p.weaker : p.stronger;
                    ok = put(other[tb::PawnPlace] = steppedRank + f) && put(mover[tb::PawnPlace] = steppedRank + cf) &&
                         put(e) && put(origin);
                    pawnsPlaced[side == 0 ? 1 : 0] = pawnsPlaced[side] = 1;
                    p.epSquare = e;
                }
                for (int s = 0; s < 2 && ok; ++s) {
                    tb::PieceList& list = s == 0 ? p.stronger : p.weaker;
                    const std::array<int, 5> places = {tb::PawnPlace, tb::KnightPlace, tb::BishopPlace, tb::RookPlace,
                                                       tb::QueenPlace};
                    for (int type = 0; type < 5 && ok; ++type)
                        for (int n = type == 0 ? pawnsPlaced[s] : 0; n < men[s][type] && ok; ++n)
                            ok = put(list[places[type] + n] = type == 0 ? pawnSquare(random) : square(random));
                }
                if (!ok) continue;
                if (p.epSquare >= 0) {
                    // the passed squares were reserved above; free them for the check
                    used[p.epSquare] = false;
                }
                if (std::abs((p.stronger[0] & 7) - (p.weaker[0] & 7)) <= 1 &&
                    std::abs((p.stronger[0] >> 3) - (p.weaker[0] >> 3)) <= 1)
                    continue;
                if (!tb::holdsPosition(side, p)) continue;
                ++found;
                const std::uint32_t i = indexOf(cls, side, p);
                ASSERT_LT(i, tb::tableClass(cls).size[side]) << tb::tableClass(cls).name << " side " << side;
                tb::TablePosition back;
                ASSERT_TRUE(tb::decodeIndex(cls, side, i, back));
                ASSERT_TRUE(sameUnderSymmetry(p, back, pawns))
                    << tb::tableClass(cls).name << " side " << side << " index " << i;
                if (pawns) {
                    ASSERT_EQ(indexOf(cls, side, upsideDown(p), true), i);
                }
            }
    }
}

// King and queen against king with the king to move: the queen may stand on
// any of the 62 squares the kings leave, after the pair number of the kings.
TEST(TablebaseIndex, LoneKingToMoveAgainstKingAndQueen) {
    // Pair numbers counted here from their definition: the first king over
    // a1 b1 c1 d1 b2 c2 d2 c3 d3 d4, the second over every square not next to
    // it (on or below the diagonal when the first is on it).
    const auto pairNumber = [](int first, int second) {
        int n = 0;
        for (const int f : {0, 1, 2, 3, 9, 10, 11, 18, 19, 27})
            for (int s = 0; s < 64; ++s) {
                if (std::abs((f & 7) - (s & 7)) <= 1 && std::abs((f >> 3) - (s >> 3)) <= 1) continue;
                if ((f & 7) == (f >> 3) && (s & 7) < (s >> 3)) continue;
                if (f == first && s == second) return n;
                ++n;
            }
        return -1;
    };
    struct Case {
        int weakKing, strongKing, queen, mirroredWeakKing, mirroredStrongKing, mirroredQueen;
    };
    // The weak king on e5 is brought to d4 by the quadrant mask 63.
    const Case cases[] = {
        {0, 18, 63, 0, 18, 63}, {36, 0, 7, 27, 63, 56}, {10, 44, 1, 10, 44, 1}, {3, 40, 62, 3, 40, 62}};
    for (const Case& c : cases) {
        tb::PieceList strong, weak;
        strong.fill(-1);
        weak.fill(-1);
        strong[0] = c.strongKing;
        strong[tb::QueenPlace] = c.queen;
        weak[0] = c.weakKing;
        const int K = c.mirroredWeakKing, k = c.mirroredStrongKing, Q = c.mirroredQueen;
        const std::uint32_t expected = static_cast<std::uint32_t>(pairNumber(K, k) * 62 + Q - (K < Q) - (k < Q));
        EXPECT_EQ(tb::tableIndex(5, 1, strong, weak, -1, false), expected);
    }
}

// The seven losses in 127 moves of kppkp (the pawn pair's opponent to move),
// one more than a byte holds, stand at these indices of the original files.
// They fix the order the numbering gives pawn squares and king pairs with
// Black to move.
TEST(TablebaseIndex, TheDeepestKppkpLossesSitAtTheirOriginalIndices) {
    struct Case {
        std::uint32_t index;
        const char* fen;
    };
    const Case cases[] = {
        {56802428, "8/1p6/8/8/4P3/k1K1P3/8/8 b - -"},  {56811076, "8/8/1p6/8/4P3/k1K1P3/8/8 b - -"},
        {56849992, "8/1p6/8/8/4P3/k2KP3/8/8 b - -"},   {56858640, "8/8/1p6/8/4P3/k2KP3/8/8 b - -"},
        {59592489, "8/8/8/1p6/4P3/1k1KP3/8/8 b - -"},  {67775659, "8/8/8/1p6/4P3/2K1P3/k7/8 b - -"},
        {71071628, "8/8/8/1p6/4P3/4P3/1k6/3K4 b - -"},
    };
    const int cls = tb::classNumberOf("kppkp");
    for (const Case& c : cases) {
        tb::TablePosition p;
        ASSERT_TRUE(tb::decodeIndex(cls, tb::WeakerToMove, c.index, p));
        EXPECT_EQ(tb::fenOfLists(p.stronger, p.weaker, tb::WeakerToMove, p.epSquare), c.fen);
        EXPECT_EQ(indexOf(cls, tb::WeakerToMove, p), c.index);
    }
}
