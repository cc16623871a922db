#pragma once
// Writes bits most significant first into a growing byte string: the writer's
// side of BitReader.
#include <cstdint>
#include <vector>

namespace halberd::files {

class BitWriter {
public:
    // Appends the low `count` bits (0..32) of `value`.
    void write(std::uint32_t value, int count) {
        if (count == 0) return;
        pending_ = pending_ << count | (value & (0xffffffffu >> (32 - count)));
        pendingBits_ += count;
        while (pendingBits_ >= 8) {
            pendingBits_ -= 8;
            bytes_.push_back(static_cast<std::uint8_t>(pending_ >> pendingBits_));
        }
    }
    // Pads with zero bits to the next whole byte.
    void alignToByte() {
        if (pendingBits_ != 0) write(0, 8 - pendingBits_);
    }
    std::size_t bitCount() const { return bytes_.size() * 8 + static_cast<std::size_t>(pendingBits_); }
    // The bytes written, the last one padded with zero bits.
    std::vector<std::uint8_t> take() {
        alignToByte();
        pending_ = 0;
        return std::move(bytes_);
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::uint64_t pending_ = 0;  // the low pendingBits_ bits are not yet in bytes_
    int pendingBits_ = 0;
};

}  // namespace halberd::files
