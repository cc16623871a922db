#pragma once
// The generator's dense work table of one class: one node per position reduced
// by the board's symmetries (all eight without pawns, the file mirror with
// pawns), like men sorted by square, both sides to move; after the normal nodes
// come the en-passant nodes (a pawn has just made a double step and a pawn of
// the side to move stands beside it), kept as a sorted key list.
//
// A node's state byte holds the exact distance in plies: 0 = draw (or not yet
// known), otherwise plies + 1; an even ply count is a loss for the side to move
// (0 = checkmated), an odd one a win.
#include <cstdint>
#include <string>
#include <vector>

#include "tablebase/fewmen.h"
#include "tablebase/index.h"
#include "tablebase/material.h"

namespace halberd::tablebase {

struct WorkLayout {
    Material material;
    int kingCodes = 0;          // 10 (triangle) without pawns, 32 (files a-d) with
    std::uint64_t perSide = 0;  // normal nodes per side to move
    std::uint64_t normalCount = 0;
    std::vector<std::uint64_t> epKeys;  // normal node * 64 + square of the pawn that made the double step
};

WorkLayout makeLayout(const Material& m);

// Brings a position into its canonical form; returns the symmetry used, which
// `transformSquare` applies to further squares (the en-passant pawn).
int canonicalise(const Material& m, Squares& sq);
int transformSquare(int symmetry, int square);

std::uint64_t encodeCanonical(const WorkLayout& layout, const Squares& sq, int side);
// Squares and side of a normal node (not necessarily canonical or legal).
void decodeNormal(const WorkLayout& layout, std::uint64_t node, Squares& sq, int& side);
bool isEnPassantNode(const WorkLayout& layout, std::uint64_t node);
// Squares, side and en-passant pawn of any node.
void decodeNode(const WorkLayout& layout, std::uint64_t node, Squares& sq, int& side, int& epPawn);
std::uint64_t nodeCount(const WorkLayout& layout);

// The node of a position given in any orientation. epPawn >= 0 names a pawn that
// has just made a double step beside a pawn of the side to move.
std::uint64_t nodeOf(const WorkLayout& layout, Squares sq, int side, int epPawn);

// Fills epKeys: every legal en-passant position of the class.
void listEnPassantNodes(WorkLayout& layout);

// A legal canonical normal node.
bool isLegalNormalNode(const WorkLayout& layout, std::uint64_t node);

// State byte helpers.
constexpr bool stateIsWin(std::uint8_t s) { return s != 0 && ((s - 1) & 1) != 0; }
constexpr bool stateIsLoss(std::uint8_t s) { return s != 0 && ((s - 1) & 1) == 0; }
// Moves to mate for a win (n) or a loss (n, 0 = checkmated).
constexpr int movesOfState(std::uint8_t s) { return stateIsWin(s) ? s / 2 : (s - 1) / 2; }

// A finished class: its layout and the state of every node.
struct WorkTable {
    WorkLayout layout;
    std::vector<std::uint8_t> state;
};

// The state of a position of the table's class, in any orientation.
std::uint8_t stateOf(const WorkTable& table, const Squares& sq, int side, int epPawn);

std::string fenOf(const Material& m, const Squares& sq, int side, int epPawn);
// FEN of a board of piece letters (' ' empty, a1 first), side 0 = White to move,
// and the en-passant target square or -1; no move counters.
std::string fenOfBoard(const std::array<char, 64>& board, int side, int epTarget);
// FEN of two piece lists: `white`'s men in capitals, `black`'s in small letters.
std::string fenOfLists(const PieceList& white, const PieceList& black, int side, int epTarget);

// Calls visit(node, squares, side, epPawn) for every legal node of the table
// in [first, last).
template <class Visit>
void forEachLegalNodeIn(const WorkLayout& layout, std::uint64_t first, std::uint64_t last, Visit&& visit) {
    for (std::uint64_t node = first; node < last; ++node) {
        if (!isEnPassantNode(layout, node) && !isLegalNormalNode(layout, node)) continue;
        Squares sq;
        int side = 0;
        int ep = NoSquare;
        decodeNode(layout, node, sq, side, ep);
        visit(node, sq, side, ep);
    }
}

}  // namespace halberd::tablebase
