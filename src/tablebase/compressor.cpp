#include "tablebase/compressor.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include "files/bitwriter.h"
#include "files/crc32.h"
#include "tablebase/huffman.h"

namespace halberd::tablebase::emd {

namespace {

constexpr std::uint32_t BlockSize = std::uint32_t{1} << BlockBits;
constexpr int HashBits = 15;
constexpr int ChainDepth = 24;   // candidates the match finder looks at per position
constexpr int MinimumMatch = 3;  // the finder's shortest match (a hash covers three values)

std::span<const std::uint8_t> blockOf(std::span<const std::uint8_t> values, std::size_t b) {
    const std::size_t first = b * BlockSize;
    return values.subspan(first, std::min<std::size_t>(BlockSize, values.size() - first));
}

std::size_t blockCount(std::size_t values) { return (values + BlockSize - 1) / BlockSize; }

// A greedy hash-chain match finder over one block: adds the number of values
// each match covers to its distance's weight.
class MatchFinder {
public:
    void countBlock(std::span<const std::uint8_t> block, std::vector<std::uint64_t>& weights) {
        head_.fill(-1);
        const int n = static_cast<int>(block.size());
        int at = 0;
        while (at < n) {
            int bestLength = 0, bestDistance = 0;
            if (at + MinimumMatch <= n) {
                int candidate = head_[hash(block, at)];
                for (int depth = 0; candidate >= 0 && depth < ChainDepth; ++depth, candidate = previous_[candidate]) {
                    int length = 0;
                    while (at + length < n && block[candidate + length] == block[at + length]) ++length;
                    if (length > bestLength) {
                        bestLength = length;
                        bestDistance = at - candidate;
                        if (at + length == n) break;  // nothing can be longer
                    }
                }
            }
            const int step = bestLength >= MinimumMatch ? bestLength : 1;
            if (step > 1) weights[bestDistance] += static_cast<std::uint64_t>(bestLength);
            for (const int end = at + step; at < end; ++at) insert(block, at);
        }
    }

private:
    static std::uint32_t hash(std::span<const std::uint8_t> block, int at) {
        const std::uint32_t key = std::uint32_t{block[at]} << 16 | std::uint32_t{block[at + 1]} << 8 | block[at + 2];
        return key * 2654435761u >> (32 - HashBits);
    }
    void insert(std::span<const std::uint8_t> block, int at) {
        if (at + MinimumMatch > static_cast<int>(block.size())) return;
        const std::uint32_t h = hash(block, at);
        previous_[at] = head_[h];
        head_[h] = at;
    }

