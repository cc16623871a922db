#pragma once
// Writing compressed table files: the container around the coded blocks
// (header, block lengths, distances, code description, checksum), and the
// file itself, written to a temporary file beside it and renamed into place.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/bitwriter.h"
#include "tablebase/compressor.h"

namespace halberd::tablebase::emd {

// The whole compressed file of a table.
std::vector<std::uint8_t> buildEmdFile(const CompressedTable& table);

// Writes the code description of the 1024 code lengths (see emdreader.h).
void writeCodeDescription(files::BitWriter& bits, std::span<const std::uint8_t> lengths);

// Compresses the table's values into `path`; false with a reason in `error`.
bool writeEmdFile(const std::string& path, std::span<const std::uint8_t> values, std::string& error);

}  // namespace halberd::tablebase::emd
