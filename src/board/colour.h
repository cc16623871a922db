#pragma once
// The two colours and every fact of the board that differs between them, in
// one vocabulary: routines written once as a template on the colour read their
// directions and ranks from ColourTraits<C>, and colour-blind code uses the
// functions below instead of spelling out White's and Black's numbers.
namespace halberd::board {

enum Colour : int { White = 0, Black = 1 };

constexpr Colour opponent(Colour c) { return c == White ? Black : White; }

// Square step of a pawn moving forward: up the board for White, down for Black.
constexpr int pawnPush(Colour c) { return c == White ? 8 : -8; }

// A rank (0..7) or square seen from the colour's own side of the board:
// relativeRank(Black, 7) is Black's back rank, 0.
constexpr int relativeRank(Colour c, int rank) { return c == White ? rank : 7 - rank; }
constexpr int relativeSquare(Colour c, int square) { return c == White ? square : square ^ 56; }

// First square of the colour's back rank (a1 or a8).
constexpr int backRankBase(Colour c) { return c == White ? 0 : 56; }

// Material balances are kept from White's view: +1 for White, -1 for Black.
constexpr int colourSign(Colour c) { return c == White ? 1 : -1; }

// Board entries hold slot numbers: 0..15 White, 16..31 Black; entry & 48 gives these bits.
constexpr int colourBits(Colour c) { return c == White ? 0 : 16; }

template <Colour C>
struct ColourTraits {
    static constexpr Colour us = C;
    static constexpr Colour enemy = opponent(C);
    static constexpr int sign = colourSign(C);
    static constexpr int forward = pawnPush(C);
    static constexpr int ownBits = colourBits(C);
    static constexpr int enemyBits = colourBits(opponent(C));
    static constexpr int backRank = backRankBase(C);
    static constexpr int kingHome = backRank + 4;
    static constexpr int shortRookHome = backRank + 7;
    static constexpr int shortRookTarget = backRank + 5;
    static constexpr int longRookHome = backRank;
    static constexpr int longRookTarget = backRank + 3;
    // Ranks (0..7 from White's side) of the pawn's journey.
    static constexpr int doubleStepFromRank = relativeRank(C, 1);
    static constexpr int doubleStepToRank = relativeRank(C, 3);
    static constexpr int seventhRank = relativeRank(C, 6);
    static constexpr int lastRank = relativeRank(C, 7);
    static constexpr int enemyDoubleFrom = relativeRank(C, 6);
    static constexpr int enemyDoubleTo = relativeRank(C, 4);
};

}  // namespace halberd::board
