#include "tablebase/emdreader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "files/bitreader.h"
#include "files/crc32.h"
#include "tablebase/blockcache.h"

namespace halberd::tablebase::emd {

namespace {

constexpr int AuxRootBits = 8;
constexpr int CodeRootBits = 13;

// The 128 code lengths of the alphabets A and B: a width, then one value per
// length, each 0 followed by 4 bits of further zeros.
bool readAuxLengths(files::BitReader& bits, std::array<std::uint8_t, 2 * AuxSymbols>& lengths) {
    lengths.fill(0);
    if (bits.read(1) == 1) return true;
    const int width = static_cast<int>(bits.read(5));
    for (std::size_t i = 0; i < lengths.size();) {
        const std::uint32_t value = bits.read(width);
        lengths[i++] = static_cast<std::uint8_t>(value);
        if (value != 0) continue;
        const std::uint32_t zeros = bits.read(4);
        if (i + zeros > lengths.size()) return false;
        i += zeros;  // already 0
        if (bits.overrun()) return false;
    }
    return true;
}

std::uint32_t runCount(int b, files::BitReader& bits) {
    if (b <= RunBase) return static_cast<std::uint32_t>(b);
    const int k = b - RunBase;
    return (std::uint32_t{1} << k) + bits.read(k) + 31;
}

}  // namespace

const char* faultReason(EmdFault fault) {
    switch (fault) {
        case EmdFault::ReadError: return "read error";
        case EmdFault::FileBroken: return "file broken";
        case EmdFault::OutOfMemory: return "out of memory";
        case EmdFault::None:
        case EmdFault::UnsupportedBlock: break;
    }
    return "";
}

bool readCodeLengths(files::BitReader& bits, std::array<std::uint8_t, Symbols>& lengths) {
    lengths.fill(0);
    if (bits.read(1) == 0) {
        std::array<std::uint8_t, 2 * AuxSymbols> aux{};
        HuffmanDecoder a, b;
        if (!readAuxLengths(bits, aux) || !buildDecoder(std::span(aux).first(AuxSymbols), AuxRootBits, a) ||
            !buildDecoder(std::span(aux).last(AuxSymbols), AuxRootBits, b))
            return false;
        for (std::size_t i = 0; i < lengths.size();) {
            const int symbol = decodeSymbol(a, bits);
            if (symbol < 0) return false;
            if (symbol < RunBase) {
                lengths[i++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            const int run = decodeSymbol(b, bits);
            if (run < 0) return false;
            const std::uint64_t repeat = std::uint64_t{runCount(run, bits)} + 2;
            if (i + repeat > lengths.size()) return false;
            std::fill_n(lengths.begin() + static_cast<std::ptrdiff_t>(i), repeat,
                        static_cast<std::uint8_t>(symbol - RunBase));
            i += static_cast<std::size_t>(repeat);
        }
    }
    return !bits.overrun();
}

EmdFault describeEmdFile(std::FILE* file, EmdDescriptor& descriptor) {
    std::array<std::uint8_t, FixedHeaderBytes> fixed{};
    if (std::fread(fixed.data(), 1, fixed.size(), file) != fixed.size()) return EmdFault::ReadError;
    std::array<std::uint8_t, BannerBytes> banner{};
    std::copy(BannerLine.begin(), BannerLine.end(), banner.begin());
    if (!std::equal(banner.begin(), banner.end(), fixed.begin())) return EmdFault::ReadError;

    const std::uint32_t area = bigEndian32(&fixed[HeaderAreaOffset]);
    const int w = fixed[BlockBitsOffset];
    const std::uint32_t blocks = bigEndian32(&fixed[BlockCountOffset]);
    if (w > MaxBlockBits || area < MinHeaderArea || fixed[DistanceCountOffset] != Distances ||
        !std::equal(Marker.begin(), Marker.end(), fixed.begin() + MarkerOffset))
        return EmdFault::FileBroken;
    // The per-block checksums alone must fit before the header's own CRC.
    if (std::uint64_t{blocks} * 8 > area - MinHeaderArea) return EmdFault::FileBroken;

    // The rest of the area is read whole; an area longer than the file is a
    // short read, found before any memory is taken for it.
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return EmdFault::OutOfMemory;
    const long fileLength = std::ftell(file);
    if (fileLength < 0 || static_cast<std::uint64_t>(fileLength) < area || std::fseek(file, start, SEEK_SET) != 0)
        return EmdFault::OutOfMemory;
    const std::uint64_t tableBytes =
        area + (std::uint64_t{blocks} + 1) * sizeof(std::uint64_t) + std::uint64_t{blocks} * 2 * sizeof(std::uint32_t);
    if (!allocationPermitted(static_cast<std::int64_t>(tableBytes))) return EmdFault::OutOfMemory;
    std::vector<std::uint8_t> header;
    try {
        header.resize(area);
        descriptor.blockStarts.resize(std::size_t{blocks} + 1);
        descriptor.decodedCrcs.resize(blocks);
        descriptor.blockCrcs.resize(blocks);
    } catch (const std::bad_alloc&) {
        return EmdFault::OutOfMemory;
    }
    std::copy(fixed.begin(), fixed.end(), header.begin());
    if (std::fread(header.data() + FixedHeaderBytes, 1, area - FixedHeaderBytes, file) != area - FixedHeaderBytes)
        return EmdFault::OutOfMemory;

    const std::span<const std::uint8_t> checked(header.data(), area - 4);
    if (files::crc32(checked) != bigEndian32(&header[area - 4])) return EmdFault::FileBroken;

    // The packed fields: n block lengths (0 for a block of 2^w stored as it
    // is), the last block's decoded length, the 24 distances.
    files::BitReader fields(checked.subspan(FixedHeaderBytes + std::size_t{blocks} * 8));
    const std::uint32_t fullBlock = std::uint32_t{1} << w;
    const auto blockLength = [&](std::uint32_t field) { return field == 0 ? fullBlock : field; };
    descriptor.blockBits = w;
    descriptor.blocks = blocks;
    descriptor.largestBlock = 0;
    descriptor.blockStarts[0] = area;
    for (std::uint32_t b = 0; b < blocks; ++b) {
        descriptor.decodedCrcs[b] = bigEndian32(&header[FixedHeaderBytes + std::size_t{b} * 8]);
        descriptor.blockCrcs[b] = bigEndian32(&header[FixedHeaderBytes + std::size_t{b} * 8 + 4]);
        const std::uint32_t length = blockLength(fields.read(w));
        descriptor.largestBlock = std::max(descriptor.largestBlock, length);
        descriptor.blockStarts[b + 1] = descriptor.blockStarts[b] + length;
    }
    // A last length of 0 stands for a full block, as it does for the block lengths.
    descriptor.lastLength = blockLength(fields.read(w));
    for (std::uint32_t& distance : descriptor.distances) distance = fields.read(w);
    fields.alignToByte();
    if (fields.overrun()) return EmdFault::FileBroken;
    files::BitReader description(checked.subspan(FixedHeaderBytes + std::size_t{blocks} * 8 + fields.bytePosition()));
    std::array<std::uint8_t, Symbols> lengths{};
    if (!readCodeLengths(description, lengths) || !buildDecoder(lengths, CodeRootBits, descriptor.code))
        return EmdFault::FileBroken;
    if (w != BlockBits) return EmdFault::UnsupportedBlock;
    return EmdFault::None;
}

}  // namespace halberd::tablebase::emd
