#pragma once
// Reads a byte string as bits, most significant bit first (the order of the
// compressed files' 16-bit big-endian words). Bits past the end read as zero
// and are counted: overrun() tells a stream that asked for more than it had.
#include <cstdint>
#include <span>

namespace halberd::files {

class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) { refill(); }

    // The next `count` bits (0..32) without consuming them.
    std::uint32_t peek(int count) const { return count == 0 ? 0 : static_cast<std::uint32_t>(window_ >> (64 - count)); }
    void skip(int count) {
        window_ <<= count;
        held_ -= count;
        if (held_ < 32) refill();
    }
    std::uint32_t read(int count) {
        const std::uint32_t value = peek(count);
        skip(count);
        return value;
    }
    // Moves on to the next whole byte.
    void alignToByte() { skip(static_cast<int>((8 - bitPosition() % 8) % 8)); }

    std::uint64_t bitPosition() const { return std::uint64_t{next_} * 8 - static_cast<std::uint64_t>(held_); }
    std::size_t bytePosition() const { return static_cast<std::size_t>((bitPosition() + 7) / 8); }
    bool overrun() const { return bitPosition() > std::uint64_t{bytes_.size()} * 8; }

private:
    // Keeps at least 32 bits in the window, the next bit at its top.
    void refill() {
        while (held_ <= 56) {
            const std::uint64_t byte = next_ < bytes_.size() ? bytes_[next_] : 0;
            window_ |= byte << (56 - held_);
            held_ += 8;
            ++next_;
        }
    }

    std::span<const std::uint8_t> bytes_;
    std::uint64_t window_ = 0;
    int held_ = 0;          // bits of the window still to be read
    std::size_t next_ = 0;  // the next byte to enter the window
};

}  // namespace halberd::files
