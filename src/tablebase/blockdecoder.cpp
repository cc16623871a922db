#include "tablebase/blockdecoder.h"

#include <array>
#include <cstring>
#include <limits>
#include <memory>

#include "tablebase/bitreader.h"
#include "tablebase/crc32.h"
#include "tablebase/regularfile.h"

namespace tablebase::emd {

namespace {

// The compressed bytes of the block being decoded. Only files with blocks of
// 8192 register, and no compressed block is longer than its 8192 values, so
// one static buffer serves every file and cannot fail to be allocated.
std::array<std::uint8_t, std::size_t{1} << BlockBits> compressedBlock;

std::uint32_t matchLength(int code, BitReader& bits) {
    if (code < 15) return static_cast<std::uint32_t>(code) + 1;
    if (code < 31) {
        const int k = code - 14;
        return (std::uint32_t{1} << k) + bits.read(k) + 14;
    }
    const std::uint32_t y = bits.read(16);
    return 2 * y + 131072 + bits.read(1) + 14;
}

}  // namespace

bool decodeBlock(const EmdDescriptor& descriptor, std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    BitReader bits(in);
    std::size_t at = 0;
    while (at < out.size()) {
        const int symbol = decodeSymbol(descriptor.code, bits);
        if (symbol < 0) return false;
        if (symbol < FirstMatch) {
            out[at++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        const int match = symbol - FirstMatch;
        const std::uint32_t length = matchLength(match % LengthCodes, bits);
        const std::uint32_t distance = descriptor.distances[static_cast<std::size_t>(match / LengthCodes)];
        // Each block's output starts fresh: a match reaches back only within it.
        // One that runs past the block's end leaves a remainder pending, and the
        // block is damaged.
        if (distance == 0 || distance > at || length > out.size() - at) return false;
        std::uint8_t* to = out.data() + at;
        const std::uint8_t* from = to - distance;
        if (distance >= length) {
            std::memcpy(to, from, length);
        } else {
            for (std::uint32_t i = 0; i < length; ++i) to[i] = from[i];  // overlapping: byte by byte
        }
        at += length;
    }
    return !bits.overrun();
}

bool readCompressedBlock(std::FILE* file, const EmdDescriptor& descriptor, std::uint32_t block, std::uint8_t* out) {
    if (block >= descriptor.blocks) return false;
    const std::uint64_t length = descriptor.compressedLength(block);
    const std::uint32_t decoded = descriptor.decodedLength(block);
    if (length > compressedBlock.size() || length > static_cast<std::uint64_t>(std::numeric_limits<long>::max()) ||
        descriptor.blockStarts[block] > static_cast<std::uint64_t>(std::numeric_limits<long>::max()))
        return false;
    if (std::fseek(file, static_cast<long>(descriptor.blockStarts[block]), SEEK_SET) != 0) return false;
    if (std::fread(compressedBlock.data(), 1, length, file) != length) return false;
    // A damaged block must give no values rather than wrong ones; its bytes'
    // checksum costs less than decoding them.
    if (crc32(std::span(compressedBlock.data(), length)) != descriptor.blockCrcs[block]) return false;
    if (length == decoded) {
        std::memcpy(out, compressedBlock.data(), length);
        return true;
    }
    return decodeBlock(descriptor, std::span(compressedBlock.data(), length), std::span(out, decoded));
}

std::vector<std::int8_t> decompressFile(const std::string& path, std::uint64_t expectedSize, std::string& error) {
    const FileHandle file = openRegularFile(path).file;
    if (!file) {
        error = "cannot open " + path;
        return {};
    }
    EmdDescriptor descriptor;
    const EmdFault fault = describeEmdFile(file.get(), descriptor);
    if (fault != EmdFault::None) {
        error =
            fault == EmdFault::UnsupportedBlock ? path + ": unsupported block size" : path + ": " + faultReason(fault);
        return {};
    }
    if (descriptor.totalLength() != expectedSize) {
        error = path + " corrupted";
        return {};
    }
    std::vector<std::int8_t> values(expectedSize);
    for (std::uint32_t b = 0; b < descriptor.blocks; ++b) {
        auto* out = reinterpret_cast<std::uint8_t*>(values.data()) + std::size_t{b} * descriptor.blockValues();
        // Read whole, the values are checked against their own checksum too.
        if (!readCompressedBlock(file.get(), descriptor, b, out) ||
            crc32(std::span(out, descriptor.decodedLength(b))) != descriptor.decodedCrcs[b]) {
            error = path + ": block " + std::to_string(b) + " damaged";
            return {};
        }
    }
    return values;
}

}  // namespace tablebase::emd
