#include "book/bookrandom.h"

#include <chrono>
#include <ctime>
#include <random>

namespace halberd::book {

namespace {

// Only the thread that owns the game draws from it: the command loop stops the
// thinking thread before it reseeds at a new game.
std::mt19937& generator() {
    static std::mt19937 engine(static_cast<std::uint32_t>(std::time(nullptr)));
    return engine;
}

}  // namespace

void seedRandom(std::uint32_t seed) { generator().seed(seed); }

void seedRandomFromClock() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto nanoseconds =
        static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    std::seed_seq seed{static_cast<std::uint32_t>(nanoseconds), static_cast<std::uint32_t>(nanoseconds >> 32)};
    generator().seed(seed);
}

std::uint32_t drawRandom() { return static_cast<std::uint32_t>(generator()()); }

}  // namespace halberd::book
