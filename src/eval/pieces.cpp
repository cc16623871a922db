#include "eval/pieces.h"

#include <bit>
#include <cstdlib>

#include "board/tables.h"
#include "eval/attacksets.h"
#include "eval/boardview.h"

namespace halberd::eval {

using namespace board;

namespace {

// Squares within one king step of each square, the square itself included.
constexpr std::array<SquareSet, 64> KingZone = [] {
    std::array<SquareSet, 64> zones{};
    for (int s = 0; s < 64; ++s)
        for (int t = 0; t < 64; ++t)
            if (KingDistance[s][t] <= 1) zones[s] |= squareBit(t);
    return zones;
}();

int mobilityValue(int type, int count) {
    switch (type) {
        case Queen: return QueenMobility[count];
        case Rook: return RookMobility[count];
        case Bishop: return BishopMobility[count];
        default: return KnightMobility[count];
    }
}

// The square of a slot as a set: empty for OffBoard, the square of a piece not on the board.
constexpr std::array<SquareSet, 65> SlotSquareBit = [] {
    std::array<SquareSet, 65> bits{};
    for (int square = 0; square < 64; ++square) bits[square] = squareBit(square);
    return bits;
}();

SquareSet slotBit(const SearchBoard& sb, int slot) { return SlotSquareBit[slotSquareOf(sb, slot)]; }

// The men that stop a piece of colour C: every man, except that a bishop
// looks through its own queen, and a rook through its own queen and rooks
// (the original ones; promoted pieces block).
template <Colour C>
SquareSet blockersFor(const SearchBoard& sb, int type, SquareSet occupied) {
    const int base = slotBase(C);
    if (type == Bishop) return occupied & ~slotBit(sb, base + QueenSlot);
    if (type == Rook)
        return occupied &
               ~(slotBit(sb, base + QueenSlot) | slotBit(sb, base + QueenRookSlot) | slotBit(sb, base + KingRookSlot));
    return occupied;
}

// What a piece reaches: every target up to and including the first blocker of
// each line; the safe ones and those in the enemy king's zone are counted.
struct Reach {
    int safeTargets = 0;
    int zoneTargets = 0;
    SquareSet visited = 0;
};

Reach reachOf(int type, int square, SquareSet blockers, SquareSet unsafe, SquareSet enemyZone) {
    SquareSet visited;
    switch (type) {
        case Knight: visited = knightTargets(square); break;
        case Bishop: visited = bishopReach(square, blockers); break;
        case Rook: visited = rookReach(square, blockers); break;
        default: visited = rookReach(square, blockers) | bishopReach(square, blockers);
    }
    return {countSquares(visited & ~unsafe), countSquares(visited & enemyZone), visited};
}

// Attackers of one king zone and their summed square weights.
struct ZoneAttack {
    int count = 0;
    int weight = 0;
};

// Mobility-pass state of one colour.
struct PieceSide {
    ZoneAttack attack;
    SquareSet attacked = 0;  // pawns, minors and rooks, plus the enemy king square
};

// A piece standing where a lesser enemy piece attacks it costs more when the
// opponent is to move and can take at once.
template <Colour C>
int threatPenalty(Colour side) {
    return colourSign(C) * ThreatPenalty * (side == C ? 1 : ThreatToMoveFactor);
}

// Knights, bishops or rooks: a piece type and the two slots that hold it.
struct PieceGroup {
    int type;
    std::array<int, 2> slots;
};

template <Colour C>
void minorsAndRooks(const SearchBoard& sb, const PieceGroup& group, SquareSet occupied, SquareSet unsafe,
                    SquareSet enemyPawnAttacks, Colour side, PieceSide& us, PieceTerms& terms) {
    const int type = group.type;
    const SquareSet enemyZone = KingZone[kingSquareOf(sb, opponent(C))];
    const SquareSet blockers = blockersFor<C>(sb, type, occupied);
    for (int relative : group.slots) {
        const int square = slotSquareOf(sb, slotBase(C) + relative);
        if (square == OffBoard) continue;
        if (enemyPawnAttacks & squareBit(square)) terms.positional -= threatPenalty<C>(side);
        const Reach reach = reachOf(type, square, blockers, unsafe, enemyZone);
        terms.mobility += colourSign(C) * mobilityValue(type, reach.safeTargets);
        us.attacked |= reach.visited;
        if (reach.zoneTargets > 0) {
            us.attack.weight += KingZoneWeight[type] * reach.zoneTargets;
            ++us.attack.count;
        }
    }
}

// Queens (promoted ones first) count only squares no lesser enemy piece attacks
// and join a king attack only when other pieces already take part.
template <Colour C>
void queens(const SearchBoard& sb, const NodeState& state, SquareSet occupied, SquareSet attackedByEnemy, Colour side,
            PieceSide& us, PieceTerms& terms) {
    const SquareSet enemyZone = KingZone[kingSquareOf(sb, opponent(C))];
    const auto one = [&](int slot) {
        const int square = slotSquareOf(sb, slot);
        const int type = sb.slotType[slot];
        if (square == OffBoard || type < Queen || type > Knight) return;
        if (attackedByEnemy & squareBit(square)) terms.positional -= threatPenalty<C>(side);
        const Reach reach = reachOf(type, square, occupied, attackedByEnemy, enemyZone);
        terms.mobility += colourSign(C) * mobilityValue(type, reach.safeTargets);
        if (us.attack.count > 0 && reach.zoneTargets > 0) {
            us.attack.weight += KingZoneWeight[type] * reach.zoneTargets;
            ++us.attack.count;
        }
    };
    const int base = slotBase(C);
    for (std::uint32_t promoted = state.promotedQueenMask & (0xFFu << (base + FirstPawnSlot)); promoted != 0;
         promoted &= promoted - 1)
        one(std::countr_zero(promoted));
    one(base + QueenSlot);
}

template <Colour C>
bool hasQueen(const SearchBoard& sb, const NodeState& state) {
    const int base = slotBase(C);
    return slotOnBoard(sb, base + QueenSlot) || (state.promotedQueenMask & (0xFFu << (base + FirstPawnSlot))) != 0;
}

template <Colour C>
int rookFilesOf(const SearchBoard& sb, const NodeState& state) {
    int score = 0;
    for (int slot : {slotBase(C) + QueenRookSlot, slotBase(C) + KingRookSlot}) {
        const int square = slotSquareOf(sb, slot);
        if (square == OffBoard) continue;
        const unsigned fileBit = 1u << fileOf(square);
        if (state.pawnFiles[C] & fileBit) continue;
        score += (state.pawnFiles[opponent(C)] & fileBit) ? HalfOpenFileBonus : OpenFileBonus;
    }
    return colourSign(C) * score;
}

template <Colour C>
int seventhRankOf(const SearchBoard& sb) {
    int score = 0;
    for (int relative : {QueenRookSlot, KingRookSlot, QueenSlot}) {
        const int square = slotSquareOf(sb, slotBase(C) + relative);
        if (square == OffBoard) continue;
        const int rank = relativeRank(C, rankOf(square));
        if (rank >= 6) score += SeventhRankStep * (rank - 5);
    }
    return colourSign(C) * score;
}

template <Colour C>
int outpostsOf(const SearchBoard& sb) {
    int score = 0;
    for (int relative : {QueenKnightSlot, KingKnightSlot, DarkBishopSlot, LightBishopSlot}) {
        const int square = slotSquareOf(sb, slotBase(C) + relative);
        if (square != OffBoard) score += knightOutpost<C>(sb, square);
    }
    return colourSign(C) * score;
}

}  // namespace

template <Colour C>
int knightOutpost(const SearchBoard& sb, int square) {
    const int f = fileOf(square);
    if (f < 2 || f > 5) return 0;
    const int rank = relativeRank(C, rankOf(square));
    if (rank != 4 && rank != 5) return 0;
    constexpr int up = pawnPush(C);
    constexpr Colour Them = opponent(C);
    if (!pawnOn<C>(sb, square - up - 1) && !pawnOn<C>(sb, square - up + 1)) return 0;
    if (pawnOn<Them>(sb, square + up - 1) || pawnOn<Them>(sb, square + up + 1)) return 0;
    if (rank == 5) return OutpostSixthRank;
    // On the fifth rank an enemy pawn two steps away can still come to chase the piece.
    if (pawnOn<Them>(sb, square + 2 * up - 1) || pawnOn<Them>(sb, square + 2 * up + 1)) return 0;
    return OutpostFifthRank;
}

template int knightOutpost<White>(const SearchBoard&, int);
template int knightOutpost<Black>(const SearchBoard&, int);

int rookFiles(const SearchBoard& sb, const NodeState& state) {
    return rookFilesOf<White>(sb, state) + rookFilesOf<Black>(sb, state);
}

int bishopPair(const SearchBoard& sb, const NodeState& state) {
    const int value =
        BishopPairBase - BishopPairPawnStep * (state.counts[CountWhitePawns] + state.counts[CountBlackPawns]);
    const auto hasPair = [&](Colour c) {
        return slotOnBoard(sb, slotBase(c) + DarkBishopSlot) && slotOnBoard(sb, slotBase(c) + LightBishopSlot);
    };
    return (hasPair(White) ? value : 0) - (hasPair(Black) ? value : 0);
}

int heavyPiecesOnSeventh(const SearchBoard& sb) { return seventhRankOf<White>(sb) + seventhRankOf<Black>(sb); }

int outposts(const SearchBoard& sb) { return outpostsOf<White>(sb) + outpostsOf<Black>(sb); }

// Mobility counts squares for every piece of every evaluation: one copy is built
// for processors with a popcount instruction and one for any x86-64, and the
// loader picks; everything the pass calls is compiled into each copy.
#if defined(__x86_64__) && defined(__ELF__) && !defined(HALBERD_NO_TARGET_CLONES)
#define HALBERD_COUNTING_CLONES __attribute__((target_clones("popcnt", "default"), flatten))
#else
#define HALBERD_COUNTING_CLONES
#endif

HALBERD_COUNTING_CLONES
PieceTerms evaluatePieces(const SearchBoard& sb, const NodeState& state, const std::array<PawnAttacks, 2>& pawnAttacks,
                          Colour side) {
    const int whiteKing = kingSquareOf(sb, White);
    const int blackKing = kingSquareOf(sb, Black);
    const SquareSet unsafeForWhite = pawnAttacks[Black] | squareBit(whiteKing);
    const SquareSet unsafeForBlack = pawnAttacks[White] | squareBit(blackKing);

    PieceSide white;
    PieceSide black;
    if (KingDistance[whiteKing][blackKing] == 2) white.attack = black.attack = {1, KingsNearAttackWeight};

    static constexpr std::array<PieceGroup, 3> Groups = {{
        {Knight, {QueenKnightSlot, KingKnightSlot}},
        {Bishop, {DarkBishopSlot, LightBishopSlot}},
        {Rook, {QueenRookSlot, KingRookSlot}},
    }};
    // The board keeps its occupied squares as the men move.
    const SquareSet occupied = sb.occupied;
    PieceTerms terms;
    for (const PieceGroup& group : Groups) {
        minorsAndRooks<White>(sb, group, occupied, unsafeForWhite, pawnAttacks[Black], side, white, terms);
        minorsAndRooks<Black>(sb, group, occupied, unsafeForBlack, pawnAttacks[White], side, black, terms);
    }

    const SquareSet attackedByWhite = white.attacked | pawnAttacks[White] | squareBit(blackKing);
    const SquareSet attackedByBlack = black.attacked | pawnAttacks[Black] | squareBit(whiteKing);
    queens<White>(sb, state, occupied, attackedByBlack, side, white, terms);
    queens<Black>(sb, state, occupied, attackedByWhite, side, black, terms);

    // Without a queen an attack on the king is much less dangerous.
    if (!hasQueen<White>(sb, state)) white.attack.weight = scaled(white.attack.weight, QueenlessAttack);
    if (!hasQueen<Black>(sb, state)) black.attack.weight = scaled(black.attack.weight, QueenlessAttack);

    const int kingAttack =
        (white.attack.weight * white.attack.count - black.attack.weight * black.attack.count) * KingAttackFactor;
    if (std::abs(kingAttack) >= KingAttackThreshold) terms.proximity = kingAttack;
    terms.mobility *= MobilityFactor;
    return terms;
}

}  // namespace halberd::eval
