#include "eval/pawns.h"

#include <algorithm>
#include <cstdlib>

#include "board/tables.h"
#include "eval/boardview.h"

namespace halberd::eval {

using namespace board;

namespace {

// One side's pawns per file, ranks counted from that side (0 = no pawn).
struct FileSummary {
    std::array<int, 8> count{};
    std::array<int, 8> front{};  // most advanced pawn
    std::array<int, 8> back{};   // rearmost pawn
    int pawns = 0;
    int files = 0;
    PawnAttacks attacks = 0;
};

template <Colour C>
FileSummary summarise(const SearchBoard& sb) {
    FileSummary s;
    const int first = slotBase(C) + FirstPawnSlot;
    for (int slot = first; slot < first + 8; ++slot) {
        const int square = sb.slotSquare[slot];
        if (square == OffBoard || sb.slotType[slot] != pawnOf(C)) continue;
        const int f = fileOf(square);
        const int r = relativeRank(C, rankOf(square));
        if (s.count[f]++ == 0) {
            ++s.files;
            s.front[f] = r;
            s.back[f] = r;
        } else {
            if (r > s.front[f]) s.front[f] = r;
            if (r < s.back[f]) s.back[f] = r;
        }
        ++s.pawns;
        const int ahead = square + pawnPush(C);
        if (f > 0) s.attacks |= PawnAttacks{1} << (ahead - 1);
        if (f < 7) s.attacks |= PawnAttacks{1} << (ahead + 1);
    }
    return s;
}

// Our-relative rank of the enemy's most advanced and rearmost pawns of a file.
int enemyFrontSeenByUs(const FileSummary& enemy, int f) { return enemy.count[f] ? 7 - enemy.front[f] : -1; }
int enemyBackSeenByUs(const FileSummary& enemy, int f) { return enemy.count[f] ? 7 - enemy.back[f] : -1; }

// Penalty counts and passer sum of one side, all positive for that side.
struct SideScore {
    int doubled = 0;
    int isolated = 0;
    int backward = 0;
    int passer = 0;
    int runnerRank = 0;
};

// The rearmost pawn of file f lags behind its neighbours and its stop square is
// blocked or covered by an enemy pawn.
bool backward(const FileSummary& us, const FileSummary& them, int f, bool hasLeft, bool hasRight) {
    const int rear = us.back[f];
    const bool lags = (!hasLeft || rear < us.back[f - 1]) && (!hasRight || rear < us.back[f + 1]);
    const bool stopped = enemyFrontSeenByUs(them, f) == rear + 1 ||
                         (f > 0 && enemyFrontSeenByUs(them, f - 1) == rear + 2) ||
                         (f < 7 && enemyFrontSeenByUs(them, f + 1) == rear + 2);
    return lags && stopped;
}

// No enemy pawn ahead of rank r on file f or beside it.
bool passedOn(const FileSummary& them, int f, int r) {
    return enemyBackSeenByUs(them, f) < r && (f == 0 || enemyBackSeenByUs(them, f - 1) <= r) &&
           (f == 7 || enemyBackSeenByUs(them, f + 1) <= r);
}

// The front pawn of the neighbouring file g stands within one rank of the front pawn of file f.
bool withinOne(const FileSummary& us, int f, int g) {
    return us.count[g] > 0 && std::abs(us.front[g] - us.front[f]) <= 1;
}

// Value of the passer at the front of file f, with the bonus of a connected neighbour.
int passerValue(const FileSummary& us, int f, bool leftWithinOne) {
    const int r = us.front[f];
    int value = scaled(PassedPawnValue[r], PasserScale) - PasserFilePenalty[f];
    if (leftWithinOne)
        value += ConnectedPasserValue[std::max(r, us.front[f - 1])];
    else if (f < 7 && withinOne(us, f, f + 1))
        value += ConnectedPasserValue[std::max(r, us.front[f + 1])];
    return value;
}

template <Colour C>
SideScore scoreSide(const SearchBoard& sb, const FileSummary& us, const FileSummary& them, Colour side,
                    PawnFacts& facts) {
    SideScore out;
    out.doubled = us.pawns - us.files;
    const int defendingKing = kingSquareOf(sb, opponent(C));
    const int tempo = side == opponent(C) ? 1 : 0;
    int bestKey = 64;
    for (int f = 0; f < 8; ++f) {
        if (us.count[f] == 0) continue;
        const bool hasLeft = f > 0 && us.count[f - 1] > 0;
        const bool hasRight = f < 7 && us.count[f + 1] > 0;
        if (!hasLeft && !hasRight)
            out.isolated += us.count[f] == 1 ? 1 : 2;
        else if (backward(us, them, f, hasLeft, hasRight))
            ++out.backward;

        const int r = us.front[f];
        const bool leftWithinOne = f > 0 && withinOne(us, f, f - 1);
        if (!passedOn(them, f, r)) {
            if (leftWithinOne) out.passer += scaled(PawnDuoValue[std::max(r, us.front[f - 1])], DuoScale);
            continue;
        }
        out.passer += passerValue(us, f, leftWithinOne);

        const int square = squareOf(f, relativeRank(C, r));
        facts.passers[C][f] = static_cast<std::uint8_t>(square);
        // Most advanced first, then nearer an edge; files run upwards so a tie keeps the lower file.
        const int key = (7 - r) * 8 + std::min(f, 7 - f);
        if (key < bestKey) {
            bestKey = key;
            facts.topPasser[C] = square;
        }
        const int promotion = squareOf(f, relativeRank(C, 7));
        if (KingDistance[defendingKing][promotion] > 7 - r + tempo && r > out.runnerRank) out.runnerRank = r;
    }
    return out;
}

}  // namespace

PawnFacts computePawnStructure(const SearchBoard& sb, const NodeState& state, Colour side) {
    PawnFacts facts;
    const FileSummary white = summarise<White>(sb);
    const FileSummary black = summarise<Black>(sb);
    facts.attacks = {white.attacks, black.attacks};
    const SideScore w = scoreSide<White>(sb, white, black, side, facts);
    const SideScore b = scoreSide<Black>(sb, black, white, side, facts);

    // A passer the lone king cannot catch is nearly a new queen.
    int runnerTerm = 0;
    if (w.runnerRank > 0 && state.counts[CountBlackPieces] == 0) runnerTerm += runnerBonus(w.runnerRank);
    if (b.runnerRank > 0 && state.counts[CountWhitePieces] == 0) runnerTerm -= runnerBonus(b.runnerRank);

    facts.score = BackwardPenalty * (b.backward - w.backward) + DoubledPenalty * (b.doubled - w.doubled) +
                  IsolatedPenalty * (b.isolated - w.isolated) + runnerTerm + w.passer - b.passer;
    return facts;
}

PawnFacts evaluatePawns(const SearchBoard& sb, const NodeState& state, Colour side, PawnTable& table) {
    const KeyPair key = pawnTableKey(sb, state, side);
    if (const std::optional<PawnFacts> stored = pawnTableProbe(table, key)) return *stored;
    const PawnFacts facts = computePawnStructure(sb, state, side);
    pawnTableStore(table, key, facts);
    return facts;
}

}  // namespace halberd::eval
