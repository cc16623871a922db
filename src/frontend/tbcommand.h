#pragma once
// The command-line word "tb": "tb make CLASS... [-o DIR] [--compress] [-j N]"
// makes endgame tables ("all4" = every class of three and four men, "all5" every
// class of five, "all" every class), plain or
// compressed, on N threads (all processors by default), "tb verify CLASS... [-d DIR] [-j N]" checks finished ones move by move,
// "tb compress FILE..." writes the compressed file beside each plain one, and
// "tb plan CLASS..." prints a makefile that makes the classes as separate jobs.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halberd::frontend {

struct TbRequest {
    bool verify = false;    // make otherwise
    bool plan = false;      // print the jobs' makefile
    bool compress = false;  // make: write compressed files
    std::vector<std::string> classes;
    std::vector<std::string> files;  // tb compress: the plain table files
    std::string directory;           // empty: the current directory
    int threads = 0;                 // make: 0 = one per processor
};

// The arguments after the word "tb"; nothing when they are not understood.
std::optional<TbRequest> parseTbArguments(std::span<const std::string_view> arguments);

// Runs the request: 0 when every table was made (or verified without an
// inconsistency), 1 when one failed, 2 with a usage line for bad arguments.
int runTbWord(std::span<const std::string_view> arguments);

}  // namespace halberd::frontend
