// CRC-32 of the compressed files' header area and blocks.
#include "files/crc32.h"

#include <array>

namespace halberd::files {

namespace {

// Table k gives the CRC of a byte followed by k zero bytes, so that eight
// bytes are folded in at a time (every block read is checked: its cost counts
// on every probe that misses the cache).
constexpr std::array<std::array<std::uint32_t, 256>, 8> CrcTables = [] {
    std::array<std::array<std::uint32_t, 256>, 8> tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < tables.size(); ++k)
        for (std::uint32_t n = 0; n < 256; ++n)
            tables[k][n] = tables[0][tables[k - 1][n] & 0xff] ^ (tables[k - 1][n] >> 8);
    return tables;
}();

std::uint32_t littleEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

}  // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    const auto& t = CrcTables;
    crc = ~crc;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        const std::uint32_t low = crc ^ littleEndian32(&bytes[i]);
        const std::uint32_t high = littleEndian32(&bytes[i + 4]);
        crc = t[7][low & 0xff] ^ t[6][(low >> 8) & 0xff] ^ t[5][(low >> 16) & 0xff] ^ t[4][low >> 24] ^
              t[3][high & 0xff] ^ t[2][(high >> 8) & 0xff] ^ t[1][(high >> 16) & 0xff] ^ t[0][high >> 24];
    }
    for (; i < bytes.size(); ++i) crc = t[0][(crc ^ bytes[i]) & 0xff] ^ (crc >> 8);
    return ~crc;
}

}  // namespace halberd::files
