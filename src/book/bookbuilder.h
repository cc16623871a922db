#pragma once
// Building a book from games: every game is replayed on a game board with the
// engine's own move reader, so the keys and move codes are those the engine
// looks up; per position the (at most five) moves played most often are kept.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "board/gameboard.h"
#include "book/bookrecord.h"
#include "book/pgnreader.h"

namespace halberd::book {

struct BookBuildOptions {
    int maxPly = 30;   // half-moves of each game that enter the book
    int minGames = 1;  // a move played fewer times is left out
    // Moves never to keep, as "KEY<tab>MOVE" with the move in coordinate
    // notation (the lines "book dump" prints, cut after the move).
    std::unordered_set<std::string> excluded;
};

// The exclusion entry of a move in a position.
std::string exclusionEntry(const std::string& key, std::uint16_t move);

// Outcome of addGame.
constexpr int GameCounted = 1;
constexpr int GameUnfinished = 0;  // result "*": nothing to count
constexpr int GameRejected = -1;   // broken text, bad set-up or an illegal move

class BookBuilder {
public:
    explicit BookBuilder(BookBuildOptions options) : options_(options) {}

    // Counts the game's moves up to the ply limit; on rejection `error` says why
    // and nothing of the game is counted.
    int addGame(const PgnGame& game, std::string& error);

    // One record per position with at least one kept move, most-played
    // positions first (a probe scans the file from its start).
    std::vector<BookRecord> records() const;

    // Positions whose key is too long for a record.
    int longKeysSkipped() const { return longKeys_; }

private:
    struct Tally {
        std::uint16_t move;
        std::uint64_t games;
        std::uint64_t halfPoints;
    };

    BookBuildOptions options_;
    board::GameBoard board_;
    std::unordered_map<std::string, std::vector<Tally>> tallies_;
    int longKeys_ = 0;
};

// Writes the records to `path` through a temporary file that replaces it only
// when everything was written; false with `error` set otherwise.
bool writeBookFile(const std::string& path, const std::vector<BookRecord>& records, std::string& error);

}  // namespace halberd::book
