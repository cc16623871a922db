#pragma once
// The compressed table container (".emd"): fixed header fields, the symbol
// alphabet of the block coder and its match-length codes. The reader and the
// writer both take their numbers from here.
#include <array>
#include <cstdint>
#include <string_view>

namespace halberd::tablebase::emd {

// The identification text at the start of every compressed file: one line
// ending in carriage return and line feed, zero bytes up to 64. The reader
// compares all 64 bytes with the text the writer put there.
constexpr std::string_view BannerLine = "Halberd 4.7 compressed endgame table\r\n";
constexpr std::size_t BannerBytes = 64;
static_assert(BannerLine.size() < BannerBytes);

constexpr std::size_t FixedHeaderBytes = 80;  // banner, S, two spare bytes, w, distance count, n, marker
constexpr std::size_t HeaderAreaOffset = 64;  // S: bytes of the header and index area, CRC included
constexpr std::size_t BlockBitsOffset = 70;   // w
constexpr std::size_t DistanceCountOffset = 71;
constexpr std::size_t BlockCountOffset = 72;  // n
constexpr std::size_t MarkerOffset = 76;
constexpr std::array<std::uint8_t, 4> Marker = {0x00, 0x40, 0x01, 0xF5};
constexpr std::size_t MinHeaderArea = 84;
constexpr int MaxBlockBits = 16;
constexpr int BlockBits = 13;  // the only block size read: 8192 values
constexpr int Distances = 24;

// Symbols 0..255 are literal bytes; 256 + 32 d + l is a match with distance
// code d (0..23) and length code l (0..31).
constexpr int Symbols = 1024;
constexpr int FirstMatch = 256;
constexpr int LengthCodes = 32;
constexpr int MaxCodeLength = 31;
constexpr int AuxSymbols = 64;  // each of the two alphabets that code the 1024 code lengths
constexpr int RunBase = 32;     // A symbols from here repeat a length, B gives the count

// Match lengths: codes 0..14 are 1..15; codes 15..30 add k = code - 14 bits x
// for 2^k + x + 14; code 31 adds 16 bits y and one bit x for 2 y + 131072 + x + 14.
struct LengthCode {
    int code;
    int extraBits;
    std::uint32_t extra;
};
constexpr LengthCode lengthCodeOf(std::uint32_t length) {
    if (length <= 15) return {static_cast<int>(length) - 1, 0, 0};
    if (length - 14 < (1u << 17)) {
        int k = 1;
        while ((length - 14) >> (k + 1) != 0) ++k;
        return {14 + k, k, length - 14 - (1u << k)};
    }
    return {31, 17, length - 14 - 131072};  // y and x together: 2 y + x
}

// The run counts of alphabet B: 0..31 as they are, 32 for 32, and from 33 on
// k = b - 32 bits x for 2^k + x + 31. A run repeats a length count + 2 times.
constexpr LengthCode runCodeOf(std::uint32_t count) {
    if (count <= 32) return {static_cast<int>(count), 0, 0};
    int k = 1;
    while ((count - 31) >> (k + 1) != 0) ++k;
    return {32 + k, k, count - 31 - (1u << k)};
}

inline std::uint32_t bigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace halberd::tablebase::emd
