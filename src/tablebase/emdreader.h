#pragma once
// Reading the header and index area of a compressed table file: the checks a
// file must pass to be registered, and the description (decoding tables,
// distances, block starts) its blocks are decoded with.
#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

#include "files/bitreader.h"
#include "tablebase/emdformat.h"
#include "tablebase/huffman.h"

namespace halberd::tablebase::emd {

struct EmdDescriptor {
    HuffmanDecoder code;  // the 1024 symbols, 13-bit first level
    std::array<std::uint32_t, Distances> distances{};
    std::vector<std::uint64_t> blockStarts;  // n + 1 file offsets: block b is [b, b + 1)
    std::vector<std::uint32_t> decodedCrcs;  // per block, CRC-32 of its values
    std::vector<std::uint32_t> blockCrcs;    // per block, CRC-32 of its bytes in the file
    std::uint32_t blocks = 0;
    std::uint32_t lastLength = 0;  // decoded length of the last block
    int blockBits = 0;
    std::uint32_t largestBlock = 0;  // the longest compressed block

    std::uint32_t blockValues() const { return std::uint32_t{1} << blockBits; }
    std::uint32_t decodedLength(std::uint32_t block) const { return block + 1 == blocks ? lastLength : blockValues(); }
    std::uint64_t compressedLength(std::uint32_t block) const { return blockStarts[block + 1] - blockStarts[block]; }
    std::uint64_t totalLength() const {
        return blocks == 0 ? 0 : std::uint64_t{blocks - 1} * blockValues() + lastLength;
    }
};

enum class EmdFault {
    None,
    ReadError,         // short header or another compressor's identification text
    FileBroken,        // a header field, the checksum or the code description is wrong
    OutOfMemory,       // the header area cannot be read whole or held
    UnsupportedBlock,  // a sound file with blocks of another size than 8192
};

// The reason printed after "*** Unable to read PATH - " for the first three faults.
const char* faultReason(EmdFault fault);

// Checks and describes the compressed file open in `file` (read from its start).
EmdFault describeEmdFile(std::FILE* file, EmdDescriptor& descriptor);

// Reads the 1024 code lengths from the code description at the reader's
// place; false when the description is malformed.
bool readCodeLengths(files::BitReader& bits, std::array<std::uint8_t, Symbols>& lengths);

}  // namespace halberd::tablebase::emd
