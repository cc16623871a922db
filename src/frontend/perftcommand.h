#pragma once
// The command-line word "perft DEPTH [FEN] [--slow] [--960]": a divided perft
// of the start position or of the FEN, printed on standard output; --960 reads
// the FEN's castling field as Chess960's (KQkq for the outermost rooks).
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "board/perft.h"

namespace halberd::frontend {

struct PerftRequest {
    int depth = 0;
    std::string fen;  // empty for the start position
    board::PerftMode mode = board::PerftMode::Fast;
    bool chess960 = false;
};

inline constexpr int MaxPerftDepth = 20;

// The arguments after the word "perft"; nothing when they are not understood.
// The FEN may come as one argument or as several words.
std::optional<PerftRequest> parsePerftArguments(std::span<const std::string_view> arguments);

// Runs the request on the game: 0 after the count, 2 with a usage line on
// standard error for bad arguments or a rejected position.
int runPerftWord(board::GameBoard& game, std::span<const std::string_view> arguments);

}  // namespace halberd::frontend
