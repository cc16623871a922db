#pragma once
// The generator's side of the table files: the byte stored for a distance to
// mate, writing a finished work table as .nbw/.nbb in the tables' numbering,
// and reading finished tables back as the values of another class.
#include <cstdint>
#include <string>
#include <vector>

#include "tablebase/retrograde.h"

namespace halberd::tablebase {

// Byte of a state (see worktable.h), as the probe converts it back:
//   the side to move mates in n moves:  127 - n for n = 1..126, -128 for n = 127
//   the side to move is mated in n moves: n - 126 for n = 0..125, -127 for n = 126
//   draw, and every index without a legal position: 0.
// Longer distances do not fit: a win beyond 127 moves is stored as 127 and a
// loss beyond 126 moves as 126 (no class of up to five men has a longer win; the
// probe counts a loss stored as 126 moves from the moves after it, so kppkp's
// losses in 127 come back as 127).
std::int8_t byteOfState(std::uint8_t state);
std::uint8_t stateOfByte(std::int8_t byte);

// Both sides' lists in the numbering's layout for men in a class's order.
struct PieceLists {
    std::array<int, 17> stronger{};
    std::array<int, 17> weaker{};
};
PieceLists pieceListsOf(const Material& m, const Squares& sq);

std::string tableFileName(const std::string& directory, const std::string& className, int side);

struct WriteReport {
    std::array<std::uint64_t, 2> bytes{};      // table sizes
    std::array<std::uint64_t, 2> unindexed{};  // legal positions the numbering gave no index
    std::array<std::uint64_t, 2> conflicts{};  // indices given two different values
};

// Writes both files of the table into the directory, plain (kqkr.nbw) or
// compressed (kqkr.nbw.emd), the indices computed on `threads` threads (the
// same files for any number); false with a message on failure.
bool writeTableFiles(const WorkTable& table, const std::string& directory, WriteReport& report, std::string& error,
                     bool compress = false, int threads = 1);

// `halberd tb compress`: writes the compressed file of a plain table file
// (/d/kqkr.nbw gives /d/kqkr.nbw.emd) and reads it back against the plain one.
struct CompressReport {
    std::uint64_t plainBytes = 0;
    std::uint64_t compressedBytes = 0;
    double seconds = 0;  // processor time of compressing and writing (the machine may be shared)
};
bool compressTableFile(const std::string& path, CompressReport& report, std::string& error);

// The bytes of one table file, whole, from the plain file or else from its
// compressed one (kqkr.nbw.emd or kqkrnbw.emd); empty when missing, damaged
// or of the wrong size, with what is wrong with a compressed file in `reason`
// (when given).
std::vector<std::int8_t> readTableFile(const std::string& path, std::uint64_t expectedSize,
                                       std::string* reason = nullptr);

// A class's two table files as a value source.
class FileTableSource final : public ValueSource {
public:
    // Nothing usable when either file is missing or of the wrong size (see ok()).
    FileTableSource(const std::string& directory, const std::string& className);
    bool ok() const { return ok_; }
    std::uint8_t stateOf(const Squares& sq, int side) const override;
    std::int8_t byteOf(const PieceLists& lists, int side, int epSquare) const;

private:
    Material material_;
    int classNumber_ = 0;
    std::array<std::vector<std::int8_t>, 2> bytes_;
    bool ok_ = false;
};

}  // namespace halberd::tablebase
