// Compressed table files, any content: the first byte picks the check. Read:
// the rest is a file, which the reader either refuses or describes, and then
// every block either decodes to its length or is refused; nothing reads or
// writes out of bounds. Unchecked: the same with each block's bytes handed to
// the decoder without their checksum, so that random bytes reach it. Round
// trip: the rest is a table's values, which the compressor's file gives back
// exactly.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "fuzzcheck.h"
#include "tablebase/blockdecoder.h"
#include "tablebase/emdreader.h"
#include "tablebase/emdwriter.h"
#include "tablebase/registry.h"

namespace emd = halberd::tablebase::emd;
using halberd::fuzz::require;

namespace {

using OpenFile = std::unique_ptr<std::FILE, halberd::files::FileCloser>;

// The described file's blocks, decoded one after the other (64 at most),
// through the reader with its checksums or straight from the file's bytes.
// The bytes as an open file in memory: the reader reads blocks by offset
// from the file's descriptor.
OpenFile memoryFile(std::span<const std::uint8_t> bytes) {
    const int descriptor = ::memfd_create("emd", MFD_CLOEXEC);
    if (descriptor < 0) return nullptr;
    OpenFile file(::fdopen(descriptor, "w+b"));
    if (!file) {
        ::close(descriptor);
        return nullptr;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() || std::fflush(file.get()) != 0)
        return nullptr;
    std::rewind(file.get());
    return file;
}

std::vector<std::uint8_t> readBlocks(std::vector<std::uint8_t>& bytes, bool& described, bool checked = true) {
    OpenFile file = memoryFile(bytes);
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
        const std::uint64_t start = descriptor.blockStarts[b];
        const std::uint64_t end = descriptor.blockStarts[b + 1];
        const bool decoded = checked
                                 ? emd::readCompressedBlock(::fileno(file.get()), descriptor, b, out.data())
                                 : start <= end && end <= bytes.size() &&
                                       emd::decodeBlock(descriptor, std::span(bytes.data() + start, end - start), out);
        if (decoded) values.insert(values.end(), out.begin(), out.end());
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::vector<std::uint8_t> rest(data + 1, data + size);
    bool described = false;
    if (data[0] % 3 != 1) {
        readBlocks(rest, described, data[0] % 3 == 0);
        return 0;
    }
    std::vector<std::uint8_t> file = emd::buildEmdFile(emd::compressTable(rest));
    const std::vector<std::uint8_t> values = readBlocks(file, described);
    require(described, "the compressor's file is refused");
    require(values == rest, "the compressor's file reads back differently");
    return 0;
}
