#pragma once
// The three containers of a chess position: the flat Position record copied
// whole by copy-make, the search's in-place SearchBoard, and the front end's
// GameBoard with its move history.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board/types.h"

namespace halberd::board {

// The flat record copied whole (186 words). Fields in their fixed order.
struct Position {
    std::array<std::int32_t, 32> slotSquare;  // OffBoard when not on the board
    std::array<std::int32_t, 64> board;       // EmptySlot when empty
    std::array<std::int32_t, 33> slotType;    // entry 32 is NoPiece
    std::array<std::int32_t, 4> castling;     // CastleWhiteShort, CastleBlackShort, CastleWhiteLong, CastleBlackLong
    std::array<std::int32_t, 33> slotValue;   // entry 32 is 0
    std::array<std::int32_t, 2> pieceCount;   // non-pawn pieces other than the king
    std::array<std::int32_t, 2> pawnCount;
    std::uint32_t hashKeyLow;
    std::uint32_t hashKeyHigh;
    std::uint32_t pawnKeyLow;
    std::uint32_t pawnKeyHigh;
    std::int32_t stageCode;
    std::int32_t materialMg;  // White minus Black, kings excluded
    std::int32_t materialEg;
    std::int32_t pstMg;  // piece-square sums, White minus Black
    std::int32_t pstEg;
    std::int32_t ply;
    std::int32_t halfmoveClock;
    std::array<std::int32_t, 2> pawnFiles;        // bit f: a pawn of that colour on file f
    std::array<std::int32_t, 2> nonPawnMaterial;  // sum of slotValue over pieces
    std::int32_t lastMove;                        // low 16 bits of the last move, 0 = none
};
static_assert(sizeof(Position) == 186 * 4, "Position is copied as 186 words");

// The search's working board, changed in place and restored by the node routines.
struct SearchBoard {
    std::array<std::int32_t, 32> slotSquare;
    std::array<std::int32_t, 64> board;
    std::array<std::int32_t, 33> slotType;
    std::array<std::int32_t, 33> slotValue;
};

// One entry per half-move played (12 bytes).
struct HistoryEntry {
    std::uint32_t keyHigh;   // hashKeyHigh of the position reached
    std::uint16_t keyLow16;  // upper 16 bits of its hashKeyLow
    std::uint16_t move;      // low 16 bits of the move as listed (kind and capture mark included)
    std::uint8_t castling;   // castling states before the move, each stored as state + 1
    std::uint8_t flags;      // bits 0-5 captured slot, bit 6 irreversible, bit 7 Black to move after
};
static_assert(sizeof(HistoryEntry) == 12);

constexpr std::uint8_t HistoryIrreversible = 0x40;
constexpr std::uint8_t HistoryBlackToMove = 0x80;
constexpr int HistoryInitialCapacity = 600;
constexpr int HistoryGrowth = 40;

// The front end's game object.
struct GameBoard {
    std::vector<HistoryEntry> history;  // capacity starts at 600 and grows by 40
    int historyTop = -1;                // index of the last stored entry, -1 = none
    int plyCounter = -1;                // index of the last move played, -1 at the start
    int epSquare = 0;                   // square just passed over when en passant is possible, 0 = none

    std::array<std::int32_t, 32> slotSquare{};
    std::array<std::int32_t, 64> board{};
    std::array<std::int32_t, 33> slotType{};
    std::array<std::int32_t, 33> slotValue{};
    Colour sideToMove = White;
    std::array<std::int32_t, 4> castling{};  // same order as in Position

    MoveList legalMoves{};  // zero-terminated legal moves of the side to move
    Position scratch{};     // used for every legality and notation call

    std::string startFen;  // written by every set-up; empty before the first
    // What the first position of the game had besides its pieces, for a take-back
    // to it: the double step a set-up's en-passant field stands for, and its
    // halfmove clock.
    int startLastMove = 0;
    int startHalfmoveClock = 0;

    int gameResult = 0;  // 2 after a mate, 3 after a stalemate, 1 after an illegal set-up
    int lastMove = 0;    // low 16 bits of the last move played, 0 after navigation

    // Front-end words.
    int targetTime = 60;  // tenths of a second
    int maxTime = 60;
    int depthLimit = 999;
    int resignCount = 0;
    int lastScore = 0;
    int resetWord = 0;  // never set; "RESET" consults it
    int uciMode = 0;
    int uciNewGamePending = 0;

    int bookMissesLeft = 10;  // book probes left before the book is given up for this game
};

}  // namespace halberd::board
