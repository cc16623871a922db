#pragma once
// What the fuzz targets share: a check that ends the run with a message (the
// fuzzer then keeps the input that broke it).
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace halberd::fuzz {

inline void require(bool holds, std::string_view what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

}  // namespace halberd::fuzz
