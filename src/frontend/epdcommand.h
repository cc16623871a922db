#pragma once
// The command-line word "epd FILE [--movetime MS | --depth N | --nodes N]
// [--threads N]": searches every position of a test suite that names best
// moves (bm), moves to avoid (am) or a mate (dm), and tells which it solved.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "board/gameboard.h"
#include "board/types.h"

namespace halberd::frontend {

struct EpdRequest {
    std::string path;
    std::int64_t movetimeMs = 1000;  // a second a position unless a depth or nodes limit is given
    int depth = 0;
    std::uint64_t nodes = 0;
    int threads = 1;
};

// The arguments after the word "epd"; nothing when they are not understood.
std::optional<EpdRequest> parseEpdArguments(std::span<const std::string_view> arguments);

// One test position: the first four FEN fields, its name, and what solves it.
struct EpdProblem {
    std::string fen;
    std::string id;
    std::vector<board::Move> best;   // bm: one of these is right
    std::vector<board::Move> avoid;  // am: none of these may be played
    int mateMoves = 0;               // dm: a mate in at most this many moves
    std::string operations;          // the bm/am/dm operations as written, for the report
};

// A line of the suite read on the game (which it sets up): the problem, or
// the reason it is none. A blank line or a "#" comment gives neither.
struct EpdLine {
    std::optional<EpdProblem> problem;
    std::string fault;
};
EpdLine parseEpdLine(std::string_view line, board::GameBoard& game);

// Whether the move with the search's score solves the problem: by its moves
// where bm or am give them, else by a mate within the dm distance.
bool solves(const EpdProblem& problem, board::Move move, int score);

// Runs the suite: a line a position and "N of M solved" at the end; 0, or 2
// with a usage line for bad arguments or a file that cannot be read.
int runEpdWord(board::GameBoard& game, std::span<const std::string_view> arguments);

}  // namespace halberd::frontend
