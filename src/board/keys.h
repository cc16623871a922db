#pragma once
// Zobrist keys: two tables of 1024 words from a fixed-seed MT19937, so that
// keys are the same from run to run, and the from-scratch key computation.
#include <array>
#include <cstdint>

#include "board/castling.h"
#include "board/gameboard.h"

namespace halberd::board {

namespace detail {

// MT19937 (32-bit, standard initialisation and tempering) for seed 123456,
// run at compile time: the first 1024 outputs are the low key words, the next
// 1024 the high ones.
constexpr std::array<std::uint32_t, 2048> mersenneOutputs() {
    constexpr int N = 624, M = 397;
    std::array<std::uint32_t, N> mt{};
    mt[0] = 123456u;
    for (int i = 1; i < N; ++i) mt[i] = 1812433253u * (mt[i - 1] ^ (mt[i - 1] >> 30)) + static_cast<std::uint32_t>(i);
    std::array<std::uint32_t, 2048> out{};
    int index = N;
    for (auto& value : out) {
        if (index >= N) {
            for (int k = 0; k < N; ++k) {
                const std::uint32_t y = (mt[k] & 0x80000000u) | (mt[(k + 1) % N] & 0x7fffffffu);
                mt[k] = mt[(k + M) % N] ^ (y >> 1) ^ ((y & 1u) ? 0x9908b0dfu : 0u);
            }
            index = 0;
        }
        std::uint32_t y = mt[index++];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        y ^= y >> 18;
        value = y;
    }
    return out;
}

inline constexpr std::array<std::uint32_t, 2048> MersenneOutputs = mersenneOutputs();

}  // namespace detail

inline constexpr std::array<std::uint32_t, 1024> KeyTableLow = [] {
    std::array<std::uint32_t, 1024> t{};
    for (int i = 0; i < 1024; ++i) t[i] = detail::MersenneOutputs[i];
    return t;
}();

inline constexpr std::array<std::uint32_t, 1024> KeyTableHigh = [] {
    std::array<std::uint32_t, 1024> t{};
    for (int i = 0; i < 1024; ++i) t[i] = detail::MersenneOutputs[1024 + i];
    return t;
}();

// Index layout: colour * 512 + type * 64 + square; row type 7 holds the extras.
constexpr int keyIndex(int colour, int type, int square) { return colour * 512 + type * 64 + square; }
constexpr int WhiteCastlingKey = 448;  // + (2 if short available) + (1 if long available)
constexpr int WhiteToMoveKey = 452;
constexpr int BlackToMoveKey = 453;
constexpr int EnPassantFileKey = 456;  // + file; only in the search's table keys
constexpr int BlackCastlingKey = 960;
// A standing right whose rook is not in its corner (Chess960) adds the key of
// its rook's file: + 8 * (1 for a long right) + file.
constexpr int WhiteCastlingRookKey = 464;
constexpr int BlackCastlingRookKey = 976;

// A 64-bit key as its two halves.
struct KeyPair {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    constexpr void toggle(int index) {
        low ^= KeyTableLow[index];
        high ^= KeyTableHigh[index];
    }
};

constexpr int castlingKeyIndex(Colour c, int shortState, int longState) {
    return (c == White ? WhiteCastlingKey : BlackCastlingKey) + (shortState == 0 ? 2 : 0) + (longState == 0 ? 1 : 0);
}

// The extra key of a castling right (index in Position order) whose rook stands
// on `rookHome`; 0 when none is added (the right is not standing, or its rook
// is in the corner of the ordinary start).
constexpr int castlingRookKeyIndex(int index, int state, int rookHome) {
    if (state != 0 || rookHome == OrdinaryRookHomes[static_cast<std::size_t>(index)]) return 0;
    const bool white = index == CastleWhiteShort || index == CastleWhiteLong;
    const bool isLong = index == CastleWhiteLong || index == CastleBlackLong;
    return (white ? WhiteCastlingRookKey : BlackCastlingRookKey) + (isLong ? 8 : 0) + fileOf(rookHome);
}

// Recomputes hashKey and pawnKey of the position for the given side to move.
void computeKeys(Position& position, int sideToMove);

// Number of earlier positions in the game history with the same 48 key bits
// and the same side to move, walking back to the last irreversible move.
int repetitionCount(const GameBoard& game, int sideToMove, const Position& position);

}  // namespace halberd::board
