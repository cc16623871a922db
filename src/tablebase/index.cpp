#include "tablebase/index.h"

#include <algorithm>

#include "tablebase/classes.h"
#include "tablebase/material.h"
#include "tablebase/numbering.h"
#include "tablebase/tablelayout.h"

namespace tablebase {

namespace {

constexpr std::array<int, 5> TypePlace = {PawnPlace, KnightPlace, BishopPlace, RookPlace, QueenPlace};
constexpr std::array<int, 5> TypeList = {UpPawnList, KnightList, BishopList, RookList, QueenList};

int listOf(int type, int side) {
    if (type != PawnType) return TypeList[type];
    return side == StrongerToMove ? UpPawnList : DownPawnList;
}

void addGroup(int& groups, std::array<ManGroup, 3>& into, int type, int count, int list) {
    into[groups++] = ManGroup{type, count, TypePlace[type], list, 0, 0};
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
    for (const int type : numbering::ManOrder) {
        if (mover[type] > 0) addGroup(t.firstGroups, t.first, type, mover[type], listOf(type, side));
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

// Number of `squares` below `square`.
int below(const int* squares, int n, int square) {
    int count = 0;
    for (int i = 0; i < n; ++i) count += squares[i] < square ? 1 : 0;
    return count;
}

std::uint32_t groupValue(const std::array<std::uint32_t, 2>& positions, int count) {
    return count == 1 ? positions[0] : numbering::likePair(positions[0], positions[1]);
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

    // Symmetry: pawns allow only the file mirror (after turning the board
    // when the stronger side is Black); without pawns the first king goes to
    // the a1-d1-d4 triangle, the second below the diagonal when it can.
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
    const auto& map = SymmetryMap[symmetry];
    const int K = map[mover[KingPlace]], k = map[other[KingPlace]];
    const int pair = (t.pawns ? KingPairTable.pawn : KingPairTable.pawnless)[K][k];
    if (pair == NoPair) return NoIndex;

    // Men numbered relative to the other king.
    std::array<int, 8> placed{K, k};
    int placedCount = 2;
    std::array<std::uint32_t, 3> firstValue{}, firstRadix{};
    std::array<int, 4> moverPawnSquares{};
    int moverPawnCount = 0;
    const PieceList& firstSource = t.bareMover ? other : mover;
    for (int g = 0; g < t.firstGroups; ++g) {
        const ManGroup& group = t.first[g];
        std::array<int, 4> squares{};
        if (groupSquares(firstSource, group, map, squares) != group.count) return NoIndex;
        const GroupList list = groupList(group.list, K, k);
        std::array<std::uint32_t, 2> positions{};
        for (int i = 0; i < group.count; ++i) {
            const int position = SquareListTable.position[group.list][k][squares[i]];
            if (position == NotListed) return NoIndex;
            positions[i] = static_cast<std::uint32_t>(position - (list.firstKingListed && K < squares[i] ? 1 : 0));
            placed[placedCount++] = squares[i];
            if (group.type == PawnType && !t.bareMover) moverPawnSquares[moverPawnCount++] = squares[i];
        }
        firstValue[g] = groupValue(positions, group.count);
        firstRadix[g] = static_cast<std::uint32_t>(combinations(list.length, group.count));
    }

    // The other side's men: pawns first (they only avoid the side to move's
    // pawns), then the pieces among the squares every earlier man leaves.
    std::array<std::array<int, 4>, 3> fixedSquares{};
    for (int g = 0; g < t.fixedGroups; ++g) {
        const ManGroup& group = t.fixed[g];
        if (groupSquares(other, group, map, fixedSquares[g]) != group.count) return NoIndex;
        if (group.type != PawnType) continue;
        for (int i = 0; i < group.count; ++i) {
            if (rankOf(fixedSquares[g][i]) == 0 || rankOf(fixedSquares[g][i]) == 7) return NoIndex;
            placed[placedCount++] = fixedSquares[g][i];
        }
    }

    // An en-passant entry: the other side's pawn that just stepped twice
    // stands beside a pawn of the side to move, and the squares it passed are empty.
    if (t.enPassant && epSquare >= 0 && epSquare < 64) {
        const int e = map[epSquare];
        const int stepped = side == StrongerToMove ? e - 8 : e + 8;
        const int origin = side == StrongerToMove ? e + 8 : e - 8;
        const auto contains = [](const int* squares, int n, int square) {
            return std::find(squares, squares + n, square) != squares + n;
        };
        std::array<int, 4> otherPawnSquares{};
        int otherPawnCount = 0;
        for (int g = 0; g < t.fixedGroups; ++g)
            if (t.fixed[g].type == PawnType)
                for (int i = 0; i < t.fixed[g].count; ++i) otherPawnSquares[otherPawnCount++] = fixedSquares[g][i];
        int capturer = -1;
        if (rankOf(e) == (side == StrongerToMove ? 5 : 2) &&
            contains(otherPawnSquares.data(), otherPawnCount, stepped) && !contains(placed.data(), placedCount, e) &&
            !contains(placed.data(), placedCount, origin)) {
            if (fileOf(stepped) > 0 && contains(moverPawnSquares.data(), moverPawnCount, stepped - 1))
                capturer = stepped - 1;
            else if (fileOf(stepped) < 7 && contains(moverPawnSquares.data(), moverPawnCount, stepped + 1))
                capturer = stepped + 1;
        }
        if (capturer >= 0) {
            std::uint64_t value = 0;
            for (int g = 0; g < t.firstGroups; ++g)
                if (t.first[g].type != PawnType) value = value * firstRadix[g] + firstValue[g];
            value = value * numbering::EpConfigurations +
                    static_cast<std::uint64_t>(numbering::epConfiguration(fileOf(stepped), capturer > stepped));
            if (t.pawnsTotal > 2) {
                // The remaining pawn, of either side, among ranks 2..7 less the
                // entry's two pawns and the two squares passed.
                const std::array<int, 4> entrySquares{stepped, capturer, e, origin};
                int remaining = -1;
                for (int i = 0; i < moverPawnCount; ++i)
                    if (moverPawnSquares[i] != capturer) remaining = moverPawnSquares[i];
                for (int i = 0; i < otherPawnCount; ++i)
                    if (otherPawnSquares[i] != stepped) remaining = otherPawnSquares[i];
                value = value * t.epRemainingPawnRadix +
                        static_cast<std::uint64_t>(remaining - 8 - below(entrySquares.data(), 4, remaining));
            }
            // The other side's pieces among the squares left by all other men
            // and the two squares passed.
            std::array<int, 10> taken{};
            int takenCount = placedCount;
            std::copy(placed.begin(), placed.begin() + placedCount, taken.begin());
            taken[takenCount++] = e;
            taken[takenCount++] = origin;
            for (int g = 0; g < t.fixedGroups; ++g) {
                const ManGroup& group = t.fixed[g];
                if (group.type == PawnType) continue;
                std::array<std::uint32_t, 2> positions{};
                for (int i = 0; i < group.count; ++i) {
                    if (contains(taken.data(), takenCount, fixedSquares[g][i])) return NoIndex;
                    positions[i] = static_cast<std::uint32_t>(fixedSquares[g][i] -
                                                              below(taken.data(), takenCount, fixedSquares[g][i]));
                }
                value = value * group.epRadix + groupValue(positions, group.count);
                for (int i = 0; i < group.count; ++i) taken[takenCount++] = fixedSquares[g][i];
            }
            return static_cast<std::uint32_t>(t.epBase[pair] + value);
        }
    }

    std::uint64_t value = 0;
    for (int g = 0; g < t.firstGroups; ++g) value = value * firstRadix[g] + firstValue[g];
    for (int g = 0; g < t.fixedGroups; ++g) {
        const ManGroup& group = t.fixed[g];
        std::array<std::uint32_t, 2> positions{};
        for (int i = 0; i < group.count; ++i) {
            const int square = fixedSquares[g][i];
            if (group.type != PawnType &&
                std::find(placed.begin(), placed.begin() + placedCount, square) != placed.begin() + placedCount)
                return NoIndex;
            const int position = group.type == PawnType
                                     ? square - 8 - below(moverPawnSquares.data(), moverPawnCount, square)
                                     : square - below(placed.data(), placedCount, square);
            positions[i] = static_cast<std::uint32_t>(position);
        }
        value = value * group.radix + groupValue(positions, group.count);
        if (group.type != PawnType)
            for (int i = 0; i < group.count; ++i) placed[placedCount++] = fixedSquares[g][i];
    }
    return static_cast<std::uint32_t>(t.normalBase[pair] + value);
}

}  // namespace tablebase
