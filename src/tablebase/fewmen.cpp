#include "tablebase/fewmen.h"

#include <cstdlib>

namespace halberd::tablebase {

namespace {

constexpr std::array<int, 8> FileStep = {1, -1, 0, 0, 1, 1, -1, -1};
constexpr std::array<int, 8> RankStep = {0, 0, 1, -1, 1, -1, 1, -1};

StepTables buildStepTables() {
    StepTables t{};
    for (auto& row : t.line) row.fill(-1);
    auto add = [](TargetList& list, int s) { list.square[list.count++] = static_cast<std::int8_t>(s); };
    for (int s = 0; s < 64; ++s) {
        const int f = fileOfSquare(s);
        const int r = rankOfSquare(s);
        for (int df = -2; df <= 2; ++df)
            for (int dr = -2; dr <= 2; ++dr) {
                const int tf = f + df;
                const int tr = r + dr;
                if (tf < 0 || tf > 7 || tr < 0 || tr > 7 || (df == 0 && dr == 0)) continue;
                const std::uint64_t bit = std::uint64_t{1} << (tr * 8 + tf);
                if (std::abs(df) <= 1 && std::abs(dr) <= 1) {
                    add(t.king[s], tr * 8 + tf);
                    t.kingMask[s] |= bit;
                }
                if (std::abs(df * dr) == 2) {
                    add(t.knight[s], tr * 8 + tf);
                    t.knightMask[s] |= bit;
                }
            }
        for (int d = 0; d < 8; ++d) {
            std::uint64_t passed = 0;
            for (int tf = f + FileStep[d], tr = r + RankStep[d]; tf >= 0 && tf < 8 && tr >= 0 && tr < 8;
                 tf += FileStep[d], tr += RankStep[d]) {
                add(t.ray[s][d], tr * 8 + tf);
                t.line[s][tr * 8 + tf] = static_cast<std::int8_t>(d);
                t.between[s][tr * 8 + tf] = passed;
                passed |= std::uint64_t{1} << (tr * 8 + tf);
            }
        }
    }
    return t;
}

}  // namespace

namespace {
const StepTables Tables = buildStepTables();
}

const StepTables& stepTables() { return Tables; }

bool attackedBy(const Material& m, const Squares& sq, int target, int colour) {
    const StepTables& t = stepTables();
    std::uint64_t occupied = 0;
    for (int i = 0; i < m.count; ++i)
        if (sq[i] >= 0) occupied |= std::uint64_t{1} << sq[i];
    const std::uint64_t targetBit = std::uint64_t{1} << target;
    for (int i = 0; i < m.count; ++i) {
        const int s = sq[i];
        if (s < 0 || m.men[i].colour != colour || s == target) continue;
        const ManKind kind = m.men[i].kind;
        switch (kind) {
            case ManKind::King:
                if (t.kingMask[s] & targetBit) return true;
                break;
            case ManKind::Knight:
                if (t.knightMask[s] & targetBit) return true;
                break;
            case ManKind::Pawn:
                if (target - s == pawnStep(colour) + 1 && fileOfSquare(s) < 7) return true;
                if (target - s == pawnStep(colour) - 1 && fileOfSquare(s) > 0) return true;
                break;
            default: {
                const int d = t.line[s][target];
                if (d < 0 || (d < 4 ? !slidesStraight(kind) : !slidesDiagonal(kind))) break;
                if ((t.between[s][target] & occupied) == 0) return true;
            }
        }
    }
    return false;
}

bool legalPosition(const Material& m, const Squares& sq, int side) {
    for (int i = 0; i < m.count; ++i) {
        if (sq[i] < 0 || sq[i] > 63) return false;
        for (int j = 0; j < i; ++j)
            if (sq[i] == sq[j]) return false;
        if (m.men[i].kind == ManKind::Pawn && (rankOfSquare(sq[i]) == 0 || rankOfSquare(sq[i]) == 7)) return false;
    }
    const int otherKing = side == Stronger ? 1 : 0;
    return !attackedBy(m, sq, sq[otherKing], side);
}

bool inCheck(const Material& m, const Squares& sq, int side) {
    return attackedBy(m, sq, sq[side == Stronger ? 0 : 1], otherSide(side));
}

bool enPassantShape(const Material& m, const Squares& sq, int side, int pawnSquare) {
    const int pusher = otherSide(side);
    if (rankOfSquare(pawnSquare) != doubleStepRank(pusher)) return false;
    const int passed = pawnSquare - pawnStep(pusher);
    const int origin = passed - pawnStep(pusher);
    bool pawnThere = false;
    bool capturer = false;
    for (int i = 0; i < m.count; ++i) {
        if (sq[i] == passed || sq[i] == origin) return false;
        if (m.men[i].kind != ManKind::Pawn) continue;
        if (sq[i] == pawnSquare && m.men[i].colour == pusher) pawnThere = true;
        if (m.men[i].colour == side && rankOfSquare(sq[i]) == rankOfSquare(pawnSquare) &&
            std::abs(fileOfSquare(sq[i]) - fileOfSquare(pawnSquare)) == 1)
            capturer = true;
    }
    return pawnThere && capturer;
}

}  // namespace halberd::tablebase
