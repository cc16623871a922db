#pragma once
// The ordering details of the table numbering that the table sizes leave
// open. Every such choice lives here, so the index functions and the table
// generator agree by construction and a choice can be changed in one place.

#include <array>
#include <cstdint>

namespace halberd::tablebase::numbering {

// Man types in the order one side's men are combined, most significant digit
// first (the index of the type in "pnbrq"). Queens before rooks and pieces
// before pawns are fixed by the sizes; bishops before knights is a choice.
// The other side's men use the same order.
constexpr std::array<int, 5> ManOrder = {4, 3, 2, 1, 0};

// Two like men at positions a < b of their common square list: colex number
// (fixed by the sizes for the side to move's pieces; chosen for pawn pairs
// and the other side's pairs).
constexpr std::uint32_t likePair(std::uint32_t a, std::uint32_t b) { return a + b * (b - 1) / 2; }

// Square lists run in increasing square order (a1 = 0 ... h8 = 63), and a man
// of the other side is numbered by its square less the men standing below it.

// With the weaker side (Black) to move in a class with pawns, the numbering
// reads the board turned upside down (square number exclusive-or 56: a8, b8
// ... h8, a7 ... h1) for the king pair, the men numbered relative to the other
// king and the other side's pieces; the other side's pawns (and the remaining
// pawn of an en-passant entry) keep the board as it stands. The seven deepest
// losses of kppkp, at indices 56802428, 56811076, 56849992, 56858640,
// 59592489, 67775659 and 71071628 of the original files, fix the order of the
// kings and the lone pawn. The table sizes (the last index of every file is a
// possible position) fix the pieces: left on the unturned board, the side to
// move's pieces end kppkr's file before its last position, and the other
// side's pieces end eight files (kXpkr, kXpkq) on impossible ones. That the
// other side's pawns are turned with the first groups when the side to move
// has only its king is a choice.
constexpr int moverFrame(bool pawns, bool strongerToMove) { return pawns && !strongerToMove ? 56 : 0; }

// En-passant configurations, 0..13: by the file of the pawn that stepped
// twice (a..h), and for each the capturer on the lower file before the one on
// the higher file. The sizes pin only the last one (h-file pawn, g-file
// capturer).
constexpr int EpConfigurations = 14;
constexpr int epConfiguration(int pawnFile, bool capturerOnHigherFile) {
    return pawnFile == 0 ? 0 : 2 * pawnFile - 1 + (capturerOnHigherFile ? 1 : 0);
}
struct EpConfiguration {
    int pawnFile;
    int capturerFile;
};
constexpr EpConfiguration epConfigurationAt(int configuration) {
    if (configuration == 0) return {0, 1};
    const int file = (configuration + 1) / 2;
    return {file, configuration % 2 == 1 ? file - 1 : file + 1};
}
// When two pawns could capture en passant, the configuration with the lower
// number is used (the capturer on the lower file); the other pawn is then a
// remaining pawn of the entry.

}  // namespace halberd::tablebase::numbering
