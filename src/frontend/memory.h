#pragma once
// Sizing the hash tables from the settings and the start-up memory line.
#include <cstdint>
#include <string>

namespace halberd::frontend {

// 2^(exponent + 4) bytes. Exponents whose size would leave the table's range are
// brought back into it instead of shifting out of the integer.
std::int64_t hashBytesForExponent(int exponent);

// Sizes the main and pawn tables; false when an allocation fails.
bool allocateHashTables(std::int64_t bytes);

// Resizes the tables while the program runs (MEMORY, UCI Hash). When the new
// size cannot be had the tables fall back to the smallest size, so that the
// search never meets a missing table; false when even that fails.
bool resizeHashTables(std::int64_t bytes);

// Sets the number of search threads (clamped to 1 .. 256) while no search runs;
// false when a new thread's pawn table could not be had.
bool setSearchThreads(int threads);

// Resizes the tables to `megabytes` MiB as resizeHashTables does; when they fell
// back to the smallest size, the sentence that says so, else an empty text.
std::string resizeHashTablesSaying(std::int64_t megabytes);

// The tablebase cache that goes with MEMORY n (MiB): what n has beyond its
// largest power of two, at least 4 MiB, in bytes; at most what an int holds.
int tablebaseCacheForMemory(int megabytes);

// "Hash=%uMB HP=%uMB Sst=%d" with the allocated sizes in MiB, newline included.
std::string memoryLine();

}  // namespace halberd::frontend
