#pragma once
// Where the pieces stand and what they reach: rook files, the bishop pair,
// heavy pieces on the seventh and eighth rank, outposts, and the mobility pass
// with its threats and king-zone attack count. All terms White minus Black.
#include <array>

#include "board/nodestate.h"
#include "eval/pawns.h"

namespace halberd::eval {

inline constexpr std::array<int, 9> KnightMobility = {-62, -53, -12, -4, 3, 13, 22, 28, 33};
inline constexpr std::array<int, 14> BishopMobility = {-48, -20, 16, 26, 38, 51, 55, 63, 63, 68, 81, 81, 91, 98};
inline constexpr std::array<int, 15> RookMobility = {-60, -20, 2, 3, 3, 11, 22, 31, 40, 40, 41, 48, 57, 57, 62};
inline constexpr std::array<int, 28> QueenMobility = {-30, -12, -8, -9, 20, 23, 23, 35, 38, 53, 64, 65, 65, 66,
                                                      67, 67, 72, 72, 77, 79, 93, 108, 108, 108, 110, 114, 114, 116};

constexpr int HalfOpenFileBonus = 37;
constexpr int OpenFileBonus = 74;
constexpr int BishopPairBase = 133;
constexpr int SeventhRankStep = 35;
constexpr int ThreatPenalty = 126;
constexpr int KingAttackThreshold = 81;

// Rooks on files without own pawns (positional).
int rookFiles(const board::SearchBoard& sb, const board::NodeState& state);
// Both original bishops still on the board (positional).
int bishopPair(const board::SearchBoard& sb, const board::NodeState& state);
// Rooks and queen on the seventh or eighth rank (positional; late middlegame and endgame).
int heavyPiecesOnSeventh(const board::SearchBoard& sb);
// Outpost value of a minor piece of colour C on a square.
template <board::Colour C>
int knightOutpost(const board::SearchBoard& sb, int square);
// Outposts of both sides' knights and bishops (positional).
int outposts(const board::SearchBoard& sb);

// The mobility pass: adds threat penalties to `positional` and the king-attack
// balance to `proximity`; returns the mobility score, already doubled.
int evaluatePieces(const board::SearchBoard& sb, const board::NodeState& state, PawnAttacks whitePawnAttacks,
                   PawnAttacks blackPawnAttacks, board::Colour side, int& positional, int& proximity);

}  // namespace halberd::eval