    std::array<int, std::size_t{1} << HashBits> head_{};
    std::array<int, BlockSize> previous_{};
};

// One literal or match of a parsed block: the symbol, and for a match its length.
struct Token {
    std::uint16_t symbol;
    std::uint16_t length;
};

// Per match length (1..8192) its length code and extra bits.
const std::array<LengthCode, BlockSize + 1>& lengthCodes() {
    static const std::array<LengthCode, BlockSize + 1> table = [] {
        std::array<LengthCode, BlockSize + 1> t{};
        for (std::uint32_t length = 1; length <= BlockSize; ++length) t[length] = lengthCodeOf(length);
        return t;
    }();
    return table;
}

// Cheapest parse of a block for the symbol costs (bits per symbol): at every
// position a literal, or a match at one of the 24 distances.
class Parser {
public:
    void parse(std::span<const std::uint8_t> block, const std::array<std::uint32_t, Distances>& distances,
               const std::array<std::uint32_t, Symbols>& cost, std::vector<Token>& tokens) {
        const int n = static_cast<int>(block.size());
        // run_[d][i]: how far the values from i repeat those `distance d` before.
        for (int d = 0; d < Distances; ++d) {
            const int distance = static_cast<int>(distances[d]);
            auto& run = run_[d];
            run[n] = 0;
            for (int i = n - 1; i >= 0; --i)
                run[i] = static_cast<std::uint16_t>(
                    distance == 0 || i < distance || block[i] != block[i - distance] ? 0 : run[i + 1] + 1);
        }
        const auto& codes = lengthCodes();
        best_[0] = 0;
        std::fill(best_.begin() + 1, best_.begin() + n + 1, UINT32_MAX);
        for (int i = 0; i < n; ++i) {
            const std::uint32_t here = best_[i];
            const auto relax = [&](int to, std::uint32_t bits, Token token) {
                if (here + bits < best_[to]) {
                    best_[to] = here + bits;
                    step_[to] = token;
                }
            };
            relax(i + 1, cost[block[i]], Token{block[i], 1});
            const auto relaxMatch = [&](int d, int length) {
                const LengthCode& code = codes[length];
                const int symbol = FirstMatch + d * LengthCodes + code.code;
                relax(i + length, cost[symbol] + static_cast<std::uint32_t>(code.extraBits),
                      Token{static_cast<std::uint16_t>(symbol), static_cast<std::uint16_t>(length)});
            };
            // At each distance the longest match; at the distance of the
            // longest of all also the cut ones of up to 15 values (no extra
            // bits), which may end where a better match starts.
            int best = -1;
            for (int d = 0; d < Distances; ++d) {
                const int length = run_[d][i];
                if (length == 0) continue;
                if (best < 0 || length > run_[best][i]) best = d;
                relaxMatch(d, length);
            }
            if (best >= 0)
                for (int length = std::min(run_[best][i] - 1, 15); length >= 1; --length) relaxMatch(best, length);
        }
        const std::size_t first = tokens.size();
        for (int at = n; at > 0; at -= step_[at].length) tokens.push_back(step_[at]);
        std::reverse(tokens.begin() + static_cast<std::ptrdiff_t>(first), tokens.end());
    }

private:
    std::array<std::array<std::uint16_t, BlockSize + 1>, Distances> run_{};
    std::array<std::uint32_t, BlockSize + 1> best_{};
    std::array<Token, BlockSize + 1> step_{};
};

// Parses every block; the tokens of all blocks one after the other, with
// each block's first token in `starts`, and how often each symbol occurs.
void parseAll(std::span<const std::uint8_t> values, const std::array<std::uint32_t, Distances>& distances,
              const std::array<std::uint32_t, Symbols>& cost, std::vector<Token>& tokens,
              std::vector<std::size_t>& starts, std::array<std::uint64_t, Symbols>& counts) {
    const auto parser =
        std::make_unique<Parser>();  // large: on the heap, one per call so that threads may compress at once
    tokens.clear();
    starts.clear();
    counts.fill(0);
    for (std::size_t b = 0; b < blockCount(values.size()); ++b) {
        starts.push_back(tokens.size());
        parser->parse(blockOf(values, b), distances, cost, tokens);
    }
    starts.push_back(tokens.size());
    for (const Token& token : tokens) ++counts[token.symbol];
}

// Bits per symbol of the code for these counts; a symbol that did not occur
// costs more than any that did.
std::array<std::uint32_t, Symbols> costsOf(const std::array<std::uint8_t, Symbols>& lengths) {
    std::array<std::uint32_t, Symbols> cost{};
    for (int s = 0; s < Symbols; ++s) cost[s] = lengths[s] != 0 ? lengths[s] : MaxCodeLength + 2;
    return cost;
}

}  // namespace

std::array<std::uint32_t, Distances> chooseDistances(std::span<const std::uint8_t> values) {
    std::vector<std::uint64_t> weights(BlockSize, 0);
    const auto finder = std::make_unique<MatchFinder>();
    for (std::size_t b = 0; b < blockCount(values.size()); ++b) finder->countBlock(blockOf(values, b), weights);
    std::vector<std::uint32_t> order(BlockSize);
    std::iota(order.begin(), order.end(), 0u);
    std::partial_sort(order.begin(), order.begin() + Distances, order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return weights[a] != weights[b] ? weights[a] > weights[b] : a < b;
    });
    std::array<std::uint32_t, Distances> distances{};  // 0: a distance code no match uses
    for (int d = 0; d < Distances && weights[order[d]] != 0; ++d) distances[d] = order[d];
    return distances;
}

CompressedTable compressTable(std::span<const std::uint8_t> values) {
    CompressedTable table;
    table.distances = chooseDistances(values);
    table.lastLength =
        values.empty() ? 0 : static_cast<std::uint32_t>(values.size() - (blockCount(values.size()) - 1) * BlockSize);

    // Parse twice: first with a guess of the costs (a literal a byte, a match
    // a little more), then with the costs of the code the first parse gives.
    std::array<std::uint32_t, Symbols> cost{};
    for (int s = 0; s < Symbols; ++s) cost[s] = s < FirstMatch ? 8 : 12;
    std::vector<Token> tokens;
    std::vector<std::size_t> starts;
    std::array<std::uint64_t, Symbols> counts{};
    for (int round = 0; round < 2; ++round) {
        parseAll(values, table.distances, cost, tokens, starts, counts);
        const std::vector<std::uint8_t> lengths = limitedCodeLengths(counts, MaxCodeLength);
        std::copy(lengths.begin(), lengths.end(), table.codeLengths.begin());
        cost = costsOf(table.codeLengths);
    }

    const PrefixCode code = writerCode(table.codeLengths);
    const auto& lengthTable = lengthCodes();
    for (std::size_t b = 0; b + 1 < starts.size(); ++b) {
        const std::span<const std::uint8_t> block = blockOf(values, b);
        files::BitWriter bits;
        for (std::size_t t = starts[b]; t < starts[b + 1]; ++t) {
            const Token& token = tokens[t];
            bits.write(code.codes[token.symbol], code.bits[token.symbol]);
            if (token.symbol >= FirstMatch) {
                const LengthCode& length = lengthTable[token.length];
                bits.write(length.extra, length.extraBits);
            }
        }
        std::vector<std::uint8_t> coded = bits.take();
        // A block of no bits still takes a byte: a length of 0 stands for a stored block.
        if (coded.empty()) coded.push_back(0);
        if (coded.size() >= block.size()) coded.assign(block.begin(), block.end());
        table.blocks.push_back(std::move(coded));
        table.decodedCrcs.push_back(files::crc32(block));
    }
    return table;
}

}  // namespace halberd::tablebase::emd
