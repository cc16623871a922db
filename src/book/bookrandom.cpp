#include "book/bookrandom.h"

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

void seedRandomFromClock() { seedRandom(static_cast<std::uint32_t>(std::time(nullptr))); }

std::uint32_t drawRandom() { return static_cast<std::uint32_t>(generator()()); }

}  // namespace halberd::book
