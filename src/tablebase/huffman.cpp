#include "tablebase/huffman.h"

#include <algorithm>
#include <numeric>
#include <queue>

#include "tablebase/emdformat.h"

namespace halberd::tablebase::emd {

namespace {

// Symbols with a code, ordered by length and then by symbol.
std::vector<int> canonicalOrder(std::span<const std::uint8_t> lengths) {
    std::vector<int> order;
    for (std::size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s] != 0) order.push_back(static_cast<int>(s));
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return lengths[a] < lengths[b]; });
    return order;
}

// Depths of the leaves of a Huffman tree over the counts (symbols with a count).
std::vector<std::uint8_t> huffmanDepths(std::span<const std::uint64_t> counts) {
    struct Node {
        std::uint64_t weight;
        int id;
    };
    const auto heavier = [](const Node& a, const Node& b) {
        return a.weight != b.weight ? a.weight > b.weight : a.id > b.id;
    };
    std::priority_queue<Node, std::vector<Node>, decltype(heavier)> queue(heavier);
    std::vector<int> parent;
    for (std::size_t s = 0; s < counts.size(); ++s) {
        parent.push_back(-1);
        if (counts[s] != 0) queue.push({counts[s], static_cast<int>(s)});
    }
    while (queue.size() > 1) {
        const Node a = queue.top();
        queue.pop();
        const Node b = queue.top();
        queue.pop();
        const int id = static_cast<int>(parent.size());
        parent.push_back(-1);
        parent[a.id] = parent[b.id] = id;
        queue.push({a.weight + b.weight, id});
    }
    std::vector<std::uint8_t> depths(counts.size(), 0);
    for (std::size_t s = 0; s < counts.size(); ++s) {
        if (counts[s] == 0) continue;
        int depth = 0;
        for (int node = parent[s]; node >= 0; node = parent[node]) ++depth;
        depths[s] = static_cast<std::uint8_t>(std::min(depth, 255));
    }
    return depths;
}

}  // namespace

std::vector<std::uint32_t> canonicalCodes(std::span<const std::uint8_t> lengths) {
    std::vector<std::uint32_t> codes(lengths.size(), 0);
    std::uint32_t code = 0;
    int length = 0;
    bool first = true;
    for (const int s : canonicalOrder(lengths)) {
        if (!first) ++code;
        code <<= lengths[s] - length;
        length = lengths[s];
        codes[s] = code;
        first = false;
    }
    return codes;
}

PrefixCode writerCode(std::span<const std::uint8_t> lengths) {
    PrefixCode code{canonicalCodes(lengths), std::vector<std::uint8_t>(lengths.begin(), lengths.end())};
    if (std::count_if(lengths.begin(), lengths.end(), [](std::uint8_t l) { return l != 0; }) == 1)
        std::fill(code.bits.begin(), code.bits.end(), 0);
    return code;
}

bool buildDecoder(std::span<const std::uint8_t> lengths, int rootBits, HuffmanDecoder& decoder) {
    decoder = HuffmanDecoder{};
    decoder.rootBits = rootBits;
    std::uint64_t kraft = 0;  // sum of 2^(31 - length): exactly 2^31 for a complete code
    int used = 0, lone = -1;
    for (std::size_t s = 0; s < lengths.size(); ++s) {
        if (lengths[s] > MaxCodeLength) return false;
        if (lengths[s] == 0) continue;
        kraft += std::uint64_t{1} << (MaxCodeLength - lengths[s]);
        ++used;
        lone = static_cast<int>(s);
    }
    decoder.root.assign(std::size_t{1} << rootBits, 0);
    if (used == 0) return true;
    decoder.empty = false;
    if (used == 1) {
        if (lengths[lone] != 1) return false;
        std::fill(decoder.root.begin(), decoder.root.end(), static_cast<std::int16_t>(lone * 32));
        return true;
    }
    if (kraft != std::uint64_t{1} << MaxCodeLength) return false;
    const std::vector<std::uint32_t> codes = canonicalCodes(lengths);
    for (const int s : canonicalOrder(lengths)) {
        const int length = lengths[s];
        const std::uint32_t code = codes[s];
        if (length <= rootBits) {
            const std::size_t first = std::size_t{code} << (rootBits - length);
            std::fill_n(decoder.root.begin() + static_cast<std::ptrdiff_t>(first),
                        std::size_t{1} << (rootBits - length), static_cast<std::int16_t>(s * 32 + length));
            continue;
        }
        // The first rootBits bits pick the tree; the rest walk it. An entry of
        // 0 on the way is no node yet (a prefix code puts no symbol there).
        bool inRoot = true;
        std::size_t at = code >> (length - rootBits);
        const auto entry = [&]() -> std::int16_t& { return inRoot ? decoder.root[at] : decoder.tree[at]; };
        for (int bit = length - rootBits - 1; bit >= 0; --bit) {
            if (entry() >= 0) {
                const std::size_t node = decoder.tree.size() / 2;
                decoder.tree.resize(decoder.tree.size() + 2, 0);
                entry() = static_cast<std::int16_t>(-static_cast<int>(node) - 1);
            }
            const std::size_t node = static_cast<std::size_t>(-entry() - 1);
            inRoot = false;
            at = node * 2 + (code >> bit & 1u);
        }
        entry() = static_cast<std::int16_t>(s);
    }
    return true;
}

std::vector<std::uint8_t> limitedCodeLengths(std::span<const std::uint64_t> counts, int maxLength) {
    std::vector<std::uint64_t> scaled(counts.begin(), counts.end());
    const auto used = std::count_if(scaled.begin(), scaled.end(), [](std::uint64_t c) { return c != 0; });
    if (used <= 1) {
        std::vector<std::uint8_t> lengths(counts.size(), 0);
        for (std::size_t s = 0; s < counts.size(); ++s)
            if (counts[s] != 0) lengths[s] = 1;
        return lengths;
    }
    for (;;) {
        std::vector<std::uint8_t> depths = huffmanDepths(scaled);
        if (*std::max_element(depths.begin(), depths.end()) <= maxLength) return depths;
        for (std::uint64_t& c : scaled)
            if (c != 0) c = (c + 1) / 2;
    }
}

}  // namespace halberd::tablebase::emd
