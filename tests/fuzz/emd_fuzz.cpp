// Compressed table files, any content: the first byte picks the check. Read:
// the rest is a file, which the reader either refuses or describes, and then
// every block either decodes to its length or is refused; nothing reads or
// writes out of bounds. Round trip: the rest is a table's values, which the
// compressor's file gives back exactly.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "fuzzcheck.h"
#include "tablebase/blockdecoder.h"
#include "tablebase/emdreader.h"
#include "tablebase/emdwriter.h"
#include "tablebase/registry.h"

namespace emd = tablebase::emd;
using halberd::fuzz::require;

namespace {

using OpenFile = std::unique_ptr<std::FILE, tablebase::FileCloser>;

// The described file's blocks, decoded one after the other (64 at most).
std::vector<std::uint8_t> readBlocks(std::vector<std::uint8_t>& bytes, bool& described) {
    OpenFile file(fmemopen(bytes.data(), bytes.size(), "rb"));
    emd::EmdDescriptor descriptor;
    described = file && emd::describeEmdFile(file.get(), descriptor) == emd::EmdFault::None;
    if (!described) return {};
    require(descriptor.blockBits == emd::BlockBits, "a file with another block size was accepted");
    require(descriptor.blockStarts.size() == std::size_t{descriptor.blocks} + 1,
            "block starts do not match the blocks");
    std::vector<std::uint8_t> values;
    for (std::uint32_t b = 0; b < descriptor.blocks && b < 64; ++b) {
        const std::uint32_t length = descriptor.decodedLength(b);
        require(length <= descriptor.blockValues(), "a block longer than the block size");
        std::vector<std::uint8_t> out(length);
        if (emd::readCompressedBlock(file.get(), descriptor, b, out.data()))
            values.insert(values.end(), out.begin(), out.end());
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::vector<std::uint8_t> rest(data + 1, data + size);
    bool described = false;
    if (data[0] % 2 == 0) {
        readBlocks(rest, described);
        return 0;
    }
    std::vector<std::uint8_t> file = emd::buildEmdFile(emd::compressTable(rest));
    const std::vector<std::uint8_t> values = readBlocks(file, described);
    require(described, "the compressor's file is refused");
    require(values == rest, "the compressor's file reads back differently");
    return 0;
}
