#pragma once
// The block coder of the compressed tables: every block of 8192 values is
// parsed into literals and matches against its own earlier values, at 24
// distances chosen for the whole file from those its data repeats at most,
// and written with one length-limited canonical Huffman code for the file.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "tablebase/emdformat.h"

namespace halberd::tablebase::emd {

struct CompressedTable {
    std::array<std::uint32_t, Distances> distances{};
    std::array<std::uint8_t, Symbols> codeLengths{};
    // Per block its bytes in the file: the coded bits, or the values as they
    // are when coding would not make the block shorter.
    std::vector<std::vector<std::uint8_t>> blocks;
    std::vector<std::uint32_t> decodedCrcs;  // CRC-32 of each block's values
    std::uint32_t lastLength = 0;            // values in the last block
    int blockBits = BlockBits;  // the compressor's blocks are 8192 values; a hand-made table may say otherwise
};

CompressedTable compressTable(std::span<const std::uint8_t> values);

// The distances a hash-chain match finder uses most over these blocks (the
// number of values its matches cover at each distance): the file's 24.
std::array<std::uint32_t, Distances> chooseDistances(std::span<const std::uint8_t> values);

}  // namespace halberd::tablebase::emd
