#pragma once
// CRC-32 of IEEE 802.3 (reflected polynomial 0xedb88320), as the compressed
// table files carry it.
#include <cstdint>
#include <span>

namespace halberd::files {

// The CRC of `bytes`, continued from `crc` (0 to start).
std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

}  // namespace halberd::files
