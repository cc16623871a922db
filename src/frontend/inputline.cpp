#include "frontend/inputline.h"

#include <array>
#include <cstdio>
#include <streambuf>

#include "frontend/state.h"

namespace halberd::frontend {

LineRead readBoundedLine(std::istream& input, std::string& line, std::size_t limit) {
    line.clear();
    std::streambuf* const source = input.rdbuf();
    if (source == nullptr) return LineRead::End;
    using Traits = std::streambuf::traits_type;
    bool tooLong = false;
    bool any = false;
    for (;;) {
        const Traits::int_type c = source->sbumpc();
        if (Traits::eq_int_type(c, Traits::eof())) {
            input.setstate(std::ios::eofbit);
            if (!any) return LineRead::End;
            break;
        }
        any = true;
        if (c == '\n') break;
        if (line.size() < limit) {
            line.push_back(Traits::to_char_type(c));
        } else if (!tooLong) {
            tooLong = true;
            line.clear();
            line.shrink_to_fit();
        }
    }
    return tooLong ? LineRead::TooLong : LineRead::Line;
}

bool FileLines::next(std::string& line) {
    for (;;) {
        ++number_;
        const LineRead read = readBoundedLine(input_, line);
        if (read == LineRead::Line) return true;
        if (read == LineRead::End) return false;
        std::fprintf(stderr, "%s: line %ld is longer than %zu bytes; skipped\n", name_.c_str(), number_, MaxLineLength);
    }
}

std::optional<std::string> LineReader::readLine() {
    std::string line;
    for (;;) {
        const LineRead read = readBoundedLine(input_, line);
        if (read == LineRead::Line) break;
        if (read == LineRead::TooLong) {
            writeReply("Error (line too long): more than " + std::to_string(MaxLineLength) + " bytes\n");
            continue;
        }
        if (input_.eof()) return std::nullopt;
        input_.clear();
    }
    // A zero byte ends the text, as it would for any C string the line reaches.
    if (const auto zero = line.find('\0'); zero != std::string::npos) line.resize(zero);
    return line;
}

namespace {

constexpr char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

struct KeptCase {
    std::string_view keyword;  // compared ignoring case
    std::string_view written;  // what the keyword becomes
};

constexpr std::array<KeptCase, 5> KeptCaseKeywords = {{
    {"SETBOARD", "SETBOARD"},
    {"EGTPATH", "EGTPATH"},
    {"POSITION", "position"},
    {"SETOPTION", "setoption"},
    // File names keep their case: the file system tells cases apart.
    {"PARTIE ", "PARTIE "},
}};

}  // namespace

std::string toUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upperAscii(c);
    return out;
}

std::string_view withoutBlanksAround(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool startsWithAnyCase(std::string_view line, std::string_view text) {
    if (line.size() < text.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (upperAscii(line[i]) != upperAscii(text[i])) return false;
    return true;
}

std::string normaliseLine(std::string_view line) {
    for (const auto& kept : KeptCaseKeywords) {
        if (startsWithAnyCase(line, kept.keyword)) {
            std::string out(kept.written);
            out.append(line.substr(kept.keyword.size()));
            return out;
        }
    }
    return toUpperAscii(line);
}

}  // namespace halberd::frontend
