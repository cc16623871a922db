#pragma once
// Every weight of the evaluation, grouped by term, in 1/480 pawn unless a
// comment says otherwise. The term code reads these names only; the piece
// values and the piece-square tables sit with the board (board/types.h,
// board/piecesquare.h) because the node routines keep their sums up to date.
#include <array>

namespace halberd::eval {

// A fraction applied as x * num / den: the product first, then the division
// truncating toward zero.
struct Ratio {
    int num;
    int den;
};

constexpr int scaled(int x, Ratio r) { return x * r.num / r.den; }

// ------------------------------------------------------------ phase and finish
constexpr int FullPhase = 78;      // phase weight of full middlegame material
constexpr int PhaseDivisor = 480;  // non-pawn material per step of phase weight
constexpr int TempoBonus = 80;     // the side to move's bonus, also the value of a dead fifty-move count
constexpr Ratio PstScale{24, 10};  // square-table units to evaluation units

// ------------------------------------------------------------ combination
constexpr Ratio PositionalScale{14, 10};
constexpr Ratio MobilityScale{15, 10};
constexpr int KingSafetyFade = 164;  // king safety loses eg/164 of itself as material leaves
constexpr int PawnGrowth = 205;      // pawn structure gains eg/205 of itself as material leaves

// ------------------------------------------------------------ material patterns
// Non-pawn material of one side that the endgame rules recognise.
constexpr int MinorMaterial = 1872;
constexpr int RookMaterial = 2832;
constexpr int TwoMinorsMaterial = 3744;
constexpr int RookMinorMaterial = 4704;

// ------------------------------------------------------------ lone minor piece
// A side left with a single minor piece can hardly win.
constexpr int LoneMinorTilt = 120;       // the special term, toward the other side
constexpr int LoneMinorHardLoss = 1032;  // endgame-rule value against the lone minor's side
constexpr int LoneMinorLightLoss = 792;  // the same for its opponent
constexpr int EvenLoneMinorLoss = 912;   // both or neither side left with a lone minor

// ------------------------------------------------------------ pieces
inline constexpr std::array<int, 9> KnightMobility = {-62, -53, -12, -4, 3, 13, 22, 28, 33};
inline constexpr std::array<int, 14> BishopMobility = {-48, -20, 16, 26, 38, 51, 55, 63, 63, 68, 81, 81, 91, 98};
inline constexpr std::array<int, 15> RookMobility = {-60, -20, 2, 3, 3, 11, 22, 31, 40, 40, 41, 48, 57, 57, 62};
inline constexpr std::array<int, 28> QueenMobility = {-30, -12, -8, -9, 20, 23, 23, 35,  38,  53,  64,  65,  65,  66,
                                                      67,  67,  72, 72, 77, 79, 93, 108, 108, 108, 110, 114, 114, 116};
constexpr int MobilityFactor = 2;  // the mobility pass's sum counts twice

constexpr int HalfOpenFileBonus = 37;  // rook on a file with enemy pawns only
constexpr int OpenFileBonus = 74;      // rook on a file without pawns
constexpr int BishopPairBase = 133;    // both bishops, less BishopPairPawnStep per pawn on the board
constexpr int BishopPairPawnStep = 2;
constexpr int SeventhRankStep = 35;  // rook or queen: once on the seventh rank, twice on the eighth

// Minor piece on an outpost: on the sixth rank, and on the fifth where no
// enemy pawn can come to chase it.
constexpr int OutpostSixthRank = 70;
constexpr int OutpostFifthRank = 119;

// A piece attacked by a lesser enemy piece; twice that when the opponent is to move.
constexpr int ThreatPenalty = 126;
constexpr int ThreatToMoveFactor = 2;

// ------------------------------------------------------------ king attack
// Weight of one attacked king-zone square by PieceType (Queen..Knight).
inline constexpr std::array<int, 5> KingZoneWeight = {0, 2, 3, 4, 5};
// Kings two steps apart count as one attacker of weight 2 on each side.
constexpr int KingsNearAttackWeight = 2;
constexpr Ratio QueenlessAttack{2, 3};   // an attack without a queen is much less dangerous
constexpr int KingAttackFactor = 5;      // times weight times attackers
constexpr int KingAttackThreshold = 81;  // smaller balances are dropped

// ------------------------------------------------------------ king safety
constexpr int ShelterStep = 67;            // each covered file in front of the king
constexpr int ShelterMaterialGate = 5664;  // enemy non-pawn material that makes shelter matter
constexpr int OpenFileThreatBase = 42;     // an open file at the king
constexpr int OpenFileHeavyStep = 49;      // each enemy queen or rook on it, two at most
constexpr int OpenFileHeavyLimit = 2;
constexpr int ClearLineUp = 45;        // bishop or rook aiming at the enemy king
constexpr int ScreenedLineUp = 51;     // the same through one piece
constexpr int QueenTropismStep = 5;    // per step of the queen's distance to both kings ...
constexpr int QueenTropismCentre = 7;  // ... counted from this sum of distances
constexpr int BishopKingStep = 18;     // per step of a bishop from its own king
constexpr int KnightKingStep = 6;      // per step of a knight from its own king

// ------------------------------------------------------------ pawn structure
// Passer tables by rank counted from the pawn's own side.
inline constexpr std::array<int, 8> PassedPawnValue = {0, 27, 39, 77, 107, 204, 408, 0};
inline constexpr std::array<int, 8> ConnectedPasserValue = {0, 0, 24, 36, 87, 144, 258, 0};
inline constexpr std::array<int, 8> PawnDuoValue = {0, 0, 24, 36, 87, 144, 258, 0};
inline constexpr std::array<int, 8> PasserFilePenalty = {0, 27, 54, 80, 80, 54, 27, 0};
constexpr Ratio PasserScale{13, 10};  // applied to PassedPawnValue
constexpr Ratio DuoScale{3, 5};       // applied to PawnDuoValue of a pair that is not passed

constexpr int BackwardPenalty = 56;
constexpr int DoubledPenalty = 40;
constexpr int IsolatedPenalty = 25;  // counted twice for two or more pawns on the file

// An unstoppable passer against a side without pieces: RunnerShare of the
// runner base, less a step per rank still to go and the passer's own value.
constexpr int RunnerBase = 5136;
constexpr int RunnerRankStep = 243;
constexpr Ratio RunnerShare{4, 5};

// ------------------------------------------------------------ endgame
inline constexpr std::array<int, 8> BlockedPasserValue = {0, 0, 0, 12, 17, 60, 100, 0};
constexpr int BlockedPasserFactor = 3;

// Passer races: the kings' distances to the stop square (capped at RaceDistanceCap),
// scaled by the passer's rank.
constexpr int RaceDistanceCap = 5;
constexpr Ratio RaceEnemyKing{19, 4};
constexpr int RaceOwnKing = 2;
constexpr int RaceRankFactor = 3;

constexpr int KingPawnStep = 52;          // per step from the king to its nearest own pawn
constexpr int PromotionGuardStep = 13;    // per rank of a passer whose promotion square an enemy bishop guards
constexpr int RookBehindPasserStep = 29;  // per rank of the passer, for a rook behind it
constexpr int KingCutOffBonus = 30;       // a rook between the passer and the enemy king
constexpr int PasserPairBonus = 3693;     // two connected pawns on the seventh against a lone rook

// ------------------------------------------------------------ pawnless endings
constexpr int MateEdgeFactor = 2;          // per step of the weak king from the edge or the right corner
constexpr int ExchangeUpCorrection = 936;  // rook and minor against rook, two minors against one
constexpr int RookAgainstMinorCorrection = 480;
constexpr int TwoMinorsAgainstRookMinorPhase = 17;
constexpr int RookAgainstMinorPhase = 9;

}  // namespace halberd::eval
