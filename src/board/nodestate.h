#pragma once
// Root preparation of a Position for the search and the compact per-node
// record (NodeState) that the node routines copy and update.
#include <array>
#include <cstdint>

#include "board/position.h"

namespace halberd::board {

struct NodeState {
    std::array<std::int16_t, 4> castling;    // same order as in Position
    std::array<std::int16_t, 4> counts;      // White pieces, Black pieces, White pawns, Black pawns
    std::uint32_t hashKeyLow;
    std::uint32_t hashKeyHigh;
    std::uint32_t pawnKeyLow;
    std::uint32_t pawnKeyHigh;
    std::int32_t stageCode;
    std::int32_t materialMg;  // White minus Black
    std::int32_t materialEg;
    std::int32_t pstMg;  // piece-square sums, White minus Black
    std::int32_t pstEg;
    std::int32_t ply;
    std::int32_t halfmoveClock;
    std::array<std::uint16_t, 2> nonPawnMaterial;
    std::uint32_t promotedQueenMask;  // bit per pawn slot (8..15, 24..31) holding a promoted queen
    std::uint16_t excludedMove;       // move to skip (singular-extension search), 0 for none
    std::uint16_t lastMove;           // incoming move of the node, 0 after a null move
    std::array<std::uint8_t, 2> pawnFiles;
};

constexpr int CountWhitePieces = 0;
constexpr int CountBlackPieces = 1;
constexpr int CountWhitePawns = 2;
constexpr int CountBlackPawns = 3;

// The search's working board (one per process: one search runs at a time).
extern SearchBoard searchBoard;

void countPieces(Position& position);
void recomputeMaterial(Position& position);
// Brings counts, material, canonical slot types, stage, pawn files and
// piece-square sums of the root up to date; returns the stage code.
int prepareRoot(Position& position);

// Fills the node state from the position and loads the SearchBoard from it.
void buildNodeState(const Position& position, NodeState& state);
void setPromotedQueenMask(NodeState& state);

}  // namespace halberd::board
