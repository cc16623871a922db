#include "frontend/textnumber.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace halberd::frontend {

std::int64_t leadingInteger64(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    // Saturating well before int64 itself could overflow.
    constexpr std::int64_t Limit = std::int64_t{1} << 62;
    std::int64_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = value > (Limit - 9) / 10 ? Limit : value * 10 + (text[pos] - '0');
    return negative ? -value : value;
}

int leadingInteger(std::string_view text) {
    return static_cast<int>(std::clamp<std::int64_t>(leadingInteger64(text), std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

std::optional<int> wholeNumber(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace halberd::frontend
