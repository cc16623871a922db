#pragma once
// The shape of one table's numbering, derived once from its class name: which
// men are numbered relative to a king, which take fixed radices, and where
// each king pair's block of values starts.

#include <array>
#include <cstdint>
#include <vector>

#include "tablebase/indextables.h"

namespace halberd::tablebase {

constexpr int PawnType = 0;  // man types are indices into "pnbrq"

struct ManGroup {
    int type = 0;               // 0..4 in "pnbrq"
    int count = 0;              // like men in the group (1 or 2)
    int place = 0;              // first place of the type in a PieceList
    int list = 0;               // ListKind, for groups numbered relative to a king
    std::uint32_t radix = 0;    // fixed radix, for the other side's groups
    std::uint32_t epRadix = 0;  // fixed radix of an other side's piece group in an en-passant entry
};

struct TableLayout {
    bool pawns = false;
    bool enPassant = false;  // pawns on both sides: en-passant entries follow the normal ones
    bool bareMover = false;  // the side to move has only its king: the other side's pawns lead
    int frame = 0;           // 56: kings, first groups and other pieces on the board turned over (numbering.h)
    int moverPawns = 0;
    int pawnsTotal = 0;
    int firstGroups = 0;  // men numbered relative to the other king, most significant first
    std::array<ManGroup, 3> first{};
    int fixedGroups = 0;  // the other side's men with fixed radices (pawns are the last group)
    std::array<ManGroup, 3> fixed{};
    std::uint64_t fixedProduct = 1;
    std::uint32_t epRemainingPawnRadix = 1;  // the pawn besides the two of an en-passant entry
    std::uint64_t epTailProduct = 1;         // remaining pawn and other side's pieces
    int pairs = 0;
    std::vector<std::uint32_t> normalBase;  // per king pair, and the total at the end
    std::vector<std::uint32_t> epBase;      // the same for the en-passant entries
};

const TableLayout& tableLayout(int cls, int side);

// Values a group numbered relative to king k takes with the first king on K,
// and the list position of `square` (NotListed when the list leaves it out).
struct GroupList {
    std::uint32_t length;
    bool firstKingListed;
};
inline GroupList groupList(int list, int K, int k) {
    const bool listed = SquareListTable.position[list][k][K] != NotListed;
    return {static_cast<std::uint32_t>(SquareListTable.length[list][k] - (listed ? 1 : 0)), listed};
}

inline std::uint64_t combinations(std::uint64_t n, int count) { return count == 1 ? n : n * (n - 1) / 2; }

}  // namespace halberd::tablebase
