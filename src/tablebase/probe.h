#pragma once
// Looking a position up in the tables: the material counts and piece lists
// gathered from the board's piece slots, and the probe with its value scale.

#include <array>
#include <cstdint>
#include <span>

#include "board/fen.h"
#include "board/gameboard.h"
#include "tablebase/classes.h"
#include "tablebase/index.h"

namespace halberd::tablebase {

// Probe results: 0 draw; 32767 - n: the side to move mates in n moves; n -
// 32766: it is mated in n moves; NoValue: no table, no cache or no readable block.
constexpr int NoValue = 32767;

// The search's value of a stored table byte.
constexpr int valueOfByte(int c) {
    if (c == 0) return 0;
    if (c == 127) return NoValue;
    if (c == -128) return 32640;
    if (c == -127) return -32640;
    return c > 0 ? 32640 + c : c - 32640;
}

// Piece slots as the board keeps them: 32 squares (64 = off the board), 0..15
// White with the king in slot 0, 16..31 Black with the king in slot 16, and a
// piece type per slot (king 0, queen 1, rook 2, bishop 3, knight 4, pawns 5 and 6).

struct ProbeInput {
    MaterialCounts counts{};
    PieceList white{};
    PieceList black{};
};

// Fills the counts and both piece lists; returns the men other than kings.
int gatherMaterial(std::span<const std::int32_t> squares, std::span<const std::int32_t> types, ProbeInput& input);

// The men gathered before a legal move of the game's position, after it: the
// mover on its new square (promoted), the man it takes off the board.
ProbeInput materialAfter(const ProbeInput& before, const halberd::board::GameBoard& game, halberd::board::Move move);

// Sets the game up from the piece lists (side 0 = White to move, epSquare -1
// = none), without castling rights; the game's own legal-move list is filled.
halberd::board::SetupStatus setUpLists(halberd::board::GameBoard& game, const PieceList& white, const PieceList& black,
                                       int sideToMove, int epSquare);

// Where the gathered position is stored: its class (0 when no class holds
// it), the table's side to move and the index (NoIndex when it has none),
// with the colours exchanged when Black has the stronger material.
struct TableSpot {
    int cls = 0;
    int side = 0;
    std::uint32_t index = NoIndex;
};
TableSpot tableSpot(const ProbeInput& input, int sideToMove, int epSquare);

// The value of the gathered position with White (0) or Black (1) to move;
// epSquare is the square a pawn just passed with its double step, or -1.
// A byte holding the deepest loss it can (126 moves or more) is counted from
// the opponent's mates after each move.
int probe(const ProbeInput& input, int sideToMove, int epSquare);

}  // namespace halberd::tablebase
