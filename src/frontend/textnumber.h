#pragma once
// Reading the numbers of command lines and configuration values.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halberd::frontend {

// The integer at the start of the text, as C's atoi reads it: leading spaces and
// tabs skipped, an optional sign, then digits; 0 when there are none. Values
// beyond the range of int stop at its limits instead of wrapping.
int leadingInteger(std::string_view text);

// The same for a wider range (sizes in bytes).
std::int64_t leadingInteger64(std::string_view text);

// The integer the text holds when it is an integer and nothing else (blanks
// around it allowed), saturated as leadingInteger64 does; nothing for text
// such as "abc" or "12x", so that a mistyped value changes no setting.
std::optional<std::int64_t> integerText(std::string_view text);
// The same held to [low, high], as a spin option holds its value to its range.
std::optional<std::int64_t> integerTextWithin(std::string_view text, std::int64_t low, std::int64_t high);

// What is said when a value is held to its range: "NAME VALUE is outside LOW
// to HIGH; USED is used", or empty when the value is within it.
std::string outOfRangeNote(std::string_view name, std::int64_t value, std::int64_t low, std::int64_t high);

// Whether every blank-separated word of the text is a number: an integer, a
// decimal fraction ("0.5") or minutes:seconds ("5:30").
bool onlyNumberWords(std::string_view text);
// How many blank-separated words the text holds.
std::size_t numberWordCount(std::string_view text);

// The text when it is a decimal number and nothing else, within [low, high]
// (command-line arguments, where a stray character is a mistake).
std::optional<int> wholeNumber(std::string_view text, int low, int high);

}  // namespace halberd::frontend
