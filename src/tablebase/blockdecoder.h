#pragma once
// Decoding the blocks of a compressed table: literals and matches against the
// block's own earlier output, read through the file's prefix code.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "tablebase/emdreader.h"

namespace halberd::tablebase::emd {

// Decodes one compressed block into `out` (its decoded length). False for a
// damaged block: a symbol the code cannot give, a match reaching before the
// block's start or past its end, or more bits than the block holds.
bool decodeBlock(const EmdDescriptor& descriptor, std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

// Reads block `block` of the file open as `descriptorOfFile` and decodes it
// into `out` (room for the block's decoded length); a block whose compressed
// length equals its decoded length is stored as it is. False when it cannot be
// read or decoded. Threads may read blocks of one file at once: the read
// leaves the file's position alone and the work space is the caller's stack.
bool readCompressedBlock(int descriptorOfFile, const EmdDescriptor& descriptor, std::uint32_t block, std::uint8_t* out);

// The whole decoded table of a compressed file; empty (with a reason in
// `error`) when the file is missing, damaged or of another length.
std::vector<std::int8_t> decompressFile(const std::string& path, std::uint64_t expectedSize, std::string& error);

}  // namespace halberd::tablebase::emd
