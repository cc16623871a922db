#pragma once
// Storage of the big hash tables (transposition and pawn entries): one block
// aligned to 2 MiB and offered to the kernel for huge pages, since every probe
// lands on a random page and small pages make each one a TLB miss as well as a
// cache miss; and the entry of a key found without a division.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace halberd::board {

template <class Entry>
class HashMemory {
public:
    // Replaces the table with `entries` value-initialised entries; false when
    // memory is short or the count does not fit 32 bits (the table is then empty).
    bool resize(std::size_t entries) {
        block_.reset();
        count_ = 0;
        reciprocal_ = 0;
        if (entries == 0) return true;
        if (entries > UINT32_MAX) return false;
        constexpr std::size_t HugePage = std::size_t{2} << 20;
        const std::size_t bytes = (entries * sizeof(Entry) + HugePage - 1) / HugePage * HugePage;
        void* raw = std::aligned_alloc(HugePage, bytes);
        if (raw == nullptr) return false;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        madvise(raw, bytes, MADV_HUGEPAGE);  // only advice: small pages work too
#endif
        block_.reset(static_cast<Entry*>(raw));
        std::uninitialized_value_construct_n(block_.get(), entries);
        count_ = static_cast<std::uint32_t>(entries);
        reciprocal_ = ~std::uint64_t{0} / count_ + 1;
        return true;
    }

    // Zeroes the table (a zeroed entry is an empty one), or its part `part` of
    // `parts` equal slices, so that several threads can share a large table's clearing.
    void clear(std::size_t part = 0, std::size_t parts = 1) {
        const std::size_t begin = count_ * part / parts;
        const std::size_t end = count_ * (part + 1) / parts;
        if (end > begin) std::memset(static_cast<void*>(block_.get() + begin), 0, (end - begin) * sizeof(Entry));
    }

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    Entry& operator[](std::size_t i) { return block_[i]; }
    const Entry& operator[](std::size_t i) const { return block_[i]; }

    // The entry of a key: key modulo the entry count, by a multiplication with
    // the precomputed reciprocal (exact for 32-bit keys and counts).
    Entry& entryOf(std::uint32_t key) { return block_[indexOf(key)]; }
    // Fetches both ends of the entry: an entry that straddles two cache lines
    // would otherwise still miss on its second line.
    void prefetch(std::uint32_t key) const {
        if (count_ == 0) return;
        const char* first = reinterpret_cast<const char*>(&block_[indexOf(key)]);
        prefetchLine(first);
        prefetchLine(first + sizeof(Entry) - 1);
    }

private:
    // A prefetch written as a builtin has no effect the compiler must keep: link-time
    // optimisation found the function that issues it free of side effects and
    // deleted its calls. As an instruction the compiler may not drop, it stays.
    static void prefetchLine(const char* p) {
#if defined(__x86_64__)
        asm volatile("prefetcht0 %0" : : "m"(*p));
#else
        __builtin_prefetch(p);
#endif
    }

    std::size_t indexOf(std::uint32_t key) const {
        __extension__ using Wide = unsigned __int128;
        const std::uint64_t fraction = reciprocal_ * key;
        return static_cast<std::size_t>((static_cast<Wide>(fraction) * count_) >> 64);
    }

    struct Free {
        void operator()(Entry* p) const { std::free(p); }
    };
    static_assert(std::is_trivially_destructible_v<Entry>, "entries are freed without destruction");

    std::unique_ptr<Entry[], Free> block_;
    std::uint32_t count_ = 0;
    std::uint64_t reciprocal_ = 0;
};

}  // namespace halberd::board
