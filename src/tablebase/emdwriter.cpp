#include "tablebase/emdwriter.h"

#include <algorithm>

#include "files/atomicfile.h"
#include "files/crc32.h"
#include "tablebase/huffman.h"

namespace halberd::tablebase::emd {

namespace {

constexpr int ShortestRun = 3;  // a run of fewer equal lengths is written length by length
constexpr int AuxWidthBits = 5;
constexpr int ZeroRunBits = 4;

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// One step of the lengths' description: a length, or a run of one length.
struct LengthStep {
    int a;                // symbol of alphabet A
    std::uint32_t count;  // for a run: repetitions - 2
};

}  // namespace

void writeCodeDescription(files::BitWriter& bits, std::span<const std::uint8_t> lengths) {
    if (std::all_of(lengths.begin(), lengths.end(), [](std::uint8_t l) { return l == 0; })) {
        bits.write(1, 1);
        return;
    }
    bits.write(0, 1);
    std::vector<LengthStep> steps;
    std::array<std::uint64_t, 2 * AuxSymbols> counts{};  // A, then B
    for (std::size_t i = 0; i < lengths.size();) {
        std::size_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == lengths[i]) ++run;
        if (run >= ShortestRun) {
            const std::uint32_t count = static_cast<std::uint32_t>(run - 2);
            steps.push_back({RunBase + lengths[i], count});
            ++counts[AuxSymbols + static_cast<std::size_t>(runCodeOf(count).code)];
        } else {
            run = 1;
            steps.push_back({lengths[i], 0});
        }
        ++counts[static_cast<std::size_t>(steps.back().a)];
        i += run;
    }
    std::vector<std::uint8_t> aux = limitedCodeLengths(std::span(counts).first(AuxSymbols), MaxCodeLength);
    const std::vector<std::uint8_t> b = limitedCodeLengths(std::span(counts).last(AuxSymbols), MaxCodeLength);
    aux.insert(aux.end(), b.begin(), b.end());

    // The 128 lengths of A and B, each 0 followed by a count of further zeros.
    bits.write(0, 1);
    int width = 1;
    while ((*std::max_element(aux.begin(), aux.end()) >> width) != 0) ++width;
    bits.write(static_cast<std::uint32_t>(width), AuxWidthBits);
    for (std::size_t i = 0; i < aux.size();) {
        bits.write(aux[i], width);
        if (aux[i++] != 0) continue;
        std::uint32_t zeros = 0;
        while (zeros < (1u << ZeroRunBits) - 1 && i < aux.size() && aux[i] == 0) ++zeros, ++i;
        bits.write(zeros, ZeroRunBits);
    }

    const PrefixCode a = writerCode(std::span(aux).first(AuxSymbols));
    const PrefixCode runs = writerCode(std::span(aux).last(AuxSymbols));
    for (const LengthStep& step : steps) {
        bits.write(a.codes[step.a], a.bits[step.a]);
        if (step.a < RunBase) continue;
        const LengthCode run = runCodeOf(step.count);
        bits.write(runs.codes[run.code], runs.bits[run.code]);
        bits.write(run.extra, run.extraBits);
    }
}

std::vector<std::uint8_t> buildEmdFile(const CompressedTable& table) {
    const std::size_t n = table.blocks.size();
    std::vector<std::uint8_t> out(FixedHeaderBytes + 8 * n, 0);
    std::copy(BannerLine.begin(), BannerLine.end(), out.begin());
    const int w = table.blockBits;
    const std::uint32_t fieldMask = (std::uint32_t{1} << w) - 1;  // a full block is written as 0
    out[BlockBitsOffset] = static_cast<std::uint8_t>(w);
    out[DistanceCountOffset] = Distances;
    put32(out, BlockCountOffset, static_cast<std::uint32_t>(n));
    std::copy(Marker.begin(), Marker.end(), out.begin() + MarkerOffset);

    files::BitWriter fields;
    for (std::size_t b = 0; b < n; ++b) {
        const std::vector<std::uint8_t>& block = table.blocks[b];
        put32(out, FixedHeaderBytes + 8 * b, table.decodedCrcs[b]);
        put32(out, FixedHeaderBytes + 8 * b + 4, files::crc32(block));
        fields.write(static_cast<std::uint32_t>(block.size()) & fieldMask, w);
    }
    fields.write(table.lastLength & fieldMask, w);
    for (const std::uint32_t distance : table.distances) fields.write(distance, w);
    fields.alignToByte();
    writeCodeDescription(fields, table.codeLengths);
    const std::vector<std::uint8_t> packed = fields.take();
    out.insert(out.end(), packed.begin(), packed.end());
    put32(out, HeaderAreaOffset, static_cast<std::uint32_t>(out.size() + 4));
    const std::uint32_t crc = files::crc32(out);
    out.resize(out.size() + 4);
    put32(out, out.size() - 4, crc);
    for (const auto& block : table.blocks) out.insert(out.end(), block.begin(), block.end());
    return out;
}

bool writeEmdFile(const std::string& path, std::span<const std::uint8_t> values, std::string& error) {
    if (values.empty()) {
        error = path + ": no values to compress";
        return false;
    }
    return files::writeFileAtomically(path, buildEmdFile(compressTable(values)), error);
}

}  // namespace halberd::tablebase::emd
