#pragma once
// Reads a byte string as bits, most significant bit first (the order of the
// compressed files' 16-bit big-endian words). Bits past the end read as zero
// and are counted: overrun() tells a stream that asked for more than it had.
#include <cstdint>
#include <span>

namespace tablebase::emd {

class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // The next `count` bits (0..32) without consuming them.
    std::uint32_t peek(int count) const {
        if (count == 0) return 0;
        const std::size_t byte = static_cast<std::size_t>(position_ >> 3);
        std::uint64_t window = 0;
        if (byte + 8 <= bytes_.size()) {
            for (std::size_t i = 0; i < 8; ++i) window = window << 8 | bytes_[byte + i];
        } else {
            for (std::size_t i = 0; i < 8; ++i) window = window << 8 | (byte + i < bytes_.size() ? bytes_[byte + i] : 0u);
        }
        window <<= position_ & 7;
        return static_cast<std::uint32_t>(window >> (64 - count));
    }
    void skip(int count) { position_ += static_cast<std::uint64_t>(count); }
    std::uint32_t read(int count) {
        const std::uint32_t value = peek(count);
        skip(count);
        return value;
    }
    // Moves on to the next whole byte.
    void alignToByte() { position_ = (position_ + 7) & ~std::uint64_t{7}; }

    std::uint64_t bitPosition() const { return position_; }
    std::size_t bytePosition() const { return static_cast<std::size_t>((position_ + 7) >> 3); }
    bool overrun() const { return position_ > std::uint64_t{bytes_.size()} * 8; }

private:
    std::span<const std::uint8_t> bytes_;
    std::uint64_t position_ = 0;
};

}  // namespace tablebase::emd
