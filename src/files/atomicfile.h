#pragma once
// Writing a whole file safely (table files, and the opening book): into a new
// temporary file of our own beside it (mkstemp: an existing name or a planted
// link is never opened), renamed over the target only when every byte is
// written, so that a reader never sees a half-written file.
#include <cstdint>
#include <span>
#include <string>

namespace halberd::files {

bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error);

}  // namespace halberd::files
