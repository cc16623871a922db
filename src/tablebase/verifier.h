#pragma once
// `halberd tb verify`: a forward check of finished table files. Every index of
// both tables of a class is decoded; each position it holds is set up on the
// game board, its legal moves are played with the game's own move generator,
// and the value the table must hold follows from the values after the moves
// (read from the same files or from the files of the classes captures and
// promotions lead into). Independent of the generator's retrograde passes.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace halberd::tablebase {

struct VerifyReport {
    std::uint64_t positions = 0;        // indices holding a legal position
    std::uint64_t inconsistencies = 0;  // stored values that differ from the derived one
    std::vector<std::string> examples;  // the first few, as "FEN: stored x, derived y"
    std::string error;                  // a missing or damaged file; nothing was checked
};

// `progress` (may be null) receives a line per table. The indices are shared
// out among `threads` threads; the report is the one a single thread gives.
VerifyReport verifyClass(const std::string& className, const std::string& directory, std::FILE* progress,
                         int threads = 1);

}  // namespace halberd::tablebase
