// CRC-32 as the compressed table files carry it.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>

#include "files/crc32.h"

namespace halberd::files {
namespace {

// The published check values of CRC-32 (IEEE 802.3), at lengths on both
// sides of the eight bytes folded at a time, and continued across a split.
TEST(Crc32, CheckValues) {
    const auto bytes = [](std::string_view text) {
        return std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    };
    EXPECT_EQ(crc32(bytes("")), 0u);
    EXPECT_EQ(crc32(bytes("a")), 0xe8b7be43u);
    EXPECT_EQ(crc32(bytes("123456789")), 0xcbf43926u);
    const std::string_view fox = "The quick brown fox jumps over the lazy dog";
    EXPECT_EQ(crc32(bytes(fox)), 0x414fa339u);
    for (std::size_t split = 0; split <= fox.size(); ++split)
        EXPECT_EQ(crc32(bytes(fox.substr(split)), crc32(bytes(fox.substr(0, split)))), 0x414fa339u) << split;
}

}  // namespace
}  // namespace halberd::files
