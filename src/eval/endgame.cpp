#include "eval/endgame.h"

#include <algorithm>

#include "board/tables.h"
#include "eval/boardview.h"
#include "eval/evaluate.h"

namespace halberd::eval {

using namespace board;

namespace {

// The bishop slots by the colour of the squares they run on: White's f1 and
// Black's c8 bishops are light-squared.
constexpr int lightBishopSlot(Colour c) { return slotBase(c) + (c == White ? LightBishopSlot : DarkBishopSlot); }
constexpr int darkBishopSlot(Colour c) { return slotBase(c) + (c == White ? DarkBishopSlot : LightBishopSlot); }

constexpr bool lightSquare(int square) { return ((fileOf(square) + rankOf(square)) & 1) != 0; }

constexpr int edgeDistance(int square) {
    return std::min({fileOf(square), 7 - fileOf(square), rankOf(square), 7 - rankOf(square)});
}

constexpr int A1 = 0, H1 = 7, A8 = 56, H8 = 63;

template <Colour C>
void passerRacesOf(const SearchBoard& sb, const PawnFacts& facts, RaceTerms& terms) {
    const int ownKing = kingSquareOf(sb, C);
    const int enemyKing = kingSquareOf(sb, opponent(C));
    for (const int square : facts.passers[C]) {
        if (square == 0) continue;
        const int r = relativeRank(C, rankOf(square));
        if (r < 3) continue;
        const int stop = square + pawnPush(C);
        const int dThem = std::min(int{KingDistance[enemyKing][stop]}, RaceDistanceCap);
        const int dUs = std::min(int{KingDistance[ownKing][stop]}, RaceDistanceCap);
        terms.positional += colourSign(C) * (scaled(dThem, RaceEnemyKing) - dUs * RaceOwnKing) * r * RaceRankFactor;
        if (dThem < 2 || !squareEmpty(sb, stop))
            terms.pawn -= colourSign(C) * BlockedPasserFactor * BlockedPasserValue[r];
    }
}

template <Colour C>
int kingPawnDistanceOf(const SearchBoard& sb, const NodeState& state) {
    if (state.counts[pawnCountIndex(C)] == 0) return 0;
    const int king = kingSquareOf(sb, C);
    int nearest = 7;
    const int first = slotBase(C) + FirstPawnSlot;
    for (int slot = first; slot < first + 8; ++slot) {
        const int square = slotSquareOf(sb, slot);
        if (square != OffBoard && sb.slotType[slot] == pawnOf(C))
            nearest = std::min(nearest, int{KingDistance[king][square]});
    }
    return -colourSign(C) * KingPawnStep * nearest;
}

// A lone minor piece cannot win against pawns; its side is even worse off.
template <Colour C>
bool loneMinorAgainstPawns(const SearchBoard& sb, const NodeState& state) {
    constexpr Colour Them = opponent(C);
    if (state.counts[pawnCountIndex(C)] != 0 || state.counts[pawnCountIndex(Them)] == 0) return false;
    if (state.counts[pieceCountIndex(C)] != 1 || state.counts[pieceCountIndex(Them)] != 0) return false;
    for (int relative = DarkBishopSlot; relative <= KingKnightSlot; ++relative)
        if (slotOnBoard(sb, slotBase(C) + relative)) return true;
    return false;
}

// The rules below judge the most advanced passer of colour C on relative rank
// r; each returns its value for C.

// The enemy bishop that controls the promotion square.
template <Colour C>
int promotionGuard(const SearchBoard& sb, int passer, int r) {
    const int promotion = squareOf(fileOf(passer), relativeRank(C, 7));
    const int guard = lightSquare(promotion) ? lightBishopSlot(opponent(C)) : darkBishopSlot(opponent(C));
    return slotOnBoard(sb, guard) ? -PromotionGuardStep * r : 0;
}

// Rooks belong behind passed pawns, the own and the enemy's alike.
template <Colour C>
int rooksBehind(const SearchBoard& sb, int passer, int r) {
    const auto behind = [&](Colour owner) {
        for (int relative : {QueenRookSlot, KingRookSlot}) {
            const int square = slotSquareOf(sb, slotBase(owner) + relative);
            if (square != OffBoard && fileOf(square) == fileOf(passer) && relativeRank(C, rankOf(square)) < r)
                return true;
        }
        return false;
    };
    int score = 0;
    if (behind(C)) score += RookBehindPasserStep * r;
    if (behind(opponent(C))) score -= RookBehindPasserStep * r;
    return score;
}

// A rook between the passer and the enemy king keeps the king away.
template <Colour C>
int kingCutOff(const SearchBoard& sb, int passer) {
    const int kingFile = fileOf(kingSquareOf(sb, opponent(C)));
    const int low = std::min(fileOf(passer), kingFile);
    const int high = std::max(fileOf(passer), kingFile);
    int score = 0;
    for (int relative : {QueenRookSlot, KingRookSlot}) {
        const int square = slotSquareOf(sb, slotBase(C) + relative);
        if (square != OffBoard && fileOf(square) > low && fileOf(square) < high) score += KingCutOffBonus;
    }
    return score;
}

// Two connected pawns on the seventh beat a lone rook unless its king is near.
template <Colour C>
int passerPair(const SearchBoard& sb, Colour side, int passer) {
    constexpr Colour Them = opponent(C);
    constexpr int up = pawnPush(C);
    const int reach = side == Them ? 4 : 3;
    if (KingDistance[kingSquareOf(sb, Them)][passer] < reach) return 0;
    // A partner beside the passer, or one rank lower with the square beside it free.
    const auto partner = [&](int beside) {
        return pawnOn<C>(sb, passer + beside) ||
               (pawnOn<C>(sb, passer - up + beside) && squareEmpty(sb, passer + beside));
    };
    const int file = fileOf(passer);
    return (file < 7 && partner(1)) || (file > 0 && partner(-1)) ? PasserPairBonus : 0;
}

// Rules about the most advanced passer of colour C, as White-minus-Black terms.
template <Colour C>
int passerRulesOf(const SearchBoard& sb, const NodeState& state, Colour side, const PawnFacts& facts) {
    constexpr Colour Them = opponent(C);
    const int passer = facts.topPasser[C];
    if (passer == 0) return 0;
    const int r = relativeRank(C, rankOf(passer));
    int score = 0;
    if (r >= 5) score += promotionGuard<C>(sb, passer, r);
    if (r >= 4) score += rooksBehind<C>(sb, passer, r);
    if (r >= 3 && state.counts[pieceCountIndex(Them)] <= 2 && state.nonPawnMaterial[Them] <= RookMinorMaterial)
        score += kingCutOff<C>(sb, passer);
    if (r >= 6 && state.nonPawnMaterial[Them] == RookMaterial && state.counts[pawnCountIndex(C)] >= 2)
        score += passerPair<C>(sb, side, passer);
    return colourSign(C) * score;
}

// Mating guidance for the stronger colour S: drive the weak king to the edge
// (to the right corner with bishop and knight) and bring the own king near.
template <Colour S>
int mateGuidance(const SearchBoard& sb, const std::array<std::array<int, 5>, 2>& pieces) {
    constexpr Colour Weak = opponent(S);
    const int weakKing = kingSquareOf(sb, Weak);
    const int kingGap = KingDistance[kingSquareOf(sb, White)][kingSquareOf(sb, Black)];
    const auto cornerDistance = [&](int a, int b) {
        return std::min(int{KingDistance[weakKing][a]}, int{KingDistance[weakKing][b]});
    };
    const int heavy = pieces[S][Queen] + pieces[S][Rook];
    if (heavy >= 2) return MateEdgeFactor * edgeDistance(weakKing);
    if (heavy == 1) return kingGap + MateEdgeFactor * edgeDistance(weakKing);
    if (pieces[S][Bishop] >= 2)
        return kingGap + MateEdgeFactor * std::min(cornerDistance(A1, H1), cornerDistance(A8, H8));
    if (pieces[S][Bishop] == 1 && pieces[S][Knight] >= 1) {
        if (slotOnBoard(sb, lightBishopSlot(S))) return kingGap + MateEdgeFactor * cornerDistance(H1, A8);
        return kingGap + MateEdgeFactor * cornerDistance(H8, A1);
    }
    return 0;
}

}  // namespace

RaceTerms passerRaces(const SearchBoard& sb, const PawnFacts& facts) {
    RaceTerms terms;
    passerRacesOf<White>(sb, facts, terms);
    passerRacesOf<Black>(sb, facts, terms);
    return terms;
}

int kingPawnDistance(const SearchBoard& sb, const NodeState& state) {
    return kingPawnDistanceOf<White>(sb, state) + kingPawnDistanceOf<Black>(sb, state);
}

LoneMinorValues loneMinor(const NodeState& state) {
    const bool whiteLone = state.nonPawnMaterial[White] == MinorMaterial;
    const bool blackLone = state.nonPawnMaterial[Black] == MinorMaterial;
    if (whiteLone && !blackLone) return {-LoneMinorTilt, {-LoneMinorHardLoss, LoneMinorLightLoss}};
    if (blackLone && !whiteLone) return {LoneMinorTilt, {-LoneMinorLightLoss, LoneMinorHardLoss}};
    return {0, {-EvenLoneMinorLoss, EvenLoneMinorLoss}};
}

EndgameRuleTerms endgameRules(const SearchBoard& sb, const NodeState& state, Colour side, const PawnFacts& facts,
                              const LoneMinorValues& lone) {
    EndgameRuleTerms terms;
    terms.special = lone.special;
    if (loneMinorAgainstPawns<White>(sb, state)) terms.special = lone.loss[White];
    if (loneMinorAgainstPawns<Black>(sb, state)) terms.special = lone.loss[Black];
    terms.positional = passerRulesOf<White>(sb, state, side, facts) + passerRulesOf<Black>(sb, state, side, facts);
    return terms;
}

int evaluatePawnless(const SearchBoard& sb, const NodeState& state) {
    std::array<std::array<int, 5>, 2> pieces{};
    int total = 0;
    for (int slot = 0; slot < 32; ++slot) {
        const int type = sb.slotType[slot];
        if (!slotOnBoard(sb, slot) || type < Queen || type > Knight) continue;
        ++pieces[slotColour(slot)][type];
        ++total;
    }
    const auto minors = [&](Colour c) { return pieces[c][Bishop] + pieces[c][Knight]; };
    if (total == 0) return 0;
    if (total == 1 && (minors(White) + minors(Black)) == 1) return 0;
    if (total == 2 && (pieces[White][Knight] == 2 || pieces[Black][Knight] == 2)) return 0;
    if (total == 2 && minors(White) == 1 && minors(Black) == 1) return 0;

    const int balance = state.materialEg;
    if (balance < 0) return balance + mateGuidance<Black>(sb, pieces);
    if (balance > 0) return balance - mateGuidance<White>(sb, pieces);
    return 0;
}

PawnlessCorrection correctPawnless(const NodeState& state, int pawnlessScore) {
    const int w = state.nonPawnMaterial[White];
    const int b = state.nonPawnMaterial[Black];
    int score = pawnlessScore;
    int phase = phaseWeight(state);
    if (w == RookMinorMaterial && b == RookMaterial) {
        score -= ExchangeUpCorrection;
    } else if (b == RookMinorMaterial && w == RookMaterial) {
        score += ExchangeUpCorrection;
    } else if (b == RookMinorMaterial && w == TwoMinorsMaterial) {
        phase = TwoMinorsAgainstRookMinorPhase;
    } else if (w == RookMaterial && b == MinorMaterial) {
        score -= RookAgainstMinorCorrection;
        phase = RookAgainstMinorPhase;
    } else if (w == MinorMaterial && b == RookMaterial) {
        score += RookAgainstMinorCorrection;
        phase = RookAgainstMinorPhase;
    } else if (w == TwoMinorsMaterial && b == MinorMaterial) {
        score -= ExchangeUpCorrection;
    } else if (w == MinorMaterial && b == TwoMinorsMaterial) {
        score += ExchangeUpCorrection;
    }
    return {score, phase};
}

}  // namespace halberd::eval
