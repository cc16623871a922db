#pragma once
// Fixed tables of the index functions: board symmetries, the two king-pair
// numberings and the square lists each kind of man is numbered in.

#include <array>
#include <cstdint>

namespace halberd::tablebase {

constexpr int fileOf(int square) { return square & 7; }
constexpr int rankOf(int square) { return square >> 3; }

// Symmetries as square maps: bit 0 mirrors the files, bit 1 the ranks, bit 2
// then reflects about the a1-h8 diagonal.
constexpr int MirrorFiles = 1, MirrorRanks = 2, ReflectDiagonal = 4;
constexpr int Symmetries = 8;
constexpr std::array<std::array<std::uint8_t, 64>, Symmetries> SymmetryMap = [] {
    std::array<std::array<std::uint8_t, 64>, Symmetries> maps{};
    for (int symmetry = 0; symmetry < Symmetries; ++symmetry)
        for (int square = 0; square < 64; ++square) {
            int s = square ^ ((symmetry & MirrorFiles) ? 7 : 0) ^ ((symmetry & MirrorRanks) ? 56 : 0);
            if (symmetry & ReflectDiagonal) s = fileOf(s) * 8 + rankOf(s);
            maps[symmetry][square] = static_cast<std::uint8_t>(s);
        }
    return maps;
}();

constexpr bool kingsTouch(int a, int b) {
    const int df = fileOf(a) - fileOf(b), dr = rankOf(a) - rankOf(b);
    return df >= -1 && df <= 1 && dr >= -1 && dr <= 1;
}

// The ten squares a1 b1 c1 d1 b2 c2 d2 c3 d3 d4 the first king is brought to
// in a table without pawns.
constexpr bool inTriangle(int square) { return fileOf(square) < 4 && rankOf(square) <= fileOf(square); }

constexpr int PawnlessPairs = 462;
constexpr int PawnPairs = 1806;
constexpr std::int16_t NoPair = -1;

// King pairs (first king = king of the side to move): pawnless, the first king
// in the triangle and, with it on the diagonal, the second on or below it;
// with pawns, the first king on files a..d. Both kings in square order.
struct KingPairs {
    std::array<std::array<std::int16_t, 64>, 64> pawnless;  // [first][second]
    std::array<std::array<std::int16_t, 64>, 64> pawn;
    std::array<std::array<std::uint8_t, 2>, PawnlessPairs> pawnlessKings;
    std::array<std::array<std::uint8_t, 2>, PawnPairs> pawnKings;
};
constexpr KingPairs KingPairTable = [] {
    KingPairs t{};
    int pawnless = 0, pawn = 0;
    for (int first = 0; first < 64; ++first)
        for (int second = 0; second < 64; ++second) {
            t.pawnless[first][second] = NoPair;
            t.pawn[first][second] = NoPair;
            if (kingsTouch(first, second)) continue;
            if (inTriangle(first) && !(fileOf(first) == rankOf(first) && fileOf(second) < rankOf(second))) {
                t.pawnlessKings[pawnless] = {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)};
                t.pawnless[first][second] = static_cast<std::int16_t>(pawnless++);
            }
            if (fileOf(first) < 4) {
                t.pawnKings[pawn] = {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)};
                t.pawn[first][second] = static_cast<std::int16_t>(pawn++);
            }
        }
    return t;
}();
static_assert(KingPairTable.pawnless[27][63] == PawnlessPairs - 1 && KingPairTable.pawn[59][63] == PawnPairs - 1);

// Square lists of the side to move's men, relative to the king they could
// attack: every square except that king's and those from which the man would
// attack it whatever stands between; pawns only on ranks 2..7. The other
// side's pawns, when the side to move has only its king, use the list of
// ranks 2..7 less that king (BarePawn).
enum ListKind : int { QueenList, RookList, BishopList, KnightList, UpPawnList, DownPawnList, BarePawnList, ListKinds };
constexpr std::uint8_t NotListed = 255;

constexpr bool leftOutOfList(int kind, int king, int square) {
    if (square == king) return true;
    const bool pawnList = kind >= UpPawnList;
    if (pawnList && (rankOf(square) == 0 || rankOf(square) == 7)) return true;
    int df = fileOf(square) - fileOf(king), dr = rankOf(square) - rankOf(king);
    const int adf = df < 0 ? -df : df, adr = dr < 0 ? -dr : dr;
    switch (kind) {
        case QueenList: return adf <= 1 && adr <= 1;
        case RookList: return adf + adr == 1;
        case BishopList: return adf == 1 && adr == 1;
        case KnightList: return (adf == 1 && adr == 2) || (adf == 2 && adr == 1);
        case UpPawnList: return adf == 1 && dr == -1;
        case DownPawnList: return adf == 1 && dr == 1;
        default: return false;
    }
}

struct SquareLists {
    std::array<std::array<std::array<std::uint8_t, 64>, 64>, ListKinds> position;  // [kind][king][square]
    std::array<std::array<std::array<std::uint8_t, 64>, 64>, ListKinds> square;    // [kind][king][position]
    std::array<std::array<std::uint8_t, 64>, ListKinds> length;                    // [kind][king]
};
constexpr SquareLists SquareListTable = [] {
    SquareLists t{};
    for (int kind = 0; kind < ListKinds; ++kind)
        for (int king = 0; king < 64; ++king) {
            int n = 0;
            for (int square = 0; square < 64; ++square) {
                t.square[kind][king][square] = NotListed;
                if (leftOutOfList(kind, king, square)) {
                    t.position[kind][king][square] = NotListed;
                } else {
                    t.position[kind][king][square] = static_cast<std::uint8_t>(n);
                    t.square[kind][king][n++] = static_cast<std::uint8_t>(square);
                }
            }
            t.length[kind][king] = static_cast<std::uint8_t>(n);
        }
    return t;
}();

}  // namespace halberd::tablebase
