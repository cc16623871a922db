#pragma once
// Precomputed square and move tables, built at compile time. Move generation
// and attack tests read them instead of doing geometry: one table read per
// candidate square and one skip to leave a blocked ray.
#include <array>
#include <cstdint>
#include <cstdlib>

#include "board/types.h"

namespace halberd::board {

// One entry of a piece cell: a target square and the number of entries from
// here to the end of its ray, so that target + skip entries is the next ray.
struct RayEntry {
    std::int32_t target;
    std::int32_t skip;
};

// One entry of a pawn cell; flags bit 0 = push (only onto an empty square),
// bit 1 = the target is on the promotion rank. Entries without bit 0 capture.
struct PawnEntry {
    std::int32_t target;
    std::int32_t skip;
    std::int32_t flags;
};

constexpr int PawnPush = 1;
constexpr int PawnPromotes = 2;

constexpr int PieceCellSize = 32;  // a queen in the centre has 27 targets + terminator
constexpr int PawnCellSize = 5;    // push, double push, two captures + terminator

using PieceCell = std::array<RayEntry, PieceCellSize>;
using PawnCell = std::array<PawnEntry, PawnCellSize>;

namespace detail {

// A step from p by d stays on the board when the file changes by at most 2:
// a wrap-around changes it by 6 or 7, a knight jump by 1 or 2.
constexpr bool stepOnBoard(int p, int d) {
    const int q = p + d;
    if (q < 0 || q > 63) return false;
    const int df = fileOf(q) - fileOf(p);
    return df >= -2 && df <= 2;
}

struct Directions {
    std::array<int, 8> offsets;
    int count;
    bool slides;
};

// Direction orders fix the order in which the generators emit moves; each
// colour's table starts with the moves towards the opponent.
constexpr std::array<std::array<Directions, 5>, 2> DirectionOrders = {{
    {{
        {{8, -8, 1, -1, 7, -7, 9, -9}, 8, false},        // king
        {{8, -8, 1, -1, 7, -7, 9, -9}, 8, true},         // queen
        {{8, -8, 1, -1, 0, 0, 0, 0}, 4, true},           // rook
        {{7, -7, 9, -9, 0, 0, 0, 0}, 4, true},           // bishop
        {{10, -10, 17, -17, 15, -15, 6, -6}, 8, false},  // knight
    }},
    {{
        {{-8, 8, 1, -1, -9, 9, -7, 7}, 8, false},
        {{-8, 8, 1, -1, -9, 9, -7, 7}, 8, true},
        {{-8, 8, 1, -1, 0, 0, 0, 0}, 4, true},
        {{-9, 9, -7, 7, 0, 0, 0, 0}, 4, true},
        {{-6, 6, -15, 15, -17, 17, -10, 10}, 8, false},
    }},
}};

constexpr PieceCell buildPieceCell(int colour, int type, int square) {
    PieceCell cell{};
    const Directions& dirs = DirectionOrders[colour][type];
    int n = 0;
    for (int i = 0; i < dirs.count; ++i) {
        const int d = dirs.offsets[i];
        const int rayStart = n;
        int p = square;
        while (stepOnBoard(p, d)) {
            p += d;
            cell[n++] = {p, 0};
            if (!dirs.slides) break;
        }
        for (int k = rayStart; k < n; ++k) cell[k].skip = n - k;
    }
    cell[n] = {OffBoard, 0};
    return cell;
}

constexpr PawnCell buildPawnCell(int colour, int square) {
    PawnCell cell{};
    const int f = fileOf(square);
    const int r = rankOf(square);
    const int forward = pawnPush(Colour(colour));
    const int lastRankBefore = colour == White ? 6 : 1;
    const int startRank = colour == White ? 1 : 6;
    const int promoFlag = r == lastRankBefore ? PawnPromotes : 0;
    int n = 0;
    cell[n++] = {square + forward, 1, PawnPush | promoFlag};
    if (r == startRank) {
        cell[0].skip = 2;
        cell[n++] = {square + 2 * forward, 1, PawnPush};
    }
    // White captures towards +7 then +9, Black towards -9 then -7: left file first.
    if (f > 0) cell[n++] = {square + forward - 1, 1, promoFlag};
    if (f < 7) cell[n++] = {square + forward + 1, 1, promoFlag};
    cell[n] = {OffBoard, 0, 0};
    return cell;
}

constexpr int sign(int x) { return (x > 0) - (x < 0); }
// std::abs is constexpr only from C++23; the tables are built at compile time.
constexpr int absolute(int x) { return x < 0 ? -x : x; }

constexpr std::int16_t direction(int s, int t) {
    if (s == t) return 0;
    const int df = fileOf(t) - fileOf(s);
    const int dr = rankOf(t) - rankOf(s);
    const int adf = absolute(df);
    const int adr = absolute(dr);
    if (dr == 0) return static_cast<std::int16_t>((t - s) / adf);
    if (df == 0) return static_cast<std::int16_t>((t - s) / adr);
    if (adf == adr) return static_cast<std::int16_t>((t - s) / adf);
    if ((adf == 1 && adr == 2) || (adf == 2 && adr == 1)) return static_cast<std::int16_t>(t - s);
    return 0;
}

}  // namespace detail

// DirectionTable[from][to]: unit step along a shared line, the full offset of a
// knight jump, or 0.
inline constexpr std::array<std::array<std::int16_t, 64>, 64> DirectionTable = [] {
    std::array<std::array<std::int16_t, 64>, 64> t{};
    for (int s = 0; s < 64; ++s)
        for (int u = 0; u < 64; ++u) t[s][u] = detail::direction(s, u);
    return t;
}();

// Kind of line by |direction|: 1 orthogonal, 2 diagonal, 3 knight jump, 0 none.
constexpr int LineOrthogonal = 1;
constexpr int LineDiagonal = 2;
constexpr int LineKnight = 3;
inline constexpr std::array<std::int8_t, 18> LineKind = {0, 1, 0, 0, 0, 0, 3, 2, 1, 2, 3, 0, 0, 0, 0, 3, 0, 3};

inline constexpr int lineKindOf(int direction) { return LineKind[direction < 0 ? -direction : direction]; }

// Chebyshev distance between two squares.
inline constexpr std::array<std::array<std::uint8_t, 64>, 64> KingDistance = [] {
    std::array<std::array<std::uint8_t, 64>, 64> t{};
    for (int s = 0; s < 64; ++s)
        for (int u = 0; u < 64; ++u) {
            const int df = detail::absolute(fileOf(s) - fileOf(u));
            const int dr = detail::absolute(rankOf(s) - rankOf(u));
            t[s][u] = static_cast<std::uint8_t>(df > dr ? df : dr);
        }
    return t;
}();

// PieceMoveTable[colour][type King..Knight][square].
inline constexpr std::array<std::array<std::array<PieceCell, 64>, 5>, 2> PieceMoveTable = [] {
    std::array<std::array<std::array<PieceCell, 64>, 5>, 2> t{};
    for (int c = 0; c < 2; ++c)
        for (int type = 0; type < 5; ++type)
            for (int s = 0; s < 64; ++s) t[c][type][s] = detail::buildPieceCell(c, type, s);
    return t;
}();

// PieceReach[type King..Knight][square]: every target of the piece's move
// table on an empty board, as a set (the same for both colours).
inline constexpr std::array<std::array<std::uint64_t, 64>, 5> PieceReach = [] {
    std::array<std::array<std::uint64_t, 64>, 5> t{};
    for (int type = 0; type < 5; ++type)
        for (int s = 0; s < 64; ++s)
            for (const RayEntry& e : PieceMoveTable[White][type][s]) {
                if (e.target == OffBoard) break;
                t[type][s] |= std::uint64_t{1} << e.target;
            }
    return t;
}();

// PawnMoveTable[colour][square].
inline constexpr std::array<std::array<PawnCell, 64>, 2> PawnMoveTable = [] {
    std::array<std::array<PawnCell, 64>, 2> t{};
    for (int c = 0; c < 2; ++c)
        for (int s = 0; s < 64; ++s) t[c][s] = detail::buildPawnCell(c, s);
    return t;
}();

}  // namespace halberd::board
