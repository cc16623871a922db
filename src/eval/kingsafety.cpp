#include "eval/kingsafety.h"

#include <algorithm>

#include "board/tables.h"
#include "eval/boardview.h"

namespace halberd::eval {

using namespace board;

namespace {

// Open files in front of a king invite the enemy queen and rooks, more so
// when they already stand there.
template <Colour Attacker>
int openFileThreat(const SearchBoard& sb, int file) {
    int heavy = 0;
    for (int relative : {QueenSlot, QueenRookSlot, KingRookSlot}) {
        const int square = slotSquareOf(sb, slotBase(Attacker) + relative);
        if (square != OffBoard && fileOf(square) == file) ++heavy;
    }
    return OpenFileThreatBase + OpenFileHeavyStep * std::min(heavy, OpenFileHeavyLimit);
}

// Open-file threats minus shelter at the king of colour D, as seen by D's enemy.
template <Colour D>
int kingExposure(const SearchBoard& sb, const NodeState& state) {
    constexpr Colour Attacker = opponent(D);
    if (state.nonPawnMaterial[Attacker] < ShelterMaterialGate || state.counts[Attacker] < 2) return 0;
    const int king = kingSquareOf(sb, D);
    const int centre = squareOf(std::clamp(fileOf(king), 1, 6), rankOf(king));
    int threat = 0;
    for (int f = fileOf(centre) - 1; f <= fileOf(centre) + 1; ++f)
        if (!(state.pawnFiles[D] & (1u << f))) threat += openFileThreat<Attacker>(sb, f);

    // A king that may still castle is as safe as the shelter it can reach.
    const int homeRank = relativeRank(D, 0);
    int shelter = kingShelter<D>(sb, centre);
    if (state.castling[shortCastleIndex(D)] == 0)
        shelter = std::max(shelter, kingShelter<D>(sb, squareOf(6, homeRank)));
    if (state.castling[longCastleIndex(D)] == 0) shelter = std::max(shelter, kingShelter<D>(sb, squareOf(2, homeRank)));
    return threat - shelter;
}

template <Colour C>
int queenTropismOf(const SearchBoard& sb) {
    const int queen = slotSquareOf(sb, slotBase(C) + QueenSlot);
    if (queen == OffBoard) return 0;
    const int distances = KingDistance[queen][kingSquareOf(sb, C)] + KingDistance[queen][kingSquareOf(sb, opponent(C))];
    return -colourSign(C) * QueenTropismStep * (distances - QueenTropismCentre);
}

template <Colour C>
int minorsNearKingOf(const SearchBoard& sb) {
    const int king = kingSquareOf(sb, C);
    int penalty = 0;
    for (int relative : {DarkBishopSlot, LightBishopSlot}) {
        const int square = slotSquareOf(sb, slotBase(C) + relative);
        if (square != OffBoard) penalty += BishopKingStep * KingDistance[square][king];
    }
    for (int relative : {QueenKnightSlot, KingKnightSlot}) {
        const int square = slotSquareOf(sb, slotBase(C) + relative);
        if (square != OffBoard) penalty += KnightKingStep * KingDistance[square][king];
    }
    return -colourSign(C) * penalty;
}

// A bishop or rook aiming at the enemy king, through at most one piece.
int lineUpOf(const SearchBoard& sb, int square, int king, int lineKind) {
    const int step = DirectionTable[square][king];
    if (lineKindOf(step) != lineKind) return 0;
    int between = 0;
    for (int s = square + step; s != king; s += step)
        if (!squareEmpty(sb, s) && ++between > 1) return 0;
    return between == 0 ? ClearLineUp : ScreenedLineUp;
}

template <Colour C>
int lineUpsOf(const SearchBoard& sb) {
    const int king = kingSquareOf(sb, opponent(C));
    int score = 0;
    for (int relative : {DarkBishopSlot, LightBishopSlot}) {
        const int square = slotSquareOf(sb, slotBase(C) + relative);
        if (square != OffBoard) score += lineUpOf(sb, square, king, LineDiagonal);
    }
    for (int relative : {QueenRookSlot, KingRookSlot}) {
        const int square = slotSquareOf(sb, slotBase(C) + relative);
        if (square != OffBoard) score += lineUpOf(sb, square, king, LineOrthogonal);
    }
    return colourSign(C) * score;
}

}  // namespace

template <Colour C>
int kingShelter(const SearchBoard& sb, int centre) {
    if (relativeRank(C, rankOf(centre)) > 2) return 0;
    const bool home = relativeRank(C, rankOf(centre)) == 0;
    constexpr int up = pawnPush(C);
    const auto covered = [&](int offset) {
        if (offset != 0 && pawnOn<C>(sb, centre + offset)) return true;
        return pawnOn<C>(sb, centre + up + offset) || (home && pawnOn<C>(sb, centre + 2 * up + offset));
    };
    return ShelterStep * (int{covered(-1)} + int{covered(0)} + int{covered(1)});
}

template int kingShelter<White>(const SearchBoard&, int);
template int kingShelter<Black>(const SearchBoard&, int);

int queenTropism(const SearchBoard& sb) { return queenTropismOf<White>(sb) + queenTropismOf<Black>(sb); }

int minorsNearKing(const SearchBoard& sb) { return minorsNearKingOf<White>(sb) + minorsNearKingOf<Black>(sb); }

int shelterAndOpenFiles(const SearchBoard& sb, const NodeState& state) {
    const int atBlack = kingExposure<Black>(sb, state);
    const int atWhite = kingExposure<White>(sb, state);
    return atBlack - atWhite;
}

int lineUps(const SearchBoard& sb) { return lineUpsOf<White>(sb) + lineUpsOf<Black>(sb); }

}  // namespace halberd::eval
