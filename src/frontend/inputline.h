#pragma once
// Reading command lines and bringing them to the case the dispatcher compares.
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace halberd::frontend {

// Longest line taken from standard input or a file: far beyond any command, FEN
// or move list, and small enough that a hostile line cannot exhaust memory.
inline constexpr std::size_t MaxLineLength = std::size_t{1} << 20;

enum class LineRead {
    Line,     // a whole line, without its newline
    TooLong,  // a line longer than the limit: read to its end and dropped
    End,      // end of input (or an error the stream cannot recover from)
};

// Reads one line of at most `limit` bytes. A longer line is consumed to its end
// without being stored, so the next call starts on the following line.
LineRead readBoundedLine(std::istream& input, std::string& line, std::size_t limit = MaxLineLength);

// Reads a text file line by line with the limit; a longer line is reported once
// on standard error with the file's name and line number, and skipped.
class FileLines {
public:
    FileLines(std::istream& input, std::string name) : input_(input), name_(std::move(name)) {}
    bool next(std::string& line);

private:
    std::istream& input_;
    std::string name_;
    long number_ = 0;
};

// Reads whole command lines; a long line is never split into commands, and one
// longer than MaxLineLength is refused with one error reply.
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
// The text without the spaces, tabs and carriage returns around it.
std::string_view withoutBlanksAround(std::string_view text);
// Compares the first text.size() characters of `line` with `text`, ignoring case.
bool startsWithAnyCase(std::string_view line, std::string_view text);

// Lines beginning with SETBOARD or EGTPATH keep the case of their arguments
// (FEN letters and file names); POSITION and SETOPTION lines likewise, with the
// keyword in lower case as UCI writes it, and PARTIE lines (file names). Every
// other line is upper-cased.
std::string normaliseLine(std::string_view line);

}  // namespace halberd::frontend
