#include "tablebase/blockdecoder.h"

#include <array>
#include <cstring>
#include <memory>

#include "files/bitreader.h"
#include "files/crc32.h"
#include "files/regularfile.h"

namespace halberd::tablebase::emd {

namespace {

// Only files with blocks of 8192 register, and no compressed block is longer
// than its 8192 values: the caller's stack holds the one being decoded.
constexpr std::size_t LongestBlock = std::size_t{1} << BlockBits;

std::uint32_t matchLength(int code, files::BitReader& bits) {
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
    files::BitReader bits(in);
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

bool readCompressedBlock(int descriptorOfFile, const EmdDescriptor& descriptor, std::uint32_t block,
                         std::uint8_t* out) {
    if (block >= descriptor.blocks) return false;
    const std::uint64_t length = descriptor.compressedLength(block);
    const std::uint32_t decoded = descriptor.decodedLength(block);
    if (length > LongestBlock) return false;
    std::array<std::uint8_t, LongestBlock> compressed;
    const std::span<std::uint8_t> bytes = std::span(compressed).first(static_cast<std::size_t>(length));
    if (!files::readAt(descriptorOfFile, descriptor.blockStarts[block], bytes)) return false;
    // A damaged block must give no values rather than wrong ones; its bytes'
    // checksum costs less than decoding them.
    if (files::crc32(bytes) != descriptor.blockCrcs[block]) return false;
    if (length == decoded) {
        std::memcpy(out, bytes.data(), bytes.size());
        return true;
    }
    return decodeBlock(descriptor, bytes, std::span(out, decoded));
}

std::vector<std::int8_t> decompressFile(const std::string& path, std::uint64_t expectedSize, std::string& error) {
    const files::FileHandle file = files::openRegularFile(path).file;
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
        if (!readCompressedBlock(::fileno(file.get()), descriptor, b, out) ||
            files::crc32(std::span(out, descriptor.decodedLength(b))) != descriptor.decodedCrcs[b]) {
            error = path + ": block " + std::to_string(b) + " damaged";
            return {};
        }
    }
    return values;
}

}  // namespace halberd::tablebase::emd
