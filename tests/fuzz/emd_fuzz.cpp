// Compressed table files, any content: the reader either refuses the file or
// describes it, and then every block either decodes to its length or is
// refused; nothing reads or writes out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "fuzzcheck.h"
#include "tablebase/blockdecoder.h"
#include "tablebase/emdreader.h"
#include "tablebase/registry.h"

namespace emd = tablebase::emd;
using halberd::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<std::uint8_t> bytes(data, data + size);
    std::unique_ptr<std::FILE, tablebase::FileCloser> file(fmemopen(bytes.data(), bytes.size(), "rb"));
    if (!file) return 0;
    emd::EmdDescriptor descriptor;
    if (emd::describeEmdFile(file.get(), descriptor) != emd::EmdFault::None) return 0;
    require(descriptor.blockBits == emd::BlockBits, "a file with another block size was accepted");
    require(descriptor.blockStarts.size() == std::size_t{descriptor.blocks} + 1, "block starts do not match the blocks");
    std::vector<std::uint8_t> out(descriptor.blockValues());
    // A few blocks are plenty: each is decoded on its own.
    for (std::uint32_t b = 0; b < descriptor.blocks && b < 64; ++b) {
        require(descriptor.decodedLength(b) <= out.size(), "a block longer than the block size");
        emd::readCompressedBlock(file.get(), descriptor, b, out.data());
    }
    return 0;
}
