#pragma once
// Speed of the tablebase code: index calls per second over all tables, and,
// given a directory of tables (plain or compressed), probes per second with a
// warm and a cold cache and the speed of reading whole blocks.

#include <cstdio>
#include <span>
#include <string_view>

namespace halberd::tablebase {

// Arguments after "bench tb": [DIRECTORY]; with a directory, `threads`
// threads also probe the shared cache at once. Returns the program's exit status.
int runTablebaseBench(std::span<const std::string_view> arguments, int threads, std::FILE* out);

}  // namespace halberd::tablebase
