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

// "Hash=%uMB HP=%uMB Sst=%d" with the allocated sizes in MiB, newline included.
std::string memoryLine();

}  // namespace halberd::frontend
