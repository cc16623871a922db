#pragma once
// Reading command lines and bringing them to the case the dispatcher compares.
#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace halberd::frontend {

// Reads whole lines of any length; a long line is never split into commands.
class LineReader {
public:
    explicit LineReader(std::istream& input) : input_(input) {}
    // The next line without its newline and cut at an embedded zero byte;
    // nothing at end of input. Other read errors are cleared and reading goes on.
    std::optional<std::string> readLine();

private:
    std::istream& input_;
};

// ASCII letters a..z to upper case; other bytes stay.
std::string toUpperAscii(std::string_view text);
// Compares the first text.size() characters of `line` with `text`, ignoring case.
bool startsWithAnyCase(std::string_view line, std::string_view text);

// Lines beginning with SETBOARD or EGTPATH keep the case of their arguments
// (FEN letters and file names); POSITION and SETOPTION lines likewise, with the
// keyword in lower case as UCI writes it, and PARTIE lines (file names). Every
// other line is upper-cased.
std::string normaliseLine(std::string_view line);

}  // namespace halberd::frontend
