// CRC-32 of the compressed files' header area and blocks.
#include <array>

#include "tablebase/crc32.h"

namespace tablebase::emd {

namespace {

constexpr std::array<std::uint32_t, 256> CrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

}  // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    crc = ~crc;
    for (const std::uint8_t byte : bytes) crc = CrcTable[(crc ^ byte) & 0xff] ^ (crc >> 8);
    return ~crc;
}

}  // namespace tablebase::emd
