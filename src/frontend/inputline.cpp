#include "frontend/inputline.h"

#include <array>

namespace halberd::frontend {

std::optional<std::string> LineReader::readLine() {
    std::string line;
    for (;;) {
        if (std::getline(input_, line)) break;
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
