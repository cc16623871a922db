#include "frontend/memory.h"

#include <algorithm>

#include "search/threads.h"
#include "search/transposition.h"

namespace halberd::frontend {

namespace {

// The constant the memory line has always carried after the sizes.
constexpr int SstConstant = 76;

}  // namespace

std::int64_t hashBytesForExponent(int exponent) {
    // Below 2^22 and above 2^31 bytes the table clamps anyway; the exponent is
    // bounded before the addition so that neither it nor the shift overflows.
    return std::int64_t{1} << (std::clamp(exponent, -4, 36) + 4);
}

bool allocateHashTables(std::int64_t bytes) { return search::allocateTables(bytes) >= 0; }

bool setSearchThreads(int threads) { return search::setThreadCount(threads); }

bool resizeHashTables(std::int64_t bytes) {
    if (allocateHashTables(bytes)) return true;
    return allocateHashTables(search::TTMinBytes);
}

std::string resizeHashTablesSaying(std::int64_t megabytes) {
    if (allocateHashTables(megabytes << 20)) return {};
    resizeHashTables(search::TTMinBytes);
    return "Hash of " + std::to_string(megabytes) + " MB could not be allocated; " +
           std::to_string(search::TTMinBytes >> 20) + " MB in use";
}

int tablebaseCacheForMemory(int megabytes) {
    constexpr int MinimumMiB = 4;
    constexpr int MaximumMiB = 2047;  // 2^31 bytes would not fit the setting
    int power = 1;
    while (megabytes > 0 && power <= megabytes / 2) power *= 2;
    const int rest = megabytes > 0 ? megabytes - power : 0;
    return std::clamp(rest, MinimumMiB, MaximumMiB) * (1 << 20);
}

std::string memoryLine() {
    constexpr std::uint64_t MiB = 1024 * 1024;
    return "Hash=" + std::to_string(search::ttBytes() / MiB) +
           "MB HP=" + std::to_string(search::pawnTableBytes() / MiB) + "MB Sst=" + std::to_string(SstConstant) + "\n";
}

}  // namespace halberd::frontend
