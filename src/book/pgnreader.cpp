#include "book/pgnreader.h"

#include <cctype>

namespace halberd::book {

namespace {

constexpr int EndOfInput = std::char_traits<char>::eof();

bool isSymbolChar(int c) {
    return std::isalnum(c) || c == '_' || c == '+' || c == '#' || c == '=' || c == ':' || c == '-' || c == '/' ||
           c == '!' || c == '?';
}

bool isResult(std::string_view text) { return text == "1-0" || text == "0-1" || text == "1/2-1/2" || text == "*"; }

bool isMoveNumber(std::string_view text) {
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// Drops check and mate signs and the !/? annotations written onto a move.
std::string stripSuffix(std::string san) {
    while (!san.empty() && (san.back() == '+' || san.back() == '#' || san.back() == '!' || san.back() == '?'))
        san.pop_back();
    return san;
}

}  // namespace

std::string tagValue(const PgnGame& game, std::string_view name) {
    for (const auto& [tag, value] : game.tags)
        if (tag == name) return value;
    return {};
}

std::string describeGame(const PgnGame& game) {
    auto player = [&](std::string_view tag) {
        const std::string name = tagValue(game, tag);
        return name.empty() ? std::string("?") : name;
    };
    return "game " + std::to_string(game.number) + " (" + player("White") + " - " + player("Black") + ", line " +
           std::to_string(game.line) + ")";
}

// A line longer than the limit ends at the limit: the rest of it is dropped and
// read as one newline, and the game it belongs to is refused.
int PgnReader::get() {
    int c = in_.get();
    lineCut_ = false;
    if (column_ >= MaxPgnLineLength && c != '\n' && c != EndOfInput) {
        if (overlongLine_ == 0) overlongLine_ = line_;
        lineCut_ = true;
        while (c != '\n' && c != EndOfInput) c = in_.get();
        c = '\n';
    }
    if (c != EndOfInput) atLineStart_ = c == '\n';
    column_ = c == '\n' ? 0 : column_ + 1;
    if (c == '\n') ++line_;
    return c;
}

int PgnReader::peek() {
    const int c = in_.peek();
    return column_ >= MaxPgnLineLength && c != EndOfInput ? '\n' : c;
}

void PgnReader::skipToLineEnd() {
    for (int c = get(); c != EndOfInput && c != '\n'; c = get()) {}
}

bool PgnReader::readComment() {
    for (int c = get(); c != EndOfInput; c = get()) {
        if (c == '}') return true;
        // The closing brace may have been on the part of the line that was cut off.
        if (c == '\n' && lineCut_) return true;
    }
    return false;
}

std::string PgnReader::readSymbol(int first) {
    std::string symbol(1, static_cast<char>(first));
    while (isSymbolChar(peek())) symbol += static_cast<char>(get());
    return symbol;
}

// Reads `Name "value"]` after the opening bracket; returns the name, or sets `error`.
std::string PgnReader::readTagPair(std::string& value, std::string& error) {
    auto skipBlanks = [&] {
        while (peek() == ' ' || peek() == '\t') get();
    };
    auto fail = [&](const char* why) {
        error = why;
        if (!atLineStart_) skipToLineEnd();
        return std::string();
    };
    skipBlanks();
    std::string name;
    while (std::isalnum(peek()) || peek() == '_') name += static_cast<char>(get());
    if (name.empty()) return fail("tag without a name");
    skipBlanks();
    if (get() != '"') return fail("tag value without quotes");
    for (int c = get();; c = get()) {
        if (c == EndOfInput || c == '\n') return fail("unterminated tag value");
        if (c == '"') break;
        if (c == '\\' && (peek() == '"' || peek() == '\\')) c = get();
        value += static_cast<char>(c);
    }
    skipBlanks();
    if (get() != ']') return fail("tag without its closing bracket");
    return name;
}

bool PgnReader::next(PgnGame& game) {
    game = PgnGame{};
    bool started = false;
    bool inMovetext = false;
    int depth = 0;  // nesting of the variation being skipped
    auto fail = [&](const std::string& why) {
        if (game.error.empty()) game.error = why + " at line " + std::to_string(line_);
    };
    for (;;) {
        const int c = peek();
        if (c == EndOfInput) break;
        if (c == '%' && atLineStart_) {
            skipToLineEnd();
            continue;
        }
        if (std::isspace(c)) {
            get();
            continue;
        }
        if (!started && line_ == 1 && c == 0xEF) {  // UTF-8 byte order mark
            get();
            get();
            get();
            continue;
        }
        if (!started) {
            started = true;
            game.number = ++games_;
            game.line = line_;
        }
        if (c == '[') {
            if (inMovetext) break;  // the next game's tags: this one had no result
            get();
            std::string value, error;
            std::string name = readTagPair(value, error);
            if (!error.empty())
                fail(error);
            else if (game.tags.size() >= MaxPgnTags)
                fail("too many tags");
            else
                game.tags.emplace_back(std::move(name), std::move(value));
            continue;
        }
        inMovetext = true;
        get();
        switch (c) {
            case '{':
                if (!readComment()) fail("unterminated comment");
                continue;
            case ';': skipToLineEnd(); continue;
            case '(': ++depth; continue;
            case ')':
                if (depth == 0)
                    fail("')' without a variation");
                else
                    --depth;
                continue;
            case '$':
                while (std::isdigit(peek())) get();
                continue;
            case '.': continue;
            default: break;
        }
        if (!std::isalnum(c) && c != '*') {
            fail(std::string("unexpected character '") + static_cast<char>(c) + "'");
            continue;
        }
        const std::string symbol = readSymbol(c);
        if (isResult(symbol)) {
            if (depth == 0) {
                game.result = symbol;
                break;
            }
            fail("result inside a variation");
            continue;
        }
        if (depth > 0 || isMoveNumber(symbol)) continue;
        std::string san = stripSuffix(symbol);
        if (san.empty())
            fail("empty move");
        else if (game.moves.size() >= MaxPgnMoves)
            fail("more moves than a game can have");
        else
            game.moves.push_back(std::move(san));
    }
    if (!started) return false;
    if (overlongLine_ != 0) {
        game.error =
            "line " + std::to_string(overlongLine_) + " is longer than " + std::to_string(MaxPgnLineLength) + " bytes";
        overlongLine_ = 0;
    }
    if (depth > 0) fail("unclosed variation");
    if (game.result.empty()) {
        const std::string tagged = tagValue(game, "Result");
        if (isResult(tagged))
            game.result = tagged;
        else
            fail("no result");
    }
    return true;
}

}  // namespace halberd::book
