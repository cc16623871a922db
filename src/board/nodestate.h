#pragma once
// Root preparation of a Position for the search and the compact per-node
// record (NodeState) that the node routines copy and update.
#include <array>
#include <cstdint>

#include "board/keys.h"
#include "board/position.h"
#include "board/searchboard.h"

namespace halberd::board {

struct NodeState {
    std::array<std::int16_t, 4> castling;  // same order as in Position
    std::array<std::int16_t, 4> counts;    // White pieces, Black pieces, White pawns, Black pawns
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
    std::uint32_t promotedQueenMask;  // bit n set: pawn slot n (8..15, 24..31) holds a promoted queen
    std::uint16_t excludedMove;       // move to skip (singular-extension search), 0 for none
    std::uint16_t lastMove;           // incoming move of the node, 0 after a null move
    std::array<std::uint8_t, 2> pawnFiles;
};

constexpr int CountWhitePieces = 0;
constexpr int CountBlackPieces = 1;
constexpr int CountWhitePawns = 2;
constexpr int CountBlackPawns = 3;
constexpr int pieceCountIndex(Colour c) { return CountWhitePieces + c; }
constexpr int pawnCountIndex(Colour c) { return CountWhitePawns + c; }

void countPieces(Position& position);
void recomputeMaterial(Position& position);
// Brings counts, material, canonical slot types, stage, pawn files and
// piece-square sums of the root up to date; returns the stage code.
int prepareRoot(Position& position);

// The working-board part of a position.
SearchBoard searchBoardOf(const Position& position);

// Fills the node state from the position and loads the working board from it.
void buildNodeState(const Position& position, NodeState& state, SearchBoard& sb);
void setPromotedQueenMask(NodeState& state, const SearchBoard& sb);

// Game stage inside the tree, from the counts and the non-pawn material; the
// search recomputes it after every capture and promotion (stage 1 never arises).
int searchStage(const NodeState& state);

// Castling states after a move of side C by `movedSlot` that took `capturedSlot`
// (EmptySlot if none): castling sets its way to 1 and the other to -1, a king or
// rook move and the capture of a rook give up the rights they touch.
template <Colour C>
void updateCastlingStates(std::array<std::int16_t, 4>& castling, Move move, int movedSlot, int capturedSlot);

// Brings a child's copy of its parent's state up to date for a move of side C.
// Call it after applySearchMove<C>(move), with the slot that call returned
// (EmptySlot when nothing was captured; the victim for en passant). Updates
// castling states, counts, both keys, material, non-pawn material,
// piece-square sums, pawn files, promotedQueenMask, halfmove clock, lastMove
// and, after a capture or promotion, the stage. The ply and excludedMove are
// the search's.
template <Colour C>
void updateNodeState(const SearchBoard& sb, NodeState& state, Move move, int capturedSlot);
// The same for a null move: side-to-move keys flipped, lastMove and clock 0.
void updateNodeStateNull(NodeState& state);

// The low hash key after a null move: only the side to move changes.
inline std::uint32_t keyLowAfterNull(const NodeState& state) {
    return state.hashKeyLow ^ KeyTableLow[WhiteToMoveKey] ^ KeyTableLow[BlackToMoveKey];
}

// The low hash key after a move of side C, taken before the move is made so
// that the parent can fetch the child's table entry ahead of its search. Only
// the moving man, the victim on the target square and the side to move are
// counted: after castling, en passant, a promotion or a change of castling
// rights the guess is wrong, which costs a useless fetch and nothing else.
template <Colour C>
std::uint32_t keyLowAfter(const SearchBoard& sb, const NodeState& state, Move move) {
    const int from = moveFrom(move);
    const int to = moveTo(move);
    const int type = sb.slotType[sb.board[from]];
    std::uint32_t key =
        keyLowAfterNull(state) ^ KeyTableLow[keyIndex(C, type, from)] ^ KeyTableLow[keyIndex(C, type, to)];
    const int victim = sb.board[to];
    if (victim != EmptySlot) key ^= KeyTableLow[keyIndex(opponent(C), sb.slotType[victim], to)];
    return key;
}

inline void updateNodeStateWhite(const SearchBoard& b, NodeState& s, Move m, int c) {
    updateNodeState<White>(b, s, m, c);
}
inline void updateNodeStateBlack(const SearchBoard& b, NodeState& s, Move m, int c) {
    updateNodeState<Black>(b, s, m, c);
}

}  // namespace halberd::board
