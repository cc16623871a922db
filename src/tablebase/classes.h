#pragma once
// The 110 material classes of the endgame tables (up to five men, kings
// included), their table sizes, and the map from a material count to a class.

#include <array>
#include <cstdint>
#include <string_view>

namespace halberd::tablebase {

constexpr int ClassCount = 110;

// Side index of a table: the stronger side (White in the class name) to move,
// or the weaker side to move.
constexpr int StrongerToMove = 0;
constexpr int WeakerToMove = 1;

struct TableClass {
    int number;                         // 1..110
    std::string_view name;              // "kqkr"
    std::array<std::uint32_t, 2> size;  // index values: [0] stronger side to move, [1] weaker side
};

// Class 1..110 (any other number gives the empty class 0 with size 0).
const TableClass& tableClass(int number);

// "kqkr" -> 19; 0 for a name that is no class.
int classNumberOf(std::string_view name);

// Material counts as the probe gathers them: White pawns, knights, bishops,
// rooks, queens, then the same for Black; kings not counted.
using MaterialCounts = std::array<int, 10>;
constexpr int PawnCount = 0, KnightCount = 1, BishopCount = 2, RookCount = 3, QueenCount = 4;
constexpr int BlackCounts = 5;

// Signed class number of the material: +c when White holds the class's
// stronger material, -c when Black does, 0 when no class has it.
int classLookup(const MaterialCounts& counts);

// Men of each type a class name spells for its stronger (0) and weaker (1)
// side, indexed like MaterialCounts' first five. False for a malformed name.
bool namedMaterial(std::string_view name, std::array<std::array<int, 5>, 2>& men);

}  // namespace halberd::tablebase
