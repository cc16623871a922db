#pragma once
// The process-wide random generator of the book's choices. The front end reseeds
// it with the time at every new game and at the start of every thinking thread;
// tests seed it with a fixed number to get repeatable draws.
#include <cstdint>

namespace halberd::book {

void seedRandom(std::uint32_t seed);
// Seeds with the current time, read to the nanosecond: a seed of whole seconds
// drew the same number for every book move asked within one second, so quick
// games repeated their openings.
void seedRandomFromClock();
// The next number of the generator (uniform over 32 bits).
std::uint32_t drawRandom();

}  // namespace halberd::book
