#pragma once
// The men of one tablebase class as the generator sees them, and the class a
// position falls into after a capture or a promotion.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/colour.h"

namespace halberd::tablebase {

// Kinds of men in the order of a class name's letters after the king.
enum class ManKind : std::uint8_t { King, Queen, Rook, Bishop, Knight, Pawn };

inline constexpr int MaxMen = 5;
// The stronger side is White in the class name and plays White's part: its
// pawns move up the board.
inline constexpr int Stronger = halberd::board::White;
inline constexpr int Weaker = halberd::board::Black;
constexpr int otherSide(int side) { return halberd::board::opponent(halberd::board::Colour(side)); }

struct Man {
    int colour = Stronger;
    ManKind kind = ManKind::King;
};

// Men in a fixed order: the stronger king, the weaker king, then the stronger
// side's other men and the weaker side's, each in name order (q r b n p).
struct Material {
    std::string name;
    int count = 0;
    std::array<Man, MaxMen> men{};
    bool pawns = false;      // any pawn: only the files may be mirrored
    bool bothPawns = false;  // pawns on both sides: en-passant positions exist
};

char letterOf(ManKind kind);

// A registry class name ("kqkr"): the stronger side first, at most five men,
// three men on one side at most with one king each. Nothing for other text.
std::optional<Material> parseMaterial(std::string_view name);

// The class of a set of men given as kinds per colour (kings left out), with
// `swapped` set when the second colour holds the class's stronger side.
// Nothing for bare kings or material outside the 3- to 5-man registry.
struct ClassOf {
    std::string name;
    bool swapped = false;
};
std::optional<ClassOf> classOfMen(std::vector<ManKind> first, std::vector<ManKind> second);

// Every 3- and 4-man class in registry order.
std::vector<std::string> allFourManClasses();

}  // namespace halberd::tablebase
