#include "tablebase/tbbench.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "parallel/runparts.h"
#include "tablebase/blockcache.h"
#include "tablebase/classes.h"
#include "tablebase/index.h"
#include "tablebase/probe.h"
#include "tablebase/registry.h"

namespace halberd::tablebase {

namespace {

struct Sample {
    int cls;
    int side;
    TablePosition position;
};

// Possible positions picked at random from random tables (the registered
// ones only, or one class only).
std::vector<Sample> samples(std::size_t count, bool registeredOnly, std::mt19937& random, int onlyClass) {
    std::vector<int> tables;
    for (int cls = 1; cls <= ClassCount; ++cls)
        for (int side = 0; side < 2; ++side)
            if ((!registeredOnly || registeredFile(cls, side) != nullptr) && (onlyClass == 0 || cls == onlyClass))
                tables.push_back(cls * 2 + side);
    std::vector<Sample> out;
    if (tables.empty()) return out;
    while (out.size() < count) {
        const int table = tables[random() % tables.size()];
        Sample s{table / 2, table % 2, {}};
        const std::uint64_t index = random() % tableClass(s.cls).size[s.side];
        if (decodeIndex(s.cls, s.side, index, s.position) && holdsPosition(s.side, s.position)) out.push_back(s);
    }
    return out;
}

ProbeInput probeInput(const Sample& s) {
    ProbeInput input;
    std::array<std::array<int, 5>, 2> men{};
    namedMaterial(tableClass(s.cls).name, men);
    for (int type = 0; type < 5; ++type) {
        input.counts[type] = men[0][type];
        input.counts[BlackCounts + type] = men[1][type];
    }
    input.white = s.position.stronger;
    input.black = s.position.weaker;
    return input;
}

// Processor time of the process: the machine may be shared.
using Instant = std::clock_t;
Instant now() { return std::clock(); }
double secondsSince(Instant start) { return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC; }

// Index calls per second over the samples, repeated for about a second.
void timeIndexCalls(const std::vector<Sample>& positions, const char* what, std::FILE* out) {
    std::uint64_t calls = 0, sum = 0;
    const auto start = now();
    do {
        for (const Sample& s : positions)
            sum += tableIndex(s.cls, s.side, s.position.stronger, s.position.weaker, s.position.epSquare, false);
        calls += positions.size();
    } while (secondsSince(start) < 1.0);
    const double seconds = secondsSince(start);
    std::fprintf(out, "%llu index calls (%s) in %.3f s of processor time, %.0f per second (checksum %llu)\n",
                 static_cast<unsigned long long>(calls), what, seconds, static_cast<double>(calls) / seconds,
                 static_cast<unsigned long long>(sum % 1000003));
}

// The cache shared by `threads` threads that probe at once, as search workers
// do, each from its own offset into the samples: probes per second of wall
// time and of processor time (on a shared machine the threads may not all
// run at once; what a probe costs shows in the second), and how many of the blocks they read waited for another thread's
// copy into the same set (a hit takes no lock).
void timeSharedProbes(const std::vector<ProbeInput>& inputs, const std::vector<Sample>& positions, int threads,
                      const char* what, std::FILE* out) {
    const CacheCounts before = cacheCounts();
    std::atomic<std::uint64_t> probes{0};
    const auto begin = std::chrono::steady_clock::now();
    const Instant processorBegin = now();
    parallel::runParts(threads, [&](int part) {
        const std::size_t offset = inputs.size() * static_cast<std::size_t>(part) / static_cast<std::size_t>(threads);
        std::uint64_t own = 0;
        while (std::chrono::steady_clock::now() - begin < std::chrono::seconds(1)) {
            for (std::size_t k = 0; k < inputs.size(); ++k) {
                const std::size_t i = (k + offset) % inputs.size();
                probe(inputs[i], positions[i].side, -1);
            }
            own += inputs.size();
        }
        probes.fetch_add(own, std::memory_order_relaxed);
    });
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const std::uint64_t total = probes.load();
    const double processorSeconds = secondsSince(processorBegin);
    const CacheCounts after = cacheCounts();
    std::fprintf(out,
                 "%d thread%s, %s: %.0f probes per second (%.0f per second of processor time), %llu blocks read, "
                 "%llu of them waited for a lock\n",
                 threads, threads == 1 ? "" : "s", what, static_cast<double>(total) / elapsed,
                 static_cast<double>(total) / processorSeconds,
                 static_cast<unsigned long long>(after.reads - before.reads),
                 static_cast<unsigned long long>(after.waits - before.waits));
}

}  // namespace

int runTablebaseBench(std::span<const std::string_view> arguments, int threadsAsked, std::FILE* out) {
    std::mt19937 random(2024);
    timeIndexCalls(samples(1 << 16, false, random, 0), "random positions of all 220 tables", out);
    timeIndexCalls(samples(1 << 16, false, random, classNumberOf("krpkr")), "random positions of krpkr", out);
    if (arguments.empty()) return 0;

    if (initialise(arguments[0], 64 << 20) == 0) {
        std::fprintf(out, "no tables in %.*s\n", static_cast<int>(arguments[0].size()), arguments[0].data());
        return 1;
    }
    // Cold: every probe finds its block missing and reads it. Warm: a few
    // thousand positions probed over and over, their blocks cached.
    const std::vector<Sample> probeSamples = samples(4000, true, random, 0);
    std::vector<ProbeInput> inputs;
    for (const Sample& s : probeSamples) inputs.push_back(probeInput(s));
    for (const bool cold : {true, false}) {
        std::uint64_t probes = 0;
        std::int64_t total = 0;
        for (std::size_t i = 0; i < inputs.size(); ++i) total += probe(inputs[i], probeSamples[i].side, -1);
        const auto begin = now();
        do {
            for (std::size_t i = 0; i < inputs.size(); ++i) {
                if (cold) dropCachedBlocks();
                total += probe(inputs[i], probeSamples[i].side, -1);
            }
            probes += inputs.size();
        } while (secondsSince(begin) < 1.0);
        const double elapsed = secondsSince(begin);
        std::fprintf(out, "%s cache: %llu probes in %.3f s of processor time, %.0f per second (checksum %lld)\n",
                     cold ? "cold" : "warm", static_cast<unsigned long long>(probes), elapsed,
                     static_cast<double>(probes) / elapsed, static_cast<long long>(total % 1000003));
    }
    // The shared cache's contention, one thread and then the threads asked
    // for: with the blocks cached, and with a cache of 1 MB where most probes
    // read a block (emptying the cache under running probes is not allowed).
    const auto sharedRuns = [&](const char* what) {
        timeSharedProbes(inputs, probeSamples, 1, what, out);
        if (threadsAsked > 1) timeSharedProbes(inputs, probeSamples, threadsAsked, what, out);
    };
    sharedRuns("warm cache");
    setUpCache(MinCacheBytes);
    sharedRuns("1 MB cache");
    setUpCache(64 << 20);
    // Every block of every registered table read once into an emptied cache:
    // the speed of reading (and, for compressed files, decoding) whole blocks.
    dropCachedBlocks();
    std::uint64_t values = 0;
    std::int64_t sum = 0;
    const auto begin = now();
    for (int cls = 1; cls <= ClassCount; ++cls)
        for (int side = 0; side < 2; ++side) {
            if (registeredFile(cls, side) == nullptr) continue;
            const std::uint32_t size = tableClass(cls).size[side];
            for (std::uint32_t first = 0; first < size; first += BlockValues) sum += fetchValue(cls, side, first);
            values += size;
        }
    const double elapsed = secondsSince(begin);
    std::fprintf(out, "block reads: %.1f MB of values in %.3f s of processor time, %.1f MB/s (checksum %lld)\n",
                 static_cast<double>(values) / 1e6, elapsed, static_cast<double>(values) / 1e6 / elapsed,
                 static_cast<long long>(sum));
    release();
    return 0;
}

}  // namespace halberd::tablebase
