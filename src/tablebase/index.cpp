#include "tablebase/index.h"

#include <algorithm>

#include "tablebase/classes.h"
#include "tablebase/material.h"
#include "tablebase/numbering.h"
#include "tablebase/tablelayout.h"

namespace halberd::tablebase {

namespace {

constexpr std::array<int, 5> TypePlace = {PawnPlace, KnightPlace, BishopPlace, RookPlace, QueenPlace};
constexpr std::array<int, 5> TypeList = {UpPawnList, KnightList, BishopList, RookList, QueenList};

// A pawn of the side to move is listed by the squares it attacks the other
// king from, in the frame its group is numbered in.
int listOf(int type, int side, int frame) {
    if (type != PawnType) return TypeList[type];
    return (side == StrongerToMove) == (frame == 0) ? UpPawnList : DownPawnList;
}

void addGroup(int& groups, std::array<ManGroup, 3>& into, int type, int count, int list) {
    into[groups++] = ManGroup{type, count, TypePlace[type], list, 0, 0};
}

// Where each king pair's block of values starts: the normal entries of
// every pair, then the en-passant entries of every pair. The pair table's
// squares are those of the layout's frame.
void countBlocks(TableLayout& t) {
    t.pairs = t.pawns ? PawnPairs : PawnlessPairs;
    std::vector<std::uint64_t> normal(t.pairs), ep(t.pairs);
    for (int pair = 0; pair < t.pairs; ++pair) {
        const auto& kings = t.pawns ? KingPairTable.pawnKings[pair] : KingPairTable.pawnlessKings[pair];
        std::uint64_t count = t.fixedProduct, epCount = numbering::EpConfigurations * t.epTailProduct;
        for (int g = 0; g < t.firstGroups; ++g) {
            const std::uint64_t values =
                combinations(groupList(t.first[g].list, kings[0], kings[1]).length, t.first[g].count);
            count *= values;
            if (t.first[g].type != PawnType) epCount *= values;
        }
        normal[pair] = count;
        ep[pair] = t.enPassant ? epCount : 0;
    }
    std::uint64_t total = 0;
    for (const std::uint64_t count : normal) {
        t.normalBase.push_back(static_cast<std::uint32_t>(total));
        total += count;
    }
    t.normalBase.push_back(static_cast<std::uint32_t>(total));
    if (t.enPassant) {
        for (const std::uint64_t count : ep) {
            t.epBase.push_back(static_cast<std::uint32_t>(total));
            total += count;
        }
        t.epBase.push_back(static_cast<std::uint32_t>(total));
    }
}

TableLayout buildLayout(int cls, int side) {
    TableLayout t;
    std::array<std::array<int, 5>, 2> men{};
    namedMaterial(tableClass(cls).name, men);
    const auto& mover = men[side];
    const auto& other = men[otherSide(side)];
    int moverMen = 0, otherMen = 0;
    for (int type = 0; type < 5; ++type) {
        moverMen += mover[type];
        otherMen += other[type];
    }
    t.moverPawns = mover[PawnType];
    t.pawnsTotal = mover[PawnType] + other[PawnType];
    t.pawns = t.pawnsTotal > 0;
    t.enPassant = mover[PawnType] > 0 && other[PawnType] > 0;
    t.bareMover = moverMen == 0;
    t.frame = numbering::moverFrame(t.pawns, side == StrongerToMove);
    for (const int type : numbering::ManOrder) {
        if (mover[type] > 0) addGroup(t.firstGroups, t.first, type, mover[type], listOf(type, side, t.frame));
        if (other[type] == 0) continue;
        if (t.bareMover && type == PawnType)
            addGroup(t.firstGroups, t.first, type, other[type], BarePawnList);
        else
            addGroup(t.fixedGroups, t.fixed, type, other[type], 0);
    }
    // The other side's pieces: the squares left by every man placed before
    // them; its pawns: ranks 2..7 less the side to move's pawns.
    const int firstMen = t.bareMover ? other[PawnType] : moverMen;
    const int fixedPawns = t.bareMover ? 0 : other[PawnType];
    const int menOnBoard = 2 + moverMen + otherMen;
    int before = 0;
    for (int g = 0; g < t.fixedGroups; ++g) {
        ManGroup& group = t.fixed[g];
        if (group.type == PawnType) {
            group.radix = static_cast<std::uint32_t>(combinations(48 - t.moverPawns, group.count));
        } else {
            group.radix =
                static_cast<std::uint32_t>(combinations(64 - 2 - firstMen - fixedPawns - before, group.count));
            group.epRadix =
                static_cast<std::uint32_t>(combinations(64 - (menOnBoard - group.count) - 2 - before, group.count));
            before += group.count;
            t.epTailProduct *= group.epRadix;
        }
        t.fixedProduct *= group.radix;
    }
    if (t.enPassant && t.pawnsTotal > 2) {
        t.epRemainingPawnRadix = static_cast<std::uint32_t>(combinations(48 - 4, t.pawnsTotal - 2));
        t.epTailProduct *= t.epRemainingPawnRadix;
    }

    countBlocks(t);
    return t;
}

// Up to four men of one group's type taken from a list, through the board
// symmetry, in increasing square order.
int groupSquares(const PieceList& list, const ManGroup& group, const std::array<std::uint8_t, 64>& map,
                 std::array<int, 4>& squares) {
    const int places = group.type == PawnType ? 4 : 3;
    int n = 0;
    for (int p = group.place; p < group.place + places; ++p)
        if (list[p] >= 0 && list[p] < 64) squares[n++] = map[list[p]];
    if (n == 2 && squares[0] > squares[1]) std::swap(squares[0], squares[1]);
    return n;
}

// Number of `squares` below `square` on the board seen in `frame`.
int below(const int* squares, int n, int square, int frame = 0) {
    int count = 0;
    for (int i = 0; i < n; ++i) count += (squares[i] ^ frame) < (square ^ frame) ? 1 : 0;
    return count;
}

// Two like men in either order (the turned board can reverse the order of their squares).
std::uint32_t groupValue(const std::array<std::uint32_t, 2>& positions, int count) {
    if (count == 1) return positions[0];
    return numbering::likePair(std::min(positions[0], positions[1]), std::max(positions[0], positions[1]));
}

bool contains(const int* squares, int n, int square) { return std::find(squares, squares + n, square) != squares + n; }

// The men of one position as the index steps place them, through the symmetry.
struct PlacedMen {
    int K = 0, k = 0, pair = 0;
    std::array<int, 8> placed{};  // kings, first groups, the other side's pawns, then its pieces
    int placedCount = 0;
    std::array<std::uint32_t, 3> firstValue{}, firstRadix{};
    std::array<int, 4> moverPawnSquares{};
    int moverPawnCount = 0;
    std::array<std::array<int, 4>, 3> fixedSquares{};
};

// Symmetry: pawns allow only the file mirror (after turning the board
// when the stronger side is Black); without pawns the first king goes to
// the a1-d1-d4 triangle, the second below the diagonal when it can.
int chooseSymmetry(const TableLayout& t, const PieceList& mover, const PieceList& other, bool inverted) {
    int symmetry = 0;
    if (t.pawns) {
        symmetry = inverted ? MirrorRanks : 0;
        if (fileOf(mover[KingPlace]) > 3) symmetry |= MirrorFiles;
    } else {
        if (fileOf(mover[KingPlace]) > 3) symmetry |= MirrorFiles;
        if (rankOf(mover[KingPlace]) > 3) symmetry |= MirrorRanks;
        const int K0 = SymmetryMap[symmetry][mover[KingPlace]], k0 = SymmetryMap[symmetry][other[KingPlace]];
        if (!inTriangle(K0) || (fileOf(K0) == rankOf(K0) && fileOf(k0) < rankOf(k0))) symmetry |= ReflectDiagonal;
    }
    return symmetry;
}

// Men numbered relative to the other king: the side to move's men, or the
// other side's pawns when the side to move has only its king.
bool numberFirstGroups(const TableLayout& t, const PieceList& source, const std::array<std::uint8_t, 64>& map,
                       PlacedMen& men) {
    for (int g = 0; g < t.firstGroups; ++g) {
        const ManGroup& group = t.first[g];
        std::array<int, 4> squares{};
        if (groupSquares(source, group, map, squares) != group.count) return false;
        const int f = t.frame;
        const GroupList list = groupList(group.list, men.K ^ f, men.k ^ f);
        std::array<std::uint32_t, 2> positions{};
        for (int i = 0; i < group.count; ++i) {
            const int position = SquareListTable.position[group.list][men.k ^ f][squares[i] ^ f];
            if (position == NotListed) return false;
            positions[i] =
                static_cast<std::uint32_t>(position - (list.firstKingListed && (men.K ^ f) < (squares[i] ^ f) ? 1 : 0));
            men.placed[men.placedCount++] = squares[i];
            if (group.type == PawnType && !t.bareMover) men.moverPawnSquares[men.moverPawnCount++] = squares[i];
        }
        men.firstValue[g] = groupValue(positions, group.count);
        men.firstRadix[g] = static_cast<std::uint32_t>(combinations(list.length, group.count));
    }
    return true;
}

// The other side's men: pawns first (they only avoid the side to move's
// pawns), then the pieces among the squares every earlier man leaves.
// Here only their squares are gathered and the pawns' ranks checked.
bool placeOtherMen(const TableLayout& t, const PieceList& other, const std::array<std::uint8_t, 64>& map,
                   PlacedMen& men) {
    for (int g = 0; g < t.fixedGroups; ++g) {
        const ManGroup& group = t.fixed[g];
        if (groupSquares(other, group, map, men.fixedSquares[g]) != group.count) return false;
        if (group.type != PawnType) continue;
        for (int i = 0; i < group.count; ++i) {
            if (rankOf(men.fixedSquares[g][i]) == 0 || rankOf(men.fixedSquares[g][i]) == 7) return false;
            men.placed[men.placedCount++] = men.fixedSquares[g][i];
        }
    }
    return true;
}

// The squares of an en-passant entry; `capturer` is -1 when the position
// has none and takes the ordinary index.
struct EpEntry {
    int e = 0, stepped = 0, origin = 0, capturer = -1;
    std::array<int, 4> otherPawnSquares{};
    int otherPawnCount = 0;
};

// An en-passant entry: the other side's pawn that just stepped twice
// stands beside a pawn of the side to move, and the squares it passed are empty.
EpEntry enPassantEntry(const TableLayout& t, int side, int e, const PlacedMen& men) {
    EpEntry entry;
    entry.e = e;
    entry.stepped = side == StrongerToMove ? e - 8 : e + 8;
    entry.origin = side == StrongerToMove ? e + 8 : e - 8;
    for (int g = 0; g < t.fixedGroups; ++g)
        if (t.fixed[g].type == PawnType)
            for (int i = 0; i < t.fixed[g].count; ++i)
                entry.otherPawnSquares[entry.otherPawnCount++] = men.fixedSquares[g][i];
    const int stepped = entry.stepped;
    if (rankOf(e) == (side == StrongerToMove ? 5 : 2) &&
        contains(entry.otherPawnSquares.data(), entry.otherPawnCount, stepped) &&
        !contains(men.placed.data(), men.placedCount, e) &&
        !contains(men.placed.data(), men.placedCount, entry.origin)) {
        if (fileOf(stepped) > 0 && contains(men.moverPawnSquares.data(), men.moverPawnCount, stepped - 1))
            entry.capturer = stepped - 1;
        else if (fileOf(stepped) < 7 && contains(men.moverPawnSquares.data(), men.moverPawnCount, stepped + 1))
            entry.capturer = stepped + 1;
    }
    return entry;
}

// The leading digits of an en-passant entry: the side to move's pieces (its
// pawns follow from the entry), the entry's configuration and the remaining pawn.
std::uint64_t epLeadingValue(const TableLayout& t, const EpEntry& entry, const PlacedMen& men) {
    std::uint64_t value = 0;
    for (int g = 0; g < t.firstGroups; ++g)
        if (t.first[g].type != PawnType) value = value * men.firstRadix[g] + men.firstValue[g];
    value = value * numbering::EpConfigurations + static_cast<std::uint64_t>(numbering::epConfiguration(
                                                      fileOf(entry.stepped), entry.capturer > entry.stepped));
    if (t.pawnsTotal > 2) {
        // The remaining pawn, of either side, among ranks 2..7 less the
        // entry's two pawns and the two squares passed.
        const std::array<int, 4> entrySquares{entry.stepped, entry.capturer, entry.e, entry.origin};
        int remaining = -1;
        for (int i = 0; i < men.moverPawnCount; ++i)
            if (men.moverPawnSquares[i] != entry.capturer) remaining = men.moverPawnSquares[i];
        for (int i = 0; i < entry.otherPawnCount; ++i)
            if (entry.otherPawnSquares[i] != entry.stepped) remaining = entry.otherPawnSquares[i];
        value = value * t.epRemainingPawnRadix +
                static_cast<std::uint64_t>(remaining - 8 - below(entrySquares.data(), 4, remaining));
    }
    return value;
}

// The index of an en-passant entry: its leading digits, then the other
// side's pieces among the squares left by all other men and the two squares passed.
std::uint32_t epEntryIndex(const TableLayout& t, const EpEntry& entry, const PlacedMen& men) {
    std::uint64_t value = epLeadingValue(t, entry, men);
    std::array<int, 10> taken{};
    int takenCount = men.placedCount;
    std::copy(men.placed.begin(), men.placed.begin() + men.placedCount, taken.begin());
    taken[takenCount++] = entry.e;
    taken[takenCount++] = entry.origin;
    for (int g = 0; g < t.fixedGroups; ++g) {
        const ManGroup& group = t.fixed[g];
        if (group.type == PawnType) continue;
        std::array<std::uint32_t, 2> positions{};
        for (int i = 0; i < group.count; ++i) {
            const int square = men.fixedSquares[g][i];
            if (contains(taken.data(), takenCount, square)) return NoIndex;
            positions[i] =
                static_cast<std::uint32_t>((square ^ t.frame) - below(taken.data(), takenCount, square, t.frame));
        }
        value = value * group.epRadix + groupValue(positions, group.count);
        for (int i = 0; i < group.count; ++i) taken[takenCount++] = men.fixedSquares[g][i];
    }
    return static_cast<std::uint32_t>(t.epBase[men.pair] + value);
}

// The ordinary index: the first groups' values, then the other side's pawns
// among ranks 2..7 less the side to move's pawns, then its pieces among the
// squares every man placed before leaves.
std::uint32_t ordinaryIndex(const TableLayout& t, PlacedMen& men) {
    std::uint64_t value = 0;
    for (int g = 0; g < t.firstGroups; ++g) value = value * men.firstRadix[g] + men.firstValue[g];
    for (int g = 0; g < t.fixedGroups; ++g) {
        const ManGroup& group = t.fixed[g];
        std::array<std::uint32_t, 2> positions{};
        for (int i = 0; i < group.count; ++i) {
            const int square = men.fixedSquares[g][i];
            if (group.type != PawnType && contains(men.placed.data(), men.placedCount, square)) return NoIndex;
            const int position = group.type == PawnType
                                     ? square - 8 - below(men.moverPawnSquares.data(), men.moverPawnCount, square)
                                     : (square ^ t.frame) - below(men.placed.data(), men.placedCount, square, t.frame);
            positions[i] = static_cast<std::uint32_t>(position);
        }
        value = value * group.radix + groupValue(positions, group.count);
        if (group.type != PawnType)
            for (int i = 0; i < group.count; ++i) men.placed[men.placedCount++] = men.fixedSquares[g][i];
    }
    return static_cast<std::uint32_t>(t.normalBase[men.pair] + value);
}

}  // namespace

const TableLayout& tableLayout(int cls, int side) {
    static const std::vector<std::array<TableLayout, 2>> layouts = [] {
        std::vector<std::array<TableLayout, 2>> all(ClassCount + 1);
        for (int c = 1; c <= ClassCount; ++c) all[c] = {buildLayout(c, 0), buildLayout(c, 1)};
        return all;
    }();
    return layouts[cls][side];
}

std::uint64_t rawTableSize(int cls, int side) {
    if (cls < 1 || cls > ClassCount || side < 0 || side > 1) return 0;
    const TableLayout& t = tableLayout(cls, side);
    return t.enPassant ? t.epBase.back() : t.normalBase.back();
}

std::uint32_t tableIndex(int cls, int side, const PieceList& stronger, const PieceList& weaker, int epSquare,
                         bool inverted) {
    if (cls < 1 || cls > ClassCount || side < 0 || side > 1) return NoIndex;
    const TableLayout& t = tableLayout(cls, side);
    const PieceList& mover = side == StrongerToMove ? stronger : weaker;
    const PieceList& other = side == StrongerToMove ? weaker : stronger;
    if (mover[KingPlace] < 0 || mover[KingPlace] > 63 || other[KingPlace] < 0 || other[KingPlace] > 63) return NoIndex;

    const auto& map = SymmetryMap[chooseSymmetry(t, mover, other, inverted)];
    PlacedMen men;
    men.K = map[mover[KingPlace]];
    men.k = map[other[KingPlace]];
    men.pair = (t.pawns ? KingPairTable.pawn : KingPairTable.pawnless)[men.K ^ t.frame][men.k ^ t.frame];
    if (men.pair == NoPair) return NoIndex;
    men.placed[0] = men.K;
    men.placed[1] = men.k;
    men.placedCount = 2;

    if (!numberFirstGroups(t, t.bareMover ? other : mover, map, men)) return NoIndex;
    if (!placeOtherMen(t, other, map, men)) return NoIndex;
    if (t.enPassant && epSquare >= 0 && epSquare < 64) {
        const EpEntry entry = enPassantEntry(t, side, map[epSquare], men);
        if (entry.capturer >= 0) return epEntryIndex(t, entry, men);
    }
    return ordinaryIndex(t, men);
}

}  // namespace halberd::tablebase
