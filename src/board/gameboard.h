#pragma once
// The front end's game object with its move history, and its housekeeping:
// copies between the GameBoard and a Position, the packed castling byte of the
// history, and the new-game set-up.
#include <array>
#include <cstdint>
#include <vector>

#include "board/position.h"

namespace halberd::board {

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
    // Castling rights may belong to any king and rook on the back rank, the
    // king between the rooks (Chess960); otherwise only to the king on the
    // e-file and the rooks in the corners. A Shredder-FEN castling field (rook
    // files) sets it.
    bool chess960 = false;
    // The game began in the ordinary start position (the opening book's games did).
    bool ordinaryStart = true;
    // Where each right's rook stood when the game was set up (Chess960 starts
    // anywhere), for taking a castling back; in Position order.
    std::array<std::int32_t, 4> castlingRookHome = {7, 63, 0, 56};

    MoveList legalMoves{};  // zero-terminated legal moves of the side to move
    Position scratch{};     // used for every legality and notation call

    // What the first position of the game had besides its pieces, for a take-back
    // to it: the double step a set-up's en-passant field stands for, and its
    // halfmove clock.
    int startLastMove = 0;
    int startHalfmoveClock = 0;

    int gameResult = 0;  // 2 after a mate, 3 after a stalemate, 1 after an illegal set-up
    int lastMove = 0;    // low 16 bits of the last move played, 0 after navigation

    int bookMissesLeft = 10;  // book probes left before the book is given up for this game
};

// Copies slot squares, board, slot types, castling states and slot values of the
// game into the position; the other fields of the position stay as they are.
void loadScratch(const GameBoard& game, Position& position);
// The reverse copy of the same fields.
void storeScratch(GameBoard& game, const Position& position);

// Castling states before a move, each stored as state + 1 in two bits:
// bits 0-1 White short, 2-3 White long, 4-5 Black short, 6-7 Black long.
std::uint8_t packCastling(const GameBoard& game);
void unpackCastling(GameBoard& game, std::uint8_t packed);

// Slot the move captures (the en-passant victim for kind 3), EmptySlot if none.
int capturedSlot(const GameBoard& game, Move move);

// Empties the history (capacity back to 600 entries).
void resetHistory(GameBoard& game);
// Appends an entry, growing the history by 40 entries when it is full.
void pushHistory(GameBoard& game, const HistoryEntry& entry);

// New game in the start position.
void resetGameToStart(GameBoard& game);

}  // namespace halberd::board
