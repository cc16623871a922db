#pragma once
// Canonical prefix codes of the compressed tables: building a decoder from
// code lengths (a first-level table on the next few bits, a bit-by-bit tree for
// longer codes), decoding one symbol, and on the writer's side the lengths and
// codes of a length-limited Huffman code.
#include <cstdint>
#include <span>
#include <vector>

#include "files/bitreader.h"

namespace halberd::tablebase::emd {

struct HuffmanDecoder {
    int rootBits = 0;
    // Per value of the next rootBits bits: symbol * 32 + code length for a code
    // of at most rootBits bits; a negative entry -(node + 1) links into the tree.
    std::vector<std::int16_t> root;
    // Two children per node: a symbol, or -(node + 1) for an inner node.
    std::vector<std::int16_t> tree;
    bool empty = true;  // every length 0: nothing can be decoded
};

// Builds the decoder of the canonical code with these lengths. False for a
// malformed code: a length above 31, a lone symbol whose length is not 1, or
// two or more symbols that do not form a complete prefix code. All lengths 0
// give an empty decoder (true). A lone symbol is decoded without reading a bit.
bool buildDecoder(std::span<const std::uint8_t> lengths, int rootBits, HuffmanDecoder& decoder);

// The next symbol, or -1 when the decoder is empty.
inline int decodeSymbol(const HuffmanDecoder& decoder, files::BitReader& bits) {
    if (decoder.empty) return -1;
    const int entry = decoder.root[bits.peek(decoder.rootBits)];
    if (entry >= 0) {
        bits.skip(entry & 31);
        return entry >> 5;
    }
    bits.skip(decoder.rootBits);
    int child = entry;
    while (child < 0) child = decoder.tree[static_cast<std::size_t>(-child - 1) * 2 + bits.read(1)];
    return child;
}

// Canonical codes for the lengths: by length, then by symbol, each code the
// previous one plus one, shifted left where the length grows.
std::vector<std::uint32_t> canonicalCodes(std::span<const std::uint8_t> lengths);

// What the writer writes per symbol: its canonical code in `bits` bits, where
// a lone symbol (length 1) takes no bit at all.
struct PrefixCode {
    std::vector<std::uint32_t> codes;
    std::vector<std::uint8_t> bits;
};
PrefixCode writerCode(std::span<const std::uint8_t> lengths);

// Code lengths of at most maxLength bits for symbols with these counts: 0 for
// a symbol that never occurs, 1 for a lone symbol, otherwise a complete
// Huffman code (counts are halved until it fits the limit).
std::vector<std::uint8_t> limitedCodeLengths(std::span<const std::uint64_t> counts, int maxLength);

}  // namespace halberd::tablebase::emd
