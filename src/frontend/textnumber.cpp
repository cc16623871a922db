#include "frontend/textnumber.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

#include "frontend/inputline.h"

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

namespace {

constexpr std::string_view Blanks = " \t\r";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with an optional sign, then optionally one of `joins` and more digits.
bool isNumberWord(std::string_view word, std::string_view joins) {
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) word.remove_prefix(1);
    const std::size_t join = word.find_first_of(joins);
    const std::string_view whole = word.substr(0, join);
    if (whole.empty() || !std::all_of(whole.begin(), whole.end(), isDigit)) return false;
    if (join == std::string_view::npos) return true;
    // "5:" is a number short of its seconds, which the level rules report themselves.
    const std::string_view part = word.substr(join + 1);
    if (part.empty()) return word[join] == ':';
    return std::all_of(part.begin(), part.end(), isDigit);
}

}  // namespace

std::optional<std::int64_t> integerText(std::string_view text) {
    const std::string_view word = withoutBlanksAround(text);
    if (!isNumberWord(word, {})) return std::nullopt;
    return leadingInteger64(word);
}

std::optional<std::int64_t> integerTextWithin(std::string_view text, std::int64_t low, std::int64_t high) {
    const auto number = integerText(text);
    return number ? std::optional(std::clamp(*number, low, high)) : std::nullopt;
}

std::string outOfRangeNote(std::string_view name, std::int64_t value, std::int64_t low, std::int64_t high) {
    if (value >= low && value <= high) return {};
    // Command-line and configuration names ("-c", "THREADS=") take the value without a blank.
    const bool joined = name.starts_with('-') || name.ends_with('=');
    return std::string(name) + (joined ? "" : " ") + std::to_string(value) + " is outside " + std::to_string(low) + " to " +
           std::to_string(high) + "; " + std::to_string(std::clamp(value, low, high)) + " is used";
}

bool onlyNumberWords(std::string_view text) {
    for (std::size_t pos = text.find_first_not_of(Blanks); pos != std::string_view::npos;
         pos = text.find_first_not_of(Blanks, pos)) {
        const std::size_t end = std::min(text.find_first_of(Blanks, pos), text.size());
        if (!isNumberWord(text.substr(pos, end - pos), ".:")) return false;
        pos = end;
    }
    return true;
}

std::size_t numberWordCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = text.find_first_not_of(Blanks); pos != std::string_view::npos;
         pos = text.find_first_not_of(Blanks, std::min(text.find_first_of(Blanks, pos), text.size())))
        ++count;
    return count;
}

std::optional<int> wholeNumber(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace halberd::frontend
