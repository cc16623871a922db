#pragma once
// Reader of PGN game collections: tag pairs, the main line's SAN moves and the
// result. Comments, variations, numeric annotation glyphs, move numbers and
// move suffixes (check and mate signs, !, ?) are dropped.
#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace halberd::book {

// Bounds that keep a hostile file from exhausting memory: a line longer than
// MaxPgnLineLength bytes is dropped and its game refused; no game of chess has
// more half-moves than the fifty-move and repetition rules allow (under 12000),
// and no sound file has games with thousands of tags.
inline constexpr std::size_t MaxPgnLineLength = std::size_t{1} << 20;
inline constexpr std::size_t MaxPgnMoves = 12000;
inline constexpr std::size_t MaxPgnTags = 1000;

struct PgnGame {
    int number = 0;  // 1 for the first game of the input
    int line = 0;    // line of the game's first character
    std::vector<std::pair<std::string, std::string>> tags;
    std::vector<std::string> moves;  // main line, plain SAN
    std::string result;              // "1-0", "0-1", "1/2-1/2", "*" or empty when none was given
    std::string error;               // why the game text is broken; empty when it is sound
};

// Value of a tag, or an empty text.
std::string tagValue(const PgnGame& game, std::string_view name);

// "game 12 (Carlsen - Anand, line 310)": the game's name in messages.
std::string describeGame(const PgnGame& game);

class PgnReader {
public:
    explicit PgnReader(std::istream& in) : in_(in) {}

    // Reads the next game; false at the end of the input. A broken game is
    // returned with its error set, and reading goes on with the next game.
    bool next(PgnGame& game);

private:
    int get();
    int peek();
    void skipToLineEnd();
    bool readComment();
    std::string readTagPair(std::string& value, std::string& error);
    std::string readSymbol(int first);

    std::istream& in_;
    int line_ = 1;
    std::size_t column_ = 0;  // bytes read of the current line
    int overlongLine_ = 0;    // first line of the game that was too long, 0 = none
    bool lineCut_ = false;    // the newline just read ends a line cut at the limit
    int games_ = 0;
    bool atLineStart_ = true;
};

}  // namespace halberd::book
