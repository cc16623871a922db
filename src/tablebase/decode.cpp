// The inverse of the index functions, for the round-trip tests and the table
// generator: from an index back to the position it stands for.

#include <algorithm>
#include <cmath>

#include "tablebase/classes.h"
#include "tablebase/index.h"
#include "tablebase/numbering.h"
#include "tablebase/tablelayout.h"

namespace halberd::tablebase {

namespace {

// The two list positions of a colex number.
std::array<std::uint32_t, 2> likePairPositions(std::uint32_t value) {
    auto high = static_cast<std::uint32_t>((1.0 + std::sqrt(1.0 + 8.0 * value)) / 2.0);
    while (high > 1 && numbering::likePair(0, high) > value) --high;
    while (numbering::likePair(0, high + 1) <= value) ++high;
    return {value - numbering::likePair(0, high), high};
}

std::array<std::uint32_t, 2> groupPositions(std::uint32_t value, int count) {
    return count == 1 ? std::array<std::uint32_t, 2>{value, 0} : likePairPositions(value);
}

// The square at `position` among `candidates` less the taken squares, on the
// board seen in `frame`.
int nthFree(int position, int firstSquare, std::array<int, 12> taken, int takenCount, int frame = 0) {
    for (int i = 0; i < takenCount; ++i) taken[i] ^= frame;
    std::sort(taken.begin(), taken.begin() + takenCount);
    int square = firstSquare + position;
    for (int i = 0; i < takenCount; ++i)
        if ((i == 0 || taken[i] != taken[i - 1]) && taken[i] >= firstSquare && taken[i] <= square) ++square;
    return square ^ frame;
}

// Splits a mixed-radix number into digits, most significant first.
template <std::size_t N>
void splitDigits(std::uint64_t value, const std::array<std::uint64_t, N>& radices, int count,
                 std::array<std::uint64_t, N>& digits) {
    for (int i = count - 1; i >= 0; --i) {
        digits[i] = value % radices[i];
        value /= radices[i];
    }
}

struct Board {
    std::array<int, 12> squares{};
    int count = 0;
    void add(int square) { squares[count++] = square; }
};

// An index's digits, most significant first, and where each part's digits start.
struct IndexDigits {
    std::array<std::uint64_t, 8> digits{};
    std::array<int, 8> firstDigit{};  // -1 for a group an en-passant entry implies
    int configurationDigit = 0;
    int fixedDigit = 0;
};

// Digits, most significant first: the groups numbered relative to the
// king (for an en-passant entry only the pieces, then the configuration
// and the remaining pawn), then the other side's groups.
IndexDigits splitIndex(const TableLayout& t, bool enPassant, int K, int k, std::uint64_t value) {
    IndexDigits d;
    std::array<std::uint64_t, 8> radices{};
    int n = 0;
    for (int g = 0; g < t.firstGroups; ++g) {
        d.firstDigit[g] = -1;
        if (enPassant && t.first[g].type == PawnType) continue;
        d.firstDigit[g] = n;
        radices[n++] = combinations(groupList(t.first[g].list, K ^ t.frame, k ^ t.frame).length, t.first[g].count);
    }
    d.configurationDigit = n;
    if (enPassant) {
        radices[n++] = numbering::EpConfigurations;
        if (t.pawnsTotal > 2) radices[n++] = t.epRemainingPawnRadix;
    }
    d.fixedDigit = n;
    for (int g = 0; g < t.fixedGroups; ++g) {
        if (enPassant && t.fixed[g].type == PawnType) continue;
        radices[n++] = enPassant ? t.fixed[g].epRadix : t.fixed[g].radix;
    }
    splitDigits(value, radices, n, d.digits);
    return d;
}

// The men numbered relative to the other king; returns how many of each type
// were placed, so an en-passant entry's pawns follow them.
std::array<int, 5> placeFirstGroups(const TableLayout& t, const IndexDigits& d, int K, int k, PieceList& target,
                                    Board& board) {
    std::array<int, 5> nextPlace{};
    for (int g = 0; g < t.firstGroups; ++g) {
        const ManGroup& group = t.first[g];
        if (d.firstDigit[g] < 0) continue;
        const int f = t.frame;
        const GroupList list = groupList(group.list, K ^ f, k ^ f);
        const int kingPosition = SquareListTable.position[group.list][k ^ f][K ^ f];
        const auto positions = groupPositions(static_cast<std::uint32_t>(d.digits[d.firstDigit[g]]), group.count);
        for (int i = 0; i < group.count; ++i) {
            const int p = static_cast<int>(positions[i]) +
                          (list.firstKingListed && static_cast<int>(positions[i]) >= kingPosition ? 1 : 0);
            const int square = SquareListTable.square[group.list][k ^ f][p] ^ f;
            target[group.place + i] = square;
            board.add(square);
        }
        nextPlace[group.type] = group.count;
    }
    return nextPlace;
}

// An en-passant entry: the pawn that stepped twice, its capturer, the
// remaining pawn, then the other side's pieces among the squares left by
// every man and the two squares passed. Returns the en-passant square.
int placeEpEntry(const TableLayout& t, int side, const IndexDigits& d, const std::array<int, 5>& nextPlace,
                 PieceList& mover, PieceList& other, Board& board) {
    const auto configuration = numbering::epConfigurationAt(static_cast<int>(d.digits[d.configurationDigit]));
    const int steppedRank = side == StrongerToMove ? 32 : 24;
    const int stepped = steppedRank + configuration.pawnFile;
    const int capturer = steppedRank + configuration.capturerFile;
    const int e = side == StrongerToMove ? stepped + 8 : stepped - 8;
    const int origin = side == StrongerToMove ? stepped + 16 : stepped - 16;
    mover[PawnPlace + nextPlace[PawnType]] = capturer;
    int otherPawns = 0;
    other[PawnPlace + otherPawns++] = stepped;
    board.add(stepped);
    board.add(capturer);
    if (t.pawnsTotal > 2) {
        const std::array<int, 12> entry{stepped, capturer, e, origin};
        const int remaining = nthFree(static_cast<int>(d.digits[d.configurationDigit + 1]), 8, entry, 4);
        if (t.moverPawns > 1)
            mover[PawnPlace + 1] = remaining;
        else
            other[PawnPlace + otherPawns++] = remaining;
        board.add(remaining);
    }
    Board taken = board;
    taken.add(e);
    taken.add(origin);
    int digit = d.fixedDigit;
    for (int g = 0; g < t.fixedGroups; ++g) {
        const ManGroup& group = t.fixed[g];
        if (group.type == PawnType) continue;
        const auto positions = groupPositions(static_cast<std::uint32_t>(d.digits[digit++]), group.count);
        for (int i = 0; i < group.count; ++i)
            other[group.place + i] = nthFree(static_cast<int>(positions[i]), 0, taken.squares, taken.count, t.frame);
        for (int i = 0; i < group.count; ++i) taken.add(other[group.place + i]);
    }
    return e;
}

// The other side: pawns among ranks 2..7 less the side to move's pawns,
// then the pieces among the squares every man placed before leaves.
void placeOtherMen(const TableLayout& t, const IndexDigits& d, const PieceList& mover, PieceList& other, Board& board) {
    Board moverPawns;
    for (int p = PawnPlace; p < PiecePlaces; ++p)
        if (mover[p] >= 0) moverPawns.add(mover[p]);
    for (int g = 0; g < t.fixedGroups; ++g) {
        const ManGroup& group = t.fixed[g];
        if (group.type != PawnType) continue;
        const auto positions = groupPositions(static_cast<std::uint32_t>(d.digits[d.fixedDigit + g]), group.count);
        for (int i = 0; i < group.count; ++i) {
            other[group.place + i] = nthFree(static_cast<int>(positions[i]), 8, moverPawns.squares, moverPawns.count);
            board.add(other[group.place + i]);
        }
    }
    for (int g = 0; g < t.fixedGroups; ++g) {
        const ManGroup& group = t.fixed[g];
        if (group.type == PawnType) continue;
        const auto positions = groupPositions(static_cast<std::uint32_t>(d.digits[d.fixedDigit + g]), group.count);
        for (int i = 0; i < group.count; ++i)
            other[group.place + i] = nthFree(static_cast<int>(positions[i]), 0, board.squares, board.count, t.frame);
        for (int i = 0; i < group.count; ++i) board.add(other[group.place + i]);
    }
}

}  // namespace

bool decodeIndex(int cls, int side, std::uint64_t index, TablePosition& position) {
    if (index >= rawTableSize(cls, side)) return false;
    const TableLayout& t = tableLayout(cls, side);
    position.stronger.fill(-1);
    position.weaker.fill(-1);
    position.epSquare = -1;
    PieceList& mover = side == StrongerToMove ? position.stronger : position.weaker;
    PieceList& other = side == StrongerToMove ? position.weaker : position.stronger;

    const bool enPassant = t.enPassant && index >= t.normalBase.back();
    const auto& bases = enPassant ? t.epBase : t.normalBase;
    const int pair =
        static_cast<int>(std::upper_bound(bases.begin(), bases.begin() + t.pairs, index) - bases.begin()) - 1;
    const auto& kings = t.pawns ? KingPairTable.pawnKings[pair] : KingPairTable.pawnlessKings[pair];
    const int K = kings[0] ^ t.frame, k = kings[1] ^ t.frame;
    mover[KingPlace] = K;
    other[KingPlace] = k;
    Board board;
    board.add(K);
    board.add(k);

    const IndexDigits digits = splitIndex(t, enPassant, K, k, index - bases[pair]);
    const auto nextPlace = placeFirstGroups(t, digits, K, k, t.bareMover ? other : mover, board);
    if (enPassant)
        position.epSquare = placeEpEntry(t, side, digits, nextPlace, mover, other, board);
    else
        placeOtherMen(t, digits, mover, other, board);
    return true;
}

namespace {

bool attacks(int place, bool pawnMovesUp, int from, int to, const std::array<bool, 64>& occupied) {
    const int df = fileOf(to) - fileOf(from), dr = rankOf(to) - rankOf(from);
    const int adf = df < 0 ? -df : df, adr = dr < 0 ? -dr : dr;
    if (place >= PawnPlace) return adf == 1 && dr == (pawnMovesUp ? 1 : -1);
    if (place >= KnightPlace) return (adf == 1 && adr == 2) || (adf == 2 && adr == 1);
    if (place == KingPlace) return adf <= 1 && adr <= 1;
    const bool line = df == 0 || dr == 0, diagonal = adf == adr;
    const bool reaches = place >= BishopPlace ? diagonal : place >= RookPlace ? line : line || diagonal;
    if (!reaches || (df == 0 && dr == 0)) return false;
    const int step = (dr > 0 ? 8 : dr < 0 ? -8 : 0) + (df > 0 ? 1 : df < 0 ? -1 : 0);
    for (int s = from + step; s != to; s += step)
        if (occupied[s]) return false;
    return true;
}

}  // namespace

bool holdsPosition(int side, const TablePosition& position) {
    std::array<bool, 64> occupied{};
    for (const PieceList* list : {&position.stronger, &position.weaker})
        for (const int square : *list) {
            if (square < 0) continue;
            if (square > 63 || occupied[square]) return false;
            occupied[square] = true;
        }
    if (position.epSquare >= 0) {
        const int origin = side == StrongerToMove ? position.epSquare + 8 : position.epSquare - 8;
        if (occupied[position.epSquare] || occupied[origin]) return false;
    }
    const PieceList& mover = side == StrongerToMove ? position.stronger : position.weaker;
    const int target = (side == StrongerToMove ? position.weaker : position.stronger)[KingPlace];
    for (int place = 0; place < PiecePlaces; ++place)
        if (mover[place] >= 0 && attacks(place, side == StrongerToMove, mover[place], target, occupied)) return false;
    return true;
}

}  // namespace halberd::tablebase
