#pragma once
// Index functions of the endgame tables: one numbering per (class, side to
// move), from a position to its byte in the table file, and back.

#include <array>
#include <cstdint>

namespace halberd::tablebase {

// Piece list layout: king 0, queens 1..3, rooks 4..6, bishops 7..9, knights
// 10..12, pawns 13..16; -1 marks an empty place.
using PieceList = std::array<int, 17>;
constexpr int KingPlace = 0, QueenPlace = 1, RookPlace = 4, BishopPlace = 7, KnightPlace = 10, PawnPlace = 13;
constexpr int PiecePlaces = 17;
// The man of each place, as the lower-case letter of a FEN.
constexpr std::array<char, PiecePlaces> PlaceLetters = {'k', 'q', 'q', 'q', 'r', 'r', 'r', 'b', 'b',
                                                        'b', 'n', 'n', 'n', 'p', 'p', 'p', 'p'};

// Returned for a position the numbering has no value for (kings side by side,
// lists that do not match the class, a man on a square its list leaves out).
constexpr std::uint32_t NoIndex = 0xFFFFFFFFu;

// Index of a position in table (cls, side): side 0 = the stronger side (White
// in the class name) to move, 1 = the weaker side to move. `stronger`/`weaker`
// are the two sides' lists; epSquare is the en-passant target square or -1;
// inverted = the board is turned upside down (the stronger side is really
// Black). Values of legal positions lie in 0 .. size-1 of the class.
std::uint32_t tableIndex(int cls, int side, const PieceList& stronger, const PieceList& weaker, int epSquare,
                         bool inverted);

// A position in the numbering's own frame: the stronger side's pawns move up
// the board, the side to move is given by the table.
struct TablePosition {
    PieceList stronger;
    PieceList weaker;
    int epSquare;  // en-passant target square of an en-passant entry, else -1
};

// Number of index values the numbering spans before the table's trailing
// run of impossible positions is cut (the file holds tableClass().size).
std::uint64_t rawTableSize(int cls, int side);

// The position index `index` of table (cls, side) stands for. False when the
// index lies beyond the numbering. The position may be impossible (two men on
// one square, the side to move giving check): see holdsPosition.
bool decodeIndex(int cls, int side, std::uint64_t index, TablePosition& position);

// True when a decoded position could stand on the board with that side to
// move: all men on different squares, the other king not attacked, and for an
// en-passant entry the two squares the pawn passed empty.
bool holdsPosition(int side, const TablePosition& position);

}  // namespace halberd::tablebase
